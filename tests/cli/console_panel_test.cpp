// The console's main panel holds what the window loads from the same panel
// file: the same controls, of the same kinds, firing the same callbacks, with
// the same ranges. The timer alone stays behind: a console has no use for it.
#include "24GHz_prog.h"
#include "console_runtime.h"
#include "main.h"
#include "panel_file.h"
#include "session.h"
#include "userint.h"

#include <gtest/gtest.h>
#include <QAbstractButton>
#include <QBuffer>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QUiLoader>
#include <memory>
#include <optional>
#include <sstream>
#include <string>

namespace {

constexpr int kHighestIdLookedFor = 1000; // far above every id of the panel file

class SilentObserver : public rt::ConsoleObserver {
  void control_changed(const rt::PanelControl&, rt::Change) override {}
  bool before_message(const rt::ShownMessage&) override { return true; }
};

// The window's own reading of the panel file the console holds.
std::unique_ptr<QWidget> window_panel() {
  QByteArray content = QByteArray::fromStdString(std::string(rt::built_in_panel_file()));
  QBuffer file(&content);
  if (!file.open(QIODevice::ReadOnly)) return nullptr;
  QUiLoader loader;
  return std::unique_ptr<QWidget>(loader.load(&file));
}

std::optional<rt::ControlKind> window_kind(QWidget* widget) {
  if (qobject_cast<QAbstractButton*>(widget)) return rt::ControlKind::Button;
  if (qobject_cast<QLabel*>(widget)) return rt::ControlKind::TextMessage;
  if (qobject_cast<QLineEdit*>(widget) || qobject_cast<QPlainTextEdit*>(widget)) return rt::ControlKind::TextBox;
  if (qobject_cast<QProgressBar*>(widget)) return rt::ControlKind::Numeric;
  if (qobject_cast<QComboBox*>(widget)) return rt::ControlKind::Ring;
  return std::nullopt;
}

CtrlCallbackPtr program_callback(const QString& name) {
  for (const CallbackBinding& binding : kovo::panel_callbacks()) {
    if (name == QLatin1String(binding.name)) return binding.function;
  }
  return nullptr;
}

int load_main_panel() {
  RegisterCallbacks(kovo::panel_callbacks());
  return LoadPanel(0, "24GHz_prog.uir", PANEL);
}

class ConsolePanelTest : public ::testing::Test {
protected:
  int console_control_count() const {
    int count = 0;
    for (int id = 1; id <= kHighestIdLookedFor; ++id) count += runtime_.control(panel_, id) ? 1 : 0;
    return count;
  }

  rt::Session session_;
  SilentObserver observer_;
  rt::ConsoleRuntime runtime_{observer_};
  const int panel_ = load_main_panel();
};

TEST_F(ConsolePanelTest, HoldsWhatTheWindowLoadsFromThePanelFile) {
  ASSERT_GT(panel_, 0) << GetUILErrorString(panel_);
  const std::unique_ptr<QWidget> window = window_panel();
  ASSERT_TRUE(window);
  int compared = 0;
  for (QWidget* widget : window->findChildren<QWidget*>()) {
    const QVariant id = widget->property("ctrlId");
    if (!id.isValid()) continue;
    SCOPED_TRACE("control " + std::to_string(id.toInt()));
    const rt::PanelControl* control = runtime_.control(panel_, id.toInt());
    if (widget->property("timerInterval").isValid()) {
      EXPECT_EQ(control, nullptr);
      continue;
    }
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(window_kind(widget), control->kind);
    EXPECT_EQ(program_callback(widget->property("callback").toString()), control->callback);
    const auto* bar = qobject_cast<QProgressBar*>(widget);
    EXPECT_EQ(bar ? bar->maximum() : 0, control->maximum);
    ++compared;
  }
  EXPECT_EQ(compared, console_control_count());
}

rt::PanelFile read_text(const char* text, int resource_id = 1) {
  std::istringstream file(text);
  return rt::read_panel_file(file, resource_id);
}

TEST(PanelFileTest, RefusesWhatTheWindowRefuses) {
  const struct {
    const char* what;
    const char* text;
    int resource_id;
    const char* reason;
  } cases[] = {
      {"broken XML", "<ui><widget class=\"QWidget\">", 1, ""},
      {"another panel",
       "<ui><widget class=\"QWidget\"><property name=\"resourceId\"><number>2</number>"
       "</property></widget></ui>",
       1, "it holds no panel 1"},
      {"an id twice",
       "<ui><widget class=\"QWidget\"><property name=\"resourceId\"><number>1</number></property>"
       "<widget class=\"QLabel\"><property name=\"ctrlId\"><number>4</number></property></widget>"
       "<widget class=\"QLabel\"><property name=\"ctrlId\"><number>4</number></property></widget>"
       "</widget></ui>",
       1, "control id 4 is not unique and positive"},
      {"an unknown kind",
       "<ui><widget class=\"QWidget\"><property name=\"resourceId\"><number>1</number></property>"
       "<widget class=\"QSlider\"><property name=\"ctrlId\"><number>4</number></property></widget>"
       "</widget></ui>",
       1, "control 4 is of an unknown kind"},
  };
  for (const auto& entry : cases) {
    SCOPED_TRACE(entry.what);
    const rt::PanelFile read = read_text(entry.text, entry.resource_id);
    EXPECT_FALSE(read.error.empty());
    if (*entry.reason) {
      EXPECT_EQ(read.error, entry.reason);
    }
    EXPECT_TRUE(read.controls.empty());
  }
}

TEST(PanelFileTest, ALayoutsPropertiesAreNoWidgets) {
  const rt::PanelFile read = read_text(
      "<ui><widget class=\"QWidget\"><property name=\"resourceId\"><number>1</number></property>"
      "<layout class=\"QVBoxLayout\"><property name=\"maximum\"><number>7</number></property><item>"
      "<widget class=\"QProgressBar\"><property name=\"ctrlId\"><number>3</number></property></widget>"
      "</item></layout></widget></ui>");
  ASSERT_TRUE(read.error.empty()) << read.error;
  ASSERT_EQ(read.controls.size(), 1u);
  EXPECT_EQ(read.controls[0].id, 3);
  EXPECT_EQ(read.controls[0].maximum, 100); // QProgressBar's own
}

} // namespace
