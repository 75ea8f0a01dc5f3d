// The load of a tree for a stirpex-cli command, shared by the command groups.
#pragma once

#include <string>

#include "app/session.h"
#include "cli/cli.h"

namespace stirpex::cli {

// Prepares a session as the viewer's start-up does, with the global options applied in this
// order: the settings or project file of --settings (its StyleFile and GEDCOMFile become the
// files in use), every --set, --auto-exclude (the filter on), --style, the GEDCOM file of the
// command, --exclude-list. Paths given on the command line are taken against the current
// directory. Returns 0, or the exit
// status after the error went to standard error: 1 for a settings file that does not exist,
// 2 for a bad --set.
int PrepareSession(const GlobalOptions& options, const std::string& gedcom, Session& session);

// What a command loads: the tree alone (exports that need no style), or the style too.
enum class LoadWhat { kTree, kStyleAndTree };

// PrepareSession, then the load as the viewer's start-up does it. With --auto-exclude the
// people the auto filter excludes join the exclusion (with a count on standard error). While
// the filter is on, names of the exclude list that match nobody are counted in a warning on
// standard error.
// Returns 0, or the exit status after the error went to standard error: 1 when a file could
// not be read (the exclude list included, while the filter is on), 2 for a bad --set.
int LoadSession(const GlobalOptions& options, const std::string& gedcom, Session& session,
                LoadWhat what);

}  // namespace stirpex::cli
