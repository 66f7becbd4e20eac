// Where the system's plain file names (its settings file) live. The window
// keeps them in the current folder; a front end can choose another folder
// without changing the process's current folder.
#pragma once

#include <QString>

namespace rt {

// Relative paths given to OpenFile, OpenRegularFile and ReplaceTextFile are
// taken from this folder from now on; empty: the current folder.
void set_file_folder(const QString& folder);

} // namespace rt
