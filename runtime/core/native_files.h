// What differs between POSIX and Windows about files, for files.cpp and
// line_trace.cpp: one implementation per platform (files_posix.cpp,
// files_win32.cpp). Paths come as the system names files (bytes on POSIX,
// UTF-8 on Windows) and go to the system as it wants them.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

namespace rt::native {

std::filesystem::path filesystem_path(const std::string& path);
std::string system_name(const std::filesystem::path& path);

bool readable(const std::filesystem::path& path);

// A stream for reading the regular file of at most max_bytes the path names
// (links followed), opened without waiting for a writer or a device;
// nullptr for anything else.
std::FILE* open_regular_file(const std::filesystem::path& path, long long max_bytes);

// Replaces the file's content with text (line ends as the platform writes
// them), all or nothing where a temporary file fits beside it. False when
// it was not written.
bool replace_text_file(const std::filesystem::path& path, std::string_view text);

// An empty stream for reading and writing that holds at least bytes, gone
// once it is closed.
std::FILE* empty_stream(std::size_t bytes);

// The folder the system keeps users' configuration in; empty when it names none.
std::filesystem::path configuration_folder();

// A file for the line trace, opened or created for writing without waiting
// (a pipe) and without emptying it. Closed by close_trace.
struct TraceFile {
  std::intptr_t handle = -1; // -1: not open
};

TraceFile open_trace(const std::filesystem::path& path);
bool is_regular(TraceFile file);
// Whether the open file is the one the other path leads to, compared by the file itself.
bool is_same_file(TraceFile file, const std::string& other);
bool empty(TraceFile file);
// Every byte of line written, the platform's line end for its last '\n'.
bool write_line(TraceFile file, std::string_view line);
void close_trace(TraceFile file);

} // namespace rt::native
