// The console's main panel holds what the panel file holds: the same
// controls, of the same kinds, firing the same callbacks, with the same ranges.
#include "console_panels.h"

#include "24GHz_prog.h"

#include <QFile>
#include <QXmlStreamReader>
#include <gtest/gtest.h>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace {

struct FileControl {
  QString widget_class;
  std::optional<int> id;
  QString callback;
  int maximum = 0;
  bool timer = false;
};

std::optional<rt::ControlKind> kind_of(const QString& widget_class) {
  static const std::map<QString, rt::ControlKind> kinds = {
      {QStringLiteral("QPushButton"), rt::ControlKind::Button},
      {QStringLiteral("QLabel"), rt::ControlKind::TextMessage},
      {QStringLiteral("QLineEdit"), rt::ControlKind::TextBox},
      {QStringLiteral("QProgressBar"), rt::ControlKind::Numeric},
      {QStringLiteral("QComboBox"), rt::ControlKind::Ring}};
  const auto found = kinds.find(widget_class);
  return found == kinds.end() ? std::nullopt : std::optional(found->second);
}

void take_property(QXmlStreamReader& xml, FileControl& control) {
  const QString name = xml.attributes().value(QStringLiteral("name")).toString();
  if (!xml.readNextStartElement()) return;
  const QString value = xml.readElementText(QXmlStreamReader::SkipChildElements);
  if (name == QLatin1String("ctrlId")) control.id = value.toInt();
  if (name == QLatin1String("callback")) control.callback = value;
  if (name == QLatin1String("maximum")) control.maximum = value.toInt();
  if (name == QLatin1String("timerInterval")) control.timer = true;
}

// The controls of the panel file by id; each property belongs to the
// innermost widget open around it.
std::map<int, FileControl> controls_in_panel_file() {
  QFile file(QStringLiteral(KOVO_PANEL_FILE));
  if (!file.open(QIODevice::ReadOnly)) throw std::runtime_error("cannot read the panel file");
  QXmlStreamReader xml(&file);
  std::vector<FileControl> open;
  std::map<int, FileControl> controls;
  while (!xml.atEnd()) {
    xml.readNext();
    if (xml.isStartElement() && xml.name() == QLatin1String("widget")) {
      open.push_back({xml.attributes().value(QStringLiteral("class")).toString(), {}, {}, 0, false});
    } else if (xml.isStartElement() && xml.name() == QLatin1String("property") && !open.empty()) {
      take_property(xml, open.back());
    } else if (xml.isEndElement() && xml.name() == QLatin1String("widget")) {
      if (open.back().id) controls[*open.back().id] = open.back();
      open.pop_back();
    }
  }
  if (xml.hasError()) throw std::runtime_error(xml.errorString().toStdString());
  return controls;
}

TEST(ConsolePanelTest, HoldsWhatThePanelFileHolds) {
  ASSERT_EQ(rt::console_panels.size(), 1u);
  const rt::PanelDefinition& panel = rt::console_panels.front();
  EXPECT_EQ(panel.resource_id, PANEL);
  std::map<int, FileControl> in_file = controls_in_panel_file();
  for (const rt::ControlDefinition& control : panel.controls) {
    SCOPED_TRACE("control " + std::to_string(control.id));
    const auto found = in_file.find(control.id);
    ASSERT_NE(found, in_file.end());
    EXPECT_EQ(kind_of(found->second.widget_class), control.kind);
    EXPECT_EQ(found->second.callback, QString::fromLatin1(control.callback ? control.callback : ""));
    EXPECT_EQ(found->second.maximum, control.maximum);
    in_file.erase(found);
  }
  // The timer alone stays behind: a console has no use for it.
  ASSERT_EQ(in_file.size(), 1u);
  EXPECT_TRUE(in_file.begin()->second.timer);
}

} // namespace
