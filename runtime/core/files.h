// Where the system's plain file names (its settings file) live. The window
// keeps them in the current folder unless told otherwise; a front end can
// choose another folder without changing the process's current folder.
// Paths are named as the system names files: bytes on POSIX, UTF-8 on Windows.
#pragma once

#include <optional>
#include <string>

namespace rt {

// Relative paths given to OpenRegularFile, FileExists and ReplaceTextFile are
// taken from this folder for the rest of the session; empty: the current
// folder. Needs a living session.
void set_file_folder(const std::string& folder);

// The absolute path of a readable regular file (links followed). Nothing
// when path names no such file.
std::optional<std::string> readable_file(const std::string& path);

// The whole content of a regular file (links followed) of at most maxBytes,
// read as OpenRegularFile reads it: never waiting for a writer or a device.
// Nothing for anything else or when it cannot be read.
std::optional<std::string> read_regular_file(const std::string& path, long long maxBytes);

// The user's configuration folder for the program (~/.config/KovoFlash on
// Linux, %LOCALAPPDATA%\KovoFlash on Windows), made or not; empty when the
// system names no configuration folder.
std::string user_settings_folder();

// Makes the user's configuration folder and keeps the system's files there
// for the rest of the session. False, with nothing changed, when it cannot be
// made. Needs a living session.
bool keep_files_in_user_settings_folder();

} // namespace rt
