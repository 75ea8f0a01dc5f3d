// The process's working directory, which only the viewer's windows change (the core takes
// folders as arguments and never moves it): back to the program's folder after each file
// dialog, and to LastDir after Save Website, so that a relative name typed later is taken
// where it always was.
#pragma once

#include <filesystem>
#include <string>

namespace stirpex {

// Makes the program's folder the working directory again. Failures are ignored: nothing in
// the program relies on it.
void RestoreWorkingDirectory(const std::filesystem::path& program_dir);

// Makes the folder a stored folder text names (LastDir, with its trailing separator: resolved
// as stored_paths.h resolves every stored path) the working directory. False when that fails;
// `folder` then names the folder tried.
bool EnterStoredFolder(const std::string& stored, std::string& folder);

}  // namespace stirpex
