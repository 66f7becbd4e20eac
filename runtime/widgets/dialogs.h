// The window's modal dialogs, for its view of the panel model. A test's
// DialogScript answers them in place of a person.
#pragma once

#include "panel_model.h"

#include <optional>
#include <string>

namespace rt {

void show_message_box(const ShownMessage& message);
// The chosen file's path as the system names files, or nullopt when cancelled.
std::optional<std::string> ask_for_file(const FileRequest& request);
// 0 German, 1 English: the dialogs' own texts.
void set_dialog_language(int language);

} // namespace rt
