#!/usr/bin/env bash
# The layers of docs/architecture.md: each folder of src/ includes only the folders below it.
# One exception: htmlview/ implements the display port the controller owns (app/html_view.h).
# The core (all but cli/, shell/ and htmlview/) never changes the working directory or the
# locale: the front ends decide those.
#   layers_test.sh SOURCE_DIR
set -euo pipefail
cd "$1/src"
declare -A allowed=(
  [platform]="platform"
  [database]="database platform"
  [settings]="settings database platform"
  [pages]="pages settings database platform"
  [export]="export pages settings database platform"
  [app]="app export pages settings database platform"
  [cli]="cli app export pages settings database platform"
  [htmlview]="htmlview database platform"
  [shell]="shell htmlview app export pages settings database platform"
)
status=0
for folder in "${!allowed[@]}"; do
  while IFS=: read -r file include; do
    target=${include%%/*}
    [ "$folder/$include" = "htmlview/app/html_view.h" ] && continue
    if [[ " ${allowed[$folder]} " != *" $target "* ]]; then
      echo "$file includes $include: $folder/ may include only ${allowed[$folder]}"
      status=1
    fi
  done < <(grep -oE '^#include "[a-z_]+/[^"]+"' -r "$folder" | sed -E 's/#include "(.*)"/\1/')
done
for folder in platform database settings pages export app; do
  if grep -rnP '\b(chdir|setlocale|locale::global)\b|current_path\((?!\)|ec\))' "$folder"; then
    echo "$folder/ changes process-wide state: only cli/ and shell/ may"
    status=1
  fi
done
exit $status
