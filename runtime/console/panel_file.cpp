#include "panel_file.h"

#include <QXmlStreamReader>
#include <map>
#include <optional>
#include <set>

namespace rt {
namespace {

constexpr int kProgressBarMaximum = 100; // QProgressBar's own when the file names none

// A widget element while its children are read.
struct FileWidget {
  QString widget_class;
  std::optional<int> id;
  QString callback;
  std::optional<int> maximum;
  std::optional<int> resource_id; // the panel itself
  bool timer = false;
};

struct Reading {
  PanelFile panel;
  std::set<int> ids;
  std::optional<int> resource_id;

  void fail(const QString& reason) {
    if (panel.error.isEmpty()) panel.error = reason;
  }
};

// The kinds as the window tells them from the widget's class.
std::optional<ControlKind> kind_of(const QString& widget_class) {
  static const std::map<QString, ControlKind> kinds = {
      {QStringLiteral("QPushButton"), ControlKind::Button},   {QStringLiteral("QLabel"), ControlKind::TextMessage},
      {QStringLiteral("QLineEdit"), ControlKind::TextBox},    {QStringLiteral("QPlainTextEdit"), ControlKind::TextBox},
      {QStringLiteral("QProgressBar"), ControlKind::Numeric}, {QStringLiteral("QComboBox"), ControlKind::Ring}};
  const auto found = kinds.find(widget_class);
  return found == kinds.end() ? std::nullopt : std::optional(found->second);
}

void take_property(QXmlStreamReader& xml, FileWidget& widget) {
  const QString name = xml.attributes().value(QLatin1String("name")).toString();
  if (!xml.readNextStartElement()) return; // a property without a value
  const QString value = xml.readElementText(QXmlStreamReader::SkipChildElements);
  xml.skipCurrentElement(); // to the property's end
  if (name == QLatin1String("ctrlId"))
    widget.id = value.toInt();
  else if (name == QLatin1String("callback"))
    widget.callback = value;
  else if (name == QLatin1String("maximum"))
    widget.maximum = value.toInt();
  else if (name == QLatin1String("resourceId"))
    widget.resource_id = value.toInt();
  else if (name == QLatin1String("timerInterval"))
    widget.timer = true;
}

void add_control(Reading& reading, const FileWidget& widget) {
  const int id = *widget.id;
  if (id <= 0 || !reading.ids.insert(id).second) {
    return reading.fail(QStringLiteral("control id %1 is not unique and positive").arg(id));
  }
  if (widget.timer) return;
  const std::optional<ControlKind> kind = kind_of(widget.widget_class);
  if (!kind) return reading.fail(QStringLiteral("control %1 is of an unknown kind").arg(id));
  const int maximum = *kind == ControlKind::Numeric ? widget.maximum.value_or(kProgressBarMaximum) : 0;
  reading.panel.controls.push_back({id, *kind, widget.callback, maximum});
}

void read_widget(QXmlStreamReader& xml, Reading& reading);

// A property belongs to the widget whose element holds it directly; those of
// layouts, items and spacers are no widget's.
void read_children(QXmlStreamReader& xml, Reading& reading, FileWidget* owner) {
  while (xml.readNextStartElement()) {
    if (xml.name() == QLatin1String("widget"))
      read_widget(xml, reading);
    else if (xml.name() == QLatin1String("property") && owner)
      take_property(xml, *owner);
    else
      read_children(xml, reading, nullptr);
  }
}

void read_widget(QXmlStreamReader& xml, Reading& reading) {
  FileWidget widget;
  widget.widget_class = xml.attributes().value(QLatin1String("class")).toString();
  read_children(xml, reading, &widget);
  if (widget.resource_id && !reading.resource_id) reading.resource_id = widget.resource_id;
  if (widget.id) add_control(reading, widget);
}

} // namespace

PanelFile read_panel_file(QIODevice& file, int resource_id) {
  QXmlStreamReader xml(&file);
  Reading reading;
  if (xml.readNextStartElement()) read_children(xml, reading, nullptr); // the root, <ui>
  if (xml.hasError()) return {{}, xml.errorString()};
  if (reading.resource_id != resource_id) {
    return {{}, QStringLiteral("it holds no panel %1").arg(resource_id)};
  }
  if (!reading.panel.error.isEmpty()) return {{}, reading.panel.error};
  return reading.panel;
}

} // namespace rt
