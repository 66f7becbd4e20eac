// Where the system's plain file names (its settings file) live. The window
// keeps them in the current folder; a front end can choose another folder
// without changing the process's current folder.
#pragma once

#include <QString>

namespace rt {

// Relative paths given to OpenFile, OpenRegularFile and ReplaceTextFile are
// taken from this folder for the rest of the session; empty: the current
// folder. Needs a living session.
void set_file_folder(const QString& folder);

} // namespace rt
