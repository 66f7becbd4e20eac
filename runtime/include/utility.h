// Utility operations of the run-time layer.
#pragma once

#include <cstddef>
#include <cstdio>

// Waits; the user interface stays painted meanwhile.
void Delay(double seconds);

// Opens a file by a UTF-8 path, as fopen does; any name the system accepts works.
std::FILE* OpenFile(const char* path, const char* mode);

// Replaces the text file at path with data, all or nothing: a crash or a full
// disk never leaves it empty or half-written. Line feeds become the platform's
// line ends. Returns 0 on success.
int ReplaceTextFile(const char* path, const char* data, std::size_t length);
