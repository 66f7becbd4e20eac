#include "outcome.h"

#include "flash.h"
#include "glob.h"

#include <algorithm>
#include <cstring>

namespace cli {
namespace {

struct MessageMeaning {
  const char* text; // the system's message text, filled in for the current language
  ExitStatus status;
};

const MessageMeaning kMessageMeanings[] = {
    {kovo::text_port_err_2, ExitStatus::Port},         // the port cannot be opened or was lost
    {kovo::text_flash_err_4, ExitStatus::Unsupported}, // this device cannot be updated
    {kovo::text_flash_err_6, ExitStatus::File},        // the firmware file is faulty
    {kovo::text_flash_err_2, ExitStatus::Programming}, // programming failed
};

ExitStatus status_of_message(const rt::ShownMessage& message) {
  for (const MessageMeaning& meaning : kMessageMeanings) {
    if (message.text == meaning.text) return meaning.status;
  }
  return ExitStatus::Success;
}

} // namespace

ExitStatus status_of_messages(const std::vector<rt::ShownMessage>& messages, std::size_t first) {
  for (std::size_t index = first; index < messages.size(); ++index) {
    const ExitStatus status = status_of_message(messages[index]);
    if (status != ExitStatus::Success) return status;
  }
  return ExitStatus::Success;
}

bool ends_a_step(const rt::ShownMessage& message) { return status_of_message(message) != ExitStatus::Success; }

ExitStatus status_of_connect() {
  if (!kovo::device_answered) return ExitStatus::NoDevice;
  return kovo::device_accepted ? ExitStatus::Success : ExitStatus::Unsupported;
}

ExitStatus status_of_load() { return kovo::image_loaded ? ExitStatus::Success : ExitStatus::File; }

ExitStatus status_of_programming(int indicator_colour) {
  return indicator_colour == kovo::kProgrammedColour ? ExitStatus::Success : ExitStatus::Programming;
}

} // namespace cli
