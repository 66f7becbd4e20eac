// The console run-time's user-interface operations on the main panel: the
// semantics the system relies on, as the window gives them.
#include "console_runtime.h"
#include "24GHz_prog.h"
#include "flash.h"
#include "main.h"
#include "session.h"
#include "userint.h"

#include <gtest/gtest.h>
#include <functional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace {

using rt::Change;

int load_main_panel() {
  RegisterCallbacks(kovo::panel_callbacks());
  return LoadPanel(0, "24GHz_prog.uir", PANEL);
}

class ConsoleRuntimeTest : public ::testing::Test, public rt::ConsoleObserver {
protected:
  void control_changed(const rt::PanelControl& control, Change change) override {
    changes_.emplace_back(control.id, change);
  }
  bool before_message(const rt::ShownMessage&) override {
    ++messages_;
    return true;
  }

  std::string text_of(int control) const {
    char text[200] = "untouched";
    EXPECT_EQ(GetCtrlVal(panel_, control, text, sizeof text), 0);
    return text;
  }

  rt::Session session_;
  rt::ConsoleRuntime runtime_{*this};
  const int panel_ = load_main_panel();
  std::vector<std::pair<int, Change>> changes_;
  int messages_ = 0;
};

TEST_F(ConsoleRuntimeTest, BuildsTheMainPanelWithoutAFile) {
  ASSERT_GT(panel_, 0);
  for (int control : PANEL_CONTROLS) {
    int dimmed = -1;
    EXPECT_EQ(GetCtrlAttribute(panel_, control, ATTR_DIMMED, &dimmed), 0) << "control " << control;
  }
  EXPECT_EQ(runtime_.control(panel_, PANEL_CONNECT)->callback, &kovo::CONNECT_FLASH);
  EXPECT_EQ(runtime_.control(panel_, PANEL_COMPORT)->callback, &kovo::PORT);
  EXPECT_EQ(runtime_.control(panel_, PANEL_GERMAN)->callback, &kovo::SET_LANGUAGE);
  EXPECT_EQ(runtime_.control(panel_, PANEL_FLASH_PROGRESS)->maximum, 1023);
}

TEST_F(ConsoleRuntimeTest, KnowsNoOtherPanel) {
  EXPECT_EQ(LoadPanel(0, "other.uir", PANEL), UIE_PANEL_FILE_NOT_READABLE);
  EXPECT_NE(std::string(GetUILErrorString(UIE_PANEL_FILE_NOT_READABLE)).find("other.uir"), std::string::npos);
  EXPECT_EQ(LoadPanel(0, "24GHz_prog.uir", PANEL + 1), UIE_PANEL_FILE_NOT_VALID); // as in the window
}

TEST(ConsoleSession, LoadsNoPanelBeforeTheCallbacksAreRegistered) {
  rt::Session session;
  struct : rt::ConsoleObserver {
    void control_changed(const rt::PanelControl&, Change) override {}
    bool before_message(const rt::ShownMessage&) override { return true; }
  } observer;
  rt::ConsoleRuntime runtime(observer);
  EXPECT_EQ(LoadPanel(0, "24GHz_prog.uir", PANEL), UIE_NO_CALLBACKS);
  EXPECT_NE(std::string(GetUILErrorString(UIE_NO_CALLBACKS)).find("callbacks"), std::string::npos);
}

TEST(ConsoleSession, ASecondSessionIsRefusedWhileOneLives) {
  rt::Session first;
  EXPECT_THROW(rt::Session second, std::logic_error);
  EXPECT_EQ(&rt::Session::current(), &first);
}

TEST(ConsoleSession, ANewSessionStartsAfterTheLastEnded) {
  { rt::Session first; }
  EXPECT_EQ(rt::Session::active(), nullptr);
  EXPECT_THROW(rt::Session::current(), std::logic_error);
  rt::Session second;
  EXPECT_EQ(rt::Session::active(), &second);
}

