// Answers the modal dialogs without a person: while a script exists,
// MessagePopup records what it would have shown and FileSelectPopup returns
// the answers queued here. Scoped, so nothing leaks from one test to the next;
// a script lives inside the run-time's session (session.h).
#pragma once

#include "panel_model.h"

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace rt {
class Session;
}

namespace rt::testing {

class DialogScript {
public:
  using Message = ShownMessage;
  using FileRequest = rt::FileRequest;

  DialogScript();
  ~DialogScript();
  DialogScript(const DialogScript&) = delete;
  DialogScript& operator=(const DialogScript&) = delete;

  // Queues the answer to the next file dialog: a path (UTF-8), or a cancel.
  void choose_file(std::string path) { file_answers_.push_back(std::move(path)); }
  void cancel_file() { file_answers_.push_back(std::nullopt); }
  // Called while each message "is open", before it is closed.
  void on_message(std::function<void(const Message&)> observer) { observer_ = std::move(observer); }

  const std::vector<Message>& messages() const { return messages_; }
  const std::vector<FileRequest>& file_requests() const { return file_requests_; }

  // Used by the dialogs.
  static DialogScript* active();
  void record_message(Message message);
  std::optional<std::string> answer_file_request(FileRequest request);

private:
  std::deque<std::optional<std::string>> file_answers_;
  std::vector<Message> messages_;
  std::vector<FileRequest> file_requests_;
  std::function<void(const Message&)> observer_;
  Session& session_;
  DialogScript* previous_;
};

} // namespace rt::testing
