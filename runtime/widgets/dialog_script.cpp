#include "dialog_script.h"

#include <cstdio>
#include <cstdlib>

namespace rt::testing {
namespace {
DialogScript* active_script = nullptr;
}

DialogScript::DialogScript() : previous_(active_script) { active_script = this; }
DialogScript::~DialogScript() { active_script = previous_; }

DialogScript* DialogScript::active() { return active_script; }

void DialogScript::record_message(Message message) {
  messages_.push_back(std::move(message));
  if (observer_) observer_(messages_.back());
}

std::optional<std::string> DialogScript::answer_file_request(FileRequest request) {
  file_requests_.push_back(std::move(request));
  if (file_answers_.empty()) {
    std::fprintf(stderr, "DialogScript: a file dialog opened with no answer queued\n");
    std::abort();
  }
  auto answer = std::move(file_answers_.front());
  file_answers_.pop_front();
  return answer;
}

} // namespace rt::testing
