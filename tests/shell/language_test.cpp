// Every text of both languages, written out here independently of the
// program's own tables, checked where the user sees it.
#include "24GHz_prog.h"
#include "glob.h"
#include "program_fixture.h"
#include "qt_text.h"
#include "window_texts.h"

#include <QAbstractButton>
#include <QLabel>
#include <cstring>
#include <map>

namespace kovo::testing {
namespace {

const std::map<std::string, const char*> kMessageGlobals = {
    {"text_port_err_1", text_port_err_1},   {"text_port_err_2", text_port_err_2},
    {"text_flash_err_1", text_flash_err_1}, {"text_flash_err_2", text_flash_err_2},
    {"text_flash_err_3", text_flash_err_3}, {"text_flash_err_4", text_flash_err_4},
    {"text_flash_err_5", text_flash_err_5}, {"text_flash_err_6", text_flash_err_6}};

class LanguageTexts : public ProgramTest {
protected:
  // The text the user reads on or beside a control.
  QString shown_text(const char* name) const {
    QWidget* widget = control(name);
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) return button->text();
    if (std::string(name).rfind("PANEL_STEP_", 0) == 0) return static_cast<QLabel*>(widget)->text();
    for (QLabel* label : window()->findChildren<QLabel*>()) {
      if (label->buddy() == widget) return label->text();
    }
    return QStringLiteral("<no label>");
  }

  void expect_language(int which) {
    for (const testsupport::WindowText& text : testsupport::window_texts()) {
      const char* expected = which == 0 ? text.german : text.english;
      const auto global = kMessageGlobals.find(text.target);
      if (global != kMessageGlobals.end()) {
        EXPECT_EQ(std::string(global->second), rt::to_system_text(QString::fromUtf8(expected)))
            << text.target << " in language " << which;
      } else {
        EXPECT_EQ(shown_text(text.target), QString::fromUtf8(expected)) << text.target << " in language " << which;
      }
    }
    EXPECT_EQ(window()->windowTitle(), QString::fromUtf8(testsupport::kWindowTitle));
  }
};

TEST_F(LanguageTexts, AreExactInBothLanguagesAndFollowTheButtons) {
  ports_.add("COM1");
  run_program([this] {
    expect_language(0);
    click("PANEL_ENGLISH");
    expect_language(1);
    click("PANEL_GERMAN");
    expect_language(0);
  });
}

TEST_F(LanguageTexts, LongGermanMessageIsKeptWhole) {
  run_program([] {});
  EXPECT_EQ(QString::fromUtf8(text_flash_err_4).size(), 102);
  EXPECT_TRUE(QString::fromUtf8(text_flash_err_4).endsWith(QStringLiteral("nicht unterstützt!")));
}

TEST_F(LanguageTexts, UmlautsAreUtf8) {
  run_program([] {});
  EXPECT_NE(std::string(text_flash_err_2).find("Empf\xC3\xA4nger"), std::string::npos);   // ä
  EXPECT_NE(std::string(text_flash_err_4).find("unterst\xC3\xBCtzt"), std::string::npos); // ü
}

} // namespace
} // namespace kovo::testing
