// The panel file as the model reads it for every view: each control's kind,
// callback, range and label, as the window draws them from the same file.
#include "24GHz_prog.h"
#include "panel_file.h"

#include <gtest/gtest.h>
#include <sstream>
#include <string>

namespace {

rt::PanelFile read_text(const std::string& text, int resource_id = 1) {
  std::istringstream file(text);
  return rt::read_panel_file(file, resource_id);
}

const rt::PanelFileControl* control_in(const rt::PanelFile& panel, int id) {
  for (const rt::PanelFileControl& control : panel.controls) {
    if (control.id == id) return &control;
  }
  return nullptr;
}

TEST(PanelFileTest, ReadsTheBuiltInPanelAsTheWindowShowsIt) {
  const rt::PanelFile panel = read_text(std::string(rt::built_in_panel_file()), PANEL);
  ASSERT_TRUE(panel.error.empty()) << panel.error;
  EXPECT_EQ(panel.close_control, PANEL_QUIT);
  using rt::ControlKind;
  const struct {
    int id;
    ControlKind kind;
    const char* callback;
    int maximum;
    bool labelled;
  } expected[] = {
      {PANEL_CONNECT, ControlKind::Button, "CONNECT_FLASH", 0, true},
      {PANEL_COMPORT, ControlKind::Ring, "PORT", 0, true},
      {PANEL_FLASH_PROGRESS, ControlKind::Numeric, "", 1023, true},
      {PANEL_DEVICE_TYPE, ControlKind::TextBox, "", 0, true},
      {PANEL_STEP_1, ControlKind::TextMessage, "", 0, false},
      {PANEL_TIMER, ControlKind::Timer, "PORT_TIMER", 0, false},
  };
  for (const auto& entry : expected) {
    SCOPED_TRACE("control " + std::to_string(entry.id));
    const rt::PanelFileControl* control = control_in(panel, entry.id);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(control->kind, entry.kind);
    EXPECT_EQ(control->callback, entry.callback);
    EXPECT_EQ(control->maximum, entry.maximum);
    EXPECT_EQ(control->labelled, entry.labelled);
  }
  EXPECT_EQ(control_in(panel, PANEL_TIMER)->interval_ms, 1000);
  for (int id : PANEL_CONTROLS) EXPECT_NE(control_in(panel, id), nullptr) << "control " << id;
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
  EXPECT_EQ(read.controls[0].maximum, 100); // a progress bar's own
}

} // namespace