TEST_F(ConsoleRuntimeTest, TextBoxesAppendAndTextMessagesReplace) {
  SetCtrlVal(panel_, PANEL_DEVICE_TYPE, "Kovo ");
  SetCtrlVal(panel_, PANEL_DEVICE_TYPE, "RX-07");
  EXPECT_EQ(text_of(PANEL_DEVICE_TYPE), "Kovo RX-07");
  ResetTextBox(panel_, PANEL_DEVICE_TYPE, "");
  EXPECT_EQ(text_of(PANEL_DEVICE_TYPE), "");
  SetCtrlVal(panel_, PANEL_VERSION, "Version 0.9");
  SetCtrlVal(panel_, PANEL_VERSION, "Version 1.0");
  EXPECT_EQ(text_of(PANEL_VERSION), "Version 1.0");
}

TEST_F(ConsoleRuntimeTest, RingSelectsByValueAndKeepsItsSelection) {
  InsertListItem(panel_, PANEL_COMPORT, -1, "COM5", 5);
  InsertListItem(panel_, PANEL_COMPORT, -1, "COM7", 7);
  int value = 0;
  EXPECT_EQ(GetCtrlVal(panel_, PANEL_COMPORT, &value), 0);
  EXPECT_EQ(value, 5); // the first item
  SetCtrlVal(panel_, PANEL_COMPORT, 7);
  SetCtrlVal(panel_, PANEL_COMPORT, 9); // no such item
  InsertListItem(panel_, PANEL_COMPORT, 0, "COM1", 1);
  EXPECT_EQ(GetCtrlVal(panel_, PANEL_COMPORT, &value), 0);
  EXPECT_EQ(value, 7);
  ClearListCtrl(panel_, PANEL_COMPORT);
  value = 42;
  EXPECT_EQ(GetCtrlVal(panel_, PANEL_COMPORT, &value), UIE_INVALID_VALUE);
  EXPECT_EQ(value, 42);
}

TEST_F(ConsoleRuntimeTest, RefusesWhatAControlOfItsKindCannotDo) {
  const std::vector<std::pair<std::function<int()>, int>> calls = {
      {[&] { return SetCtrlVal(panel_, PANEL_FILENAME, 3); }, UIE_INVALID_VALUE},
      {[&] { return SetCtrlVal(panel_, PANEL_FLASH_PROGRESS, "3"); }, UIE_INVALID_VALUE},
      {[&] { return ResetTextBox(panel_, PANEL_STEP_1, ""); }, UIE_INVALID_VALUE},
      {[&] { return InsertListItem(panel_, PANEL_FILENAME, 0, "x", 1); }, UIE_INVALID_VALUE},
      {[&] { return SetCtrlAttribute(panel_, PANEL_CONNECT, ATTR_FILL_COLOR, 0xFF0000); }, UIE_INVALID_ATTRIBUTE},
      {[&] { return SetCtrlAttribute(panel_, PANEL_CONNECT, ATTR_DIMMED, "1"); }, UIE_INVALID_ATTRIBUTE},
      {[&] { return SetPanelAttribute(panel_, ATTR_DIMMED, "x"); }, UIE_INVALID_ATTRIBUTE},
      {[&] { return SetCtrlVal(panel_, 99, 1); }, UIE_INVALID_CONTROL},
      {[&] { return SetCtrlVal(panel_ + 1, PANEL_FLASH_PROGRESS, 1); }, UIE_INVALID_CONTROL},
  };
  for (std::size_t i = 0; i < calls.size(); ++i) EXPECT_EQ(calls[i].first(), calls[i].second) << "call " << i;
  EXPECT_TRUE(changes_.empty());
}

