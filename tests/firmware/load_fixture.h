// Loading firmware files through the real panel: a connected device is
// stood in for, the user picks files in the scripted dialog.
#pragma once

#include "24GHz_prog.h"
#include "glob.h"
#include "program_fixture.h"
#include "sample_files.h"

#include <QLineEdit>
#include <fstream>

namespace kovo::testing {

class FirmwareLoad : public ProgramTest {
protected:
  // What a connect to a supported device leaves behind; call inside run_program.
  void connected(int size) const {
    memory_size = size;
    device_accepted = true;
    SetCtrlAttribute(MAIN_P, PANEL_LOAD_FILE, ATTR_DIMMED, 0);
  }
  void load(const std::string& path) {
    dialogs_.choose_file(path);
    click("PANEL_LOAD_FILE");
  }
  void cancel_load() {
    dialogs_.cancel_file();
    click("PANEL_LOAD_FILE");
  }

  static int value_of(int indicator) {
    int value = -1;
    EXPECT_EQ(GetCtrlVal(MAIN_P, indicator, &value), 0);
    return value;
  }
  std::string file_name_box() const { return control<QLineEdit>("PANEL_FILENAME")->text().toStdString(); }

  std::string write_file(const char* name, const std::string& content) const {
    const std::string path = path_in_folder(name);
    std::ofstream(path, std::ios::binary) << content;
    return path;
  }

  // Every message shown was the file error, in German, and there were `count`.
  void expect_file_errors(std::size_t count) const {
    EXPECT_EQ(dialogs_.messages().size(), count);
    for (const auto& message : dialogs_.messages()) {
      EXPECT_EQ(message.title, "Dateifehler");
      EXPECT_EQ(message.text, "Datei Fehlerhaft!");
    }
  }
};

} // namespace kovo::testing
