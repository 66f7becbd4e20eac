#include "memory_files.h"

#include "native_files.h"
#include "session.h"

namespace rt {

std::FILE* MemoryFile::open() const {
  if (!content_) return nullptr;
  std::FILE* stream = native::empty_stream(content_->size());
  if (!stream) return nullptr;
  if (std::fwrite(content_->data(), 1, content_->size(), stream) != content_->size() || std::fflush(stream) != 0) {
    std::fclose(stream);
    return nullptr;
  }
  std::rewind(stream);
  return stream;
}

int MemoryFile::replace(const char* data, std::size_t length) {
  content_.emplace(data, length);
  return 0;
}

MemoryFile* kept_in_memory(const char* name) {
  Session* session = Session::active();
  if (!session) return nullptr;
  const auto kept = session->memory_files.find(name);
  return kept == session->memory_files.end() ? nullptr : &kept->second;
}

} // namespace rt
