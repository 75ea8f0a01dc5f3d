#!/usr/bin/env bash
# The layers of docs/architecture.md: each folder of src/ includes only the folders below it.
# One exception: htmlview/ implements the display port the controller owns (app/html_view.h).
# The core (all but cli/, shell/ and htmlview/) never changes the working directory or the
# locale: the front ends decide those. Files are at the bottom: only platform/ opens a file to
# read or write it, and only the resolver (platform/stored_paths.cpp) takes "\" for "/". Page
# builders reach the tree only through the privacy layer.
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

# The code of the named files or folders without its // comments, as FILE:LINE:TEXT.
code_of() {
  find "$@" \( -name '*.cpp' -o -name '*.h' \) -print0 | sort -z |
    xargs -0 awk '{ text = $0; sub(/\/\/.*/, "", text); print FILENAME ":" FNR ":" text }'
}
# A file opened by a system or library call, or a stream or copy of the standard library.
opens='(^|[^A-Za-z0-9_.>])(open|openat|creat|fopen|freopen|fdopen|pread|pwrite|read|write|mkstemp|zip_open)[[:space:]]*\(|std::(i|o)?fstream|copy_file|QFile\b|QSaveFile'
if code_of $(ls -d */ | grep -vx 'platform/') | grep -E "$opens"; then
  echo "a file is opened outside platform/: read through file_bytes.h, write through line_files.h"
  status=1
fi
# "\" and "/" handled together: one separator turned into the other, or both taken as one.
slashes="'\\\\\\\\'.*'/'
'/'.*'\\\\\\\\'
\"/\\\\\\\\
\\\\\\\\/\""
if code_of . | grep -v '^\./platform/stored_paths\.cpp:' | grep -E -f <(echo "$slashes"); then
  echo "a backslash is taken for a separator outside platform/stored_paths.cpp: ask the resolver"
  status=1
fi
# Page builders read the tree through the privacy layer (pages/page_context.h): only the
# layer's own views reach the database behind it.
layer='^pages/(privacy|shown_facts|shown_index)\.(h|cpp):'
if code_of pages export app cli | grep -E '\bUnfiltered\(\)' | grep -vE "$layer"; then
  echo "the database is read around the privacy layer: read the tree through ShownTree"
  status=1
fi
if code_of pages | grep -E '\bDatabase\b' | grep -vE "$layer|^pages/page_context\.h:"; then
  echo "a page builder names the database: read the tree through ShownTree (PageContext::privacy)"
  status=1
fi
exit $status
