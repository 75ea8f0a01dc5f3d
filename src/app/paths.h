// Where the program lives, and how paths stored in settings are found.
//
// Settings and links in pages may hold paths written for the program's first home, with
// backslashes and relative to the program's folder ("ged\sample.ged", ".\HTML"). Such a path is
// taken with every "\" as "/", and a relative path is taken against the program's folder, so the
// bundled style and sample are found whatever the current directory is. Paths the user gives
// on a command line are not stored settings: they are taken against the current directory.
#pragma once

#include <filesystem>
#include <string_view>

namespace stirpex {

// The folder of the running program file (from /proc/self/exe), absolute. Falls back to the
// current directory when the link cannot be read.
std::filesystem::path ProgramDir();

// The folder of the files that come with the program (styles/, ged/, help/): the program's
// folder when it holds them (a build tree), else "../share/stirpex" beside it when that exists
// (an installed program: bin/ and share/stirpex/ under one prefix), else the program's folder.
// Relative paths of settings are taken against this folder.
std::filesystem::path DataDir(const std::filesystem::path& program_dir);

// A path stored in settings as a path of this system: "\" taken as "/", a relative path taken
// against base (normally ProgramDir()). An empty text gives an empty path.
std::filesystem::path ResolveStoredPath(std::string_view stored, const std::filesystem::path& base);

}  // namespace stirpex
