#include "support/zip_files.h"

#include <zip.h>

namespace stirpex::testing {

bool WriteZipFile(const std::filesystem::path& path, const std::vector<ZipEntry>& entries) {
  int error = 0;
  zip_t* zip = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
  if (!zip) return false;
  bool ok = true;
  for (const ZipEntry& e : entries) {
    if (!e.name.empty() && e.name.back() == '/') {
      ok = ok && zip_dir_add(zip, e.name.c_str(), ZIP_FL_ENC_UTF_8) >= 0;
      continue;
    }
    zip_source_t* source = zip_source_buffer(zip, e.bytes.data(), e.bytes.size(), 0);
    const zip_int64_t index = zip_file_add(zip, e.name.c_str(), source, ZIP_FL_ENC_UTF_8);
    if (index < 0) {
      zip_source_free(source);
      ok = false;
    } else if (e.symlink) {
      zip_file_set_external_attributes(zip, static_cast<zip_uint64_t>(index), 0, ZIP_OPSYS_UNIX,
                                       0120777u << 16);
    }
  }
  // The entries' bytes are read here: they live until the call returns.
  return zip_close(zip) == 0 && ok;
}

}  // namespace stirpex::testing