TEST_F(ConsoleRuntimeTest, TellsTheObserverOfEachChange) {
  SetCtrlVal(panel_, PANEL_FLASH_PROGRESS, 512);
  SetCtrlAttribute(panel_, PANEL_FLASH_PROGRESS, ATTR_FILL_COLOR, 0x00FF00);
  SetCtrlAttribute(panel_, PANEL_FLASH_PROGRESS, ATTR_LABEL_TEXT, "program firmware...");
  SetCtrlAttribute(panel_, PANEL_PROGRAM, ATTR_DIMMED, 1);
  SetCtrlVal(panel_, PANEL_FILENAME, "a.frm");
  const std::vector<std::pair<int, Change>> expected = {{PANEL_FLASH_PROGRESS, Change::Value},
                                                        {PANEL_FLASH_PROGRESS, Change::Colour},
                                                        {PANEL_FLASH_PROGRESS, Change::Label},
                                                        {PANEL_PROGRAM, Change::Dimming},
                                                        {PANEL_FILENAME, Change::Text}};
  EXPECT_EQ(changes_, expected);
  const rt::PanelControl& indicator = *runtime_.control(panel_, PANEL_FLASH_PROGRESS);
  EXPECT_EQ(indicator.value, 512);
  EXPECT_EQ(indicator.colour, 0x00FF00);
  EXPECT_EQ(indicator.label, "program firmware...");
  EXPECT_TRUE(runtime_.control(panel_, PANEL_PROGRAM)->dimmed);
}

TEST_F(ConsoleRuntimeTest, PressesOnlyWhatAPersonCouldPress) {
  EXPECT_FALSE(runtime_.press(panel_, PANEL_VERSION)); // no callback
  SetCtrlAttribute(panel_, PANEL_QUIT, ATTR_DIMMED, 1);
  EXPECT_FALSE(runtime_.press(panel_, PANEL_QUIT));
  SetCtrlAttribute(panel_, PANEL_QUIT, ATTR_DIMMED, 0);
  EXPECT_TRUE(runtime_.press(panel_, PANEL_QUIT)); // QUIT_START ends the user interface
  EXPECT_FALSE(runtime_.press(panel_, PANEL_QUIT));
}

TEST_F(ConsoleRuntimeTest, ChoosesOnlyListedRingItems) {
  InsertListItem(panel_, PANEL_COMPORT, -1, "COM5", 5);
  EXPECT_FALSE(runtime_.choose(panel_, PANEL_COMPORT, 6));
  EXPECT_FALSE(runtime_.choose(panel_, PANEL_FILENAME, 5));
}

TEST_F(ConsoleRuntimeTest, FileDialogAnswersWithTheChosenPath) {
  char path[MAX_PATHNAME_LEN] = "stale";
  const auto ask = [&] { return FileSelectPopup("", "*.frm", "*.frm", "Firmware", VAL_LOAD_BUTTON, 0, 1, 1, 0, path); };
  EXPECT_EQ(ask(), VAL_NO_FILE_SELECTED);
  EXPECT_STREQ(path, "");
  runtime_.set_file_choice("/tmp/a.frm");
  EXPECT_EQ(ask(), VAL_EXISTING_FILE_SELECTED);
  EXPECT_STREQ(path, "/tmp/a.frm");
  runtime_.set_file_choice(std::string(MAX_PATHNAME_LEN, 'x'));
  EXPECT_EQ(ask(), VAL_EXISTING_FILE_SELECTED);
  EXPECT_STREQ(path, "");
}

TEST_F(ConsoleRuntimeTest, MessagesLetTheObserverEndItsLineFirst) {
  MessagePopup("Title", "Text");
  EXPECT_EQ(messages_, 1);
}

TEST_F(ConsoleRuntimeTest, RecordsEveryMessageShownInOrder) {
  MessagePopup("Dateifehler", "Datei Fehlerhaft!");
  MessagePopup("Programmierfehler", "Programmierung Fehlerhaft!\nEmpf\xC3\xA4nger neu verbinden");
  const auto& shown = runtime_.shown_messages();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0].title, "Dateifehler");
  EXPECT_EQ(shown[0].text, "Datei Fehlerhaft!");
  EXPECT_EQ(shown[1].text, "Programmierung Fehlerhaft!\nEmpf\xC3\xA4nger neu verbinden")
      << "as passed, line breaks kept";
}

} // namespace
