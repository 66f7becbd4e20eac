// Files the system names that a front end keeps in memory for the run: the
// system opens and replaces them as it would on disk, but nothing reaches a
// folder, so the front end alone decides afterwards what is stored, and a
// run that ends early (even killed) leaves no file behind.
#pragma once

#include <cstddef>
#include <cstdio>
#include <optional>
#include <string>
#include <utility>

namespace rt {

class MemoryFile {
public:
  // content none: no such file yet, as a file that does not exist.
  explicit MemoryFile(std::optional<std::string> content) : content_(std::move(content)) {}

  const std::optional<std::string>& content() const { return content_; }

  // A stream over the content for reading; null for a file that does not
  // exist yet.
  std::FILE* open() const;
  // Returns 0, as ReplaceTextFile on success.
  int replace(const char* data, std::size_t length);

private:
  std::optional<std::string> content_;
};

// The file the living session keeps in memory under the system's name, or
// nullptr when that name is a file on disk (or no session lives).
MemoryFile* kept_in_memory(const char* name);

} // namespace rt
