#include "dialog_script.h"

#include "session.h"

#include <cstdio>
#include <cstdlib>

namespace rt::testing {

DialogScript::DialogScript() : session_(Session::current()), previous_(session_.dialog_script) {
  session_.dialog_script = this;
}

DialogScript::~DialogScript() { session_.dialog_script = previous_; }

DialogScript* DialogScript::active() {
  Session* session = Session::active();
  return session ? session->dialog_script : nullptr;
}

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
