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

// Opens a file by a path in the system's code page (Windows-1252), as fopen does.
std::FILE* OpenFile(const char* path, const char* mode);

// Replaces the text file at path with data, all or nothing: a crash or a full
// disk never leaves it empty or half-written. Line feeds become the platform's
// line ends. Returns 0 on success.
int ReplaceTextFile(const char* path, const char* data, std::size_t length);
