#include "memory_files.h"

#include "session.h"

namespace rt {
namespace {

// An empty stream for reading and writing that holds at least bytes.
#ifdef _WIN32
// Windows has no stream over memory; its temporary file goes when it is closed.
std::FILE* empty_stream(std::size_t) { return std::tmpfile(); }
#else
// A buffer of the stream's own (one byte more for the null fmemopen adds), so
// the stream outlives any later replace.
std::FILE* empty_stream(std::size_t bytes) { return fmemopen(nullptr, bytes + 1, "w+"); }
#endif

} // namespace

std::FILE* MemoryFile::open() const {
  if (!content_) return nullptr;
  std::FILE* stream = empty_stream(content_->size());
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
