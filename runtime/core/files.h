// Where the system's plain file names (its settings file) live. The window
// keeps them in the current folder unless told otherwise; a front end can
// choose another folder without changing the process's current folder.
#pragma once

#include <QString>

namespace rt {

// Relative paths given to OpenFile, OpenRegularFile and ReplaceTextFile are
// taken from this folder for the rest of the session; empty: the current
// folder. Needs a living session.
void set_file_folder(const QString& folder);

// The user's configuration folder for the program (~/.config/KovoFlash on
// Linux), made or not; empty when the system names no configuration folder.
QString user_settings_folder();

// Makes the user's configuration folder and keeps the system's files there
// for the rest of the session. False, with nothing changed, when it cannot be
// made. Needs a living session.
bool keep_files_in_user_settings_folder();

} // namespace rt
