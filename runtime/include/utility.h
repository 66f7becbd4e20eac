// Utility operations of the run-time layer.
#pragma once

#include <cstddef>
#include <cstdio>

// Waits; the user interface stays painted meanwhile.
void Delay(double seconds);

// Non-zero once the user or the system asked the program to stop (Ctrl-C, a
// termination signal): a long operation ends as if its next step had failed,
// and still sends what closes it on the device.
int StopRequested();

// Opens a regular file (links followed) for reading as text, by a path as
// the system names files (bytes on POSIX, UTF-8 on Windows); any name the
// system accepts works. Null when the path names anything else (a pipe, a
// device, a folder), when the file holds more than maxBytes, or when it cannot
// be opened. Never waits for a writer or a device.
std::FILE* OpenRegularFile(const char* path, long long maxBytes);

// Non-zero when anything is at the path (a file, a folder, a pipe, a link
// even to nothing), whether or not it could be read.
int FileExists(const char* path);

// Replaces the text file at path with data, all or nothing: a crash or a full
// disk never leaves it empty or half-written. Line feeds become the platform's
// line ends. Returns 0 on success.
int ReplaceTextFile(const char* path, const char* data, std::size_t length);
