// Finding the file a page refers to: a picture, a style sheet or a linked page.
//
// Pages are written by styles and GEDCOM files made on other systems, so a reference may use
// "\" between folders, may be percent-encoded, and may differ in letter case from the file on
// disk ("Photos\Anna.JPG" for photos/anna.jpg). The viewer looks for such a file in the
// folders it was given (the folder of the page's file, then the program's folder and the
// GEDCOM file's folder), first exactly and then without regard to letter case.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace stirpex {

// The local file a reference names, or an empty path when there is none:
//   - "file:" URLs and absolute paths are taken as they are;
//   - other references with a scheme ("http:", "mailto:") are not local files;
//   - a relative reference is tried against each folder in turn.
// A "#fragment" or "?query" ending is ignored, "%XX" escapes are decoded and "\" counts as
// "/". Every folder of the reference is matched exactly first and without regard to ASCII
// letter case second. Only existing regular files are returned.
std::filesystem::path ResolvePageReference(std::string_view reference,
                                           const std::vector<std::filesystem::path>& dirs);

// True when the reference begins with a URL scheme other than "file:" ("http://...",
// "mailto:..."): such links are for a web browser, not for the viewer.
bool IsExternalReference(std::string_view reference);

// The "#fragment" part of a reference without the "#", empty when there is none.
std::string ReferenceFragment(std::string_view reference);

}  // namespace stirpex
