// The window's view of the panel model (panel_model.h). A panel is a
// Designer form whose widgets carry their control id as a property: the view
// builds its look from the panel file the model read, renders the model's
// changes and hands the user's clicks and picks back to the model.
//
// Callbacks run on the one thread. While one runs, the window is still
// painted (the waits and the indicator updates let Qt work in between) but
// every user input aimed at a panel is thrown away, so nothing acts on the
// panel before the callback returns and nothing is replayed afterwards.
#include "widgets_runtime.h"

#include "dialogs.h"
#include "idle.h"
#include "panel_model.h"
#include "qt_text.h"
#include "screen_frame.h"
#include "session.h"
#include "userint.h"

#include <QAbstractButton>
#include <QApplication>
#include <QBuffer>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QEventLoop>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTimer>
#include <QUiLoader>
#include <algorithm>
#include <cmath>
#include <map>
#include <vector>

namespace rt {
namespace {

constexpr int kRepaintIntervalMs = 16;                             // one screen frame
constexpr char kProgramIcon[] = ":/icons/" KOVO_DESKTOP_ID ".svg"; // the desktop entry's icon

// The widgets that show one control of the model.
struct ControlWidgets {
  int panel = 0;
  int id = 0;
  QWidget* widget = nullptr;
  QLabel* label = nullptr; // the separate label of a non-button control
  bool value_shown = true; // a numeric's latest value is on screen
};

struct PanelWindow {
  std::unique_ptr<QWidget> window;
  std::map<int, ControlWidgets> controls;
  std::unique_ptr<QTimer> timer;
};

// Beside the executable (a build tree, a folder of its own), then where an
// installation keeps its data (bin/../share/kovoflash).
std::vector<std::string> default_panel_folders() {
  const QDir executable_folder(QCoreApplication::applicationDirPath());
  return {to_system_text(executable_folder.path()),
          to_system_text(QDir::cleanPath(executable_folder.filePath(QStringLiteral(KOVO_INSTALLED_PANEL_FOLDER))))};
}

bool is_user_input(QEvent::Type type) {
  switch (type) {
  case QEvent::MouseButtonPress:
  case QEvent::MouseButtonRelease:
  case QEvent::MouseButtonDblClick:
  case QEvent::KeyPress:
  case QEvent::KeyRelease:
  case QEvent::ShortcutOverride:
  case QEvent::Shortcut:
  case QEvent::Wheel:
  case QEvent::ContextMenu:
  case QEvent::TouchBegin:
  case QEvent::TouchUpdate:
  case QEvent::TouchEnd: return true;
  default: return false;
  }
}

void set_text(QWidget& widget, const QString& text) {
  if (auto* line = qobject_cast<QLineEdit*>(&widget)) {
    line->setText(text);
    line->setToolTip(text);
  } else if (auto* box = qobject_cast<QPlainTextEdit*>(&widget)) {
    box->setPlainText(text);
  } else if (auto* label = qobject_cast<QLabel*>(&widget)) {
    label->setText(text);
  }
}

void set_label(const ControlWidgets& shown, const QString& label) {
  if (auto* button = qobject_cast<QAbstractButton*>(shown.widget)) {
    const QKeySequence shortcut = button->shortcut(); // setText replaces it
    button->setText(label);
    button->setShortcut(shortcut);
  } else if (shown.label) {
    shown.label->setText(label);
  }
  shown.widget->setAccessibleName(label);
}

void show_items(QComboBox& ring, const PanelControl& control) {
  ring.clear();
  for (const RingItem& item : control.items) ring.addItem(from_system_text(item.label), item.value);
  ring.setCurrentIndex(control.selected);
}

double relative_luminance(const QColor& colour) {
  const auto linear = [](double channel) {
    return channel <= 0.03928 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) + 0.0722 * linear(colour.blueF());
}

// The percentage drawn over the fill is black or white, whichever stands out
// more: white vanishes on yellow and bright green.
void fill_indicator(QWidget& bar, const QColor& fill) {
  const double luminance = relative_luminance(fill);
  const bool dark_text = (luminance + 0.05) / 0.05 >= 1.05 / (luminance + 0.05);
  QPalette palette = bar.palette();
  palette.setColor(QPalette::Highlight, fill);
  palette.setColor(QPalette::HighlightedText, dark_text ? Qt::black : Qt::white);
  bar.setPalette(palette);
}

void show_value(QWidget& widget, const PanelControl& control) {
  auto* bar = static_cast<QProgressBar*>(&widget);
  bar->setValue(std::clamp(control.value, bar->minimum(), bar->maximum()));
}

// A ring that tells before it shows its items, so that they can be read anew.
class Ring : public QComboBox {
  Q_OBJECT
public:
  using QComboBox::QComboBox;
  void showPopup() override {
    emit opening();
    QComboBox::showPopup();
  }
signals:
  void opening();
};

// A loader loads Designer's widget plugins (Qt Quick's among them) as it is
// made. The panel holds Qt's own widgets only, so while it is made there are
// no plugin folders to look in, which saves every start that work.
struct NoPluginFolders {
  NoPluginFolders() : kept(QCoreApplication::libraryPaths()) { QCoreApplication::setLibraryPaths({}); }
  const QStringList kept;
};

// Builds the panel's rings as Ring; every other widget as Designer names it.
class PanelLoader : private NoPluginFolders, public QUiLoader {
public:
  PanelLoader() { QCoreApplication::setLibraryPaths(kept); }
  QWidget* createWidget(const QString& className, QWidget* parent, const QString& name) override {
    if (className != QLatin1String("QComboBox")) return QUiLoader::createWidget(className, parent, name);
    auto* ring = new Ring(parent);
    ring->setObjectName(name);
    return ring;
  }
};

} // namespace

struct WidgetsRuntime::State : QObject, IdleHandler, PanelView {
  State() { model.set_panel_folders(default_panel_folders()); }

  Session& owner = Session::current();
  PanelModel model{*this};
  std::map<int, PanelWindow> windows;
  QEventLoop* running_loop = nullptr;
  QElapsedTimer since_repaint;
  std::vector<ControlWidgets*> values_to_show;

  ControlWidgets* shown(int panel, int id) {
    const auto window = windows.find(panel);
    if (window == windows.end()) return nullptr;
    const auto control = window->second.controls.find(id);
    return control == window->second.controls.end() ? nullptr : &control->second;
  }

  bool is_panel_window(const QWidget* window) const {
    return std::any_of(windows.begin(), windows.end(),
                       [window](const auto& entry) { return entry.second.window.get() == window; });
  }

  // What the user did goes to the model; what a callback left for the next
  // repaint is shown once it has returned.
  template <class Action>
  void act(Action action) {
    action();
    show_pending_values();
  }

  void set_value(ControlWidgets& target, const PanelControl& control) {
    if (!model.callback_running()) return show_value(*target.widget, control);
    if (target.value_shown) values_to_show.push_back(&target);
    target.value_shown = false;
    keep_alive();
  }

  void show_pending_values() {
    for (ControlWidgets* pending : values_to_show) {
      show_value(*pending->widget, *model.control(pending->panel, pending->id));
      pending->value_shown = true;
    }
    values_to_show.clear();
  }

  void repaint_now() {
    show_pending_values();
    QCoreApplication::processEvents();
    since_repaint.restart();
  }

  // Outside a callback the event loop paints by itself.
  void keep_alive() override {
    if (!model.callback_running()) return;
    if (!since_repaint.isValid() || since_repaint.elapsed() >= kRepaintIntervalMs) repaint_now();
  }

  void wait_until(Clock::time_point deadline) override {
    show_pending_values();
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() > 0) {
      QEventLoop loop;
      QTimer::singleShot(static_cast<int>(left.count()), Qt::PreciseTimer, &loop, &QEventLoop::quit);
      loop.exec();
    }
    since_repaint.restart();
  }

  bool eventFilter(QObject* target, QEvent* event) override {
    auto* widget = qobject_cast<QWidget*>(target);
    if (!widget || !is_panel_window(widget->window())) return false;
    if (event->type() == QEvent::Close && widget->isWindow()) {
      event->ignore();
      close_box_pressed(widget);
      return true;
    }
    return model.callback_running() && is_user_input(event->type()) && !is_frame_scroll_bar(*widget);
  }

  void close_box_pressed(const QWidget* window) {
    for (auto& [handle, candidate] : windows) {
      if (candidate.window.get() == window) act([this, panel = handle] { model.close(panel); });
    }
  }

  std::string build_panel(int panel, std::string_view file_content) override;
  bool find_widgets(int panel, PanelWindow& shown);
  void connect_controls(int panel);
  void connect_ring(int panel, int id, QComboBox& ring);

  void panel_shown(int panel, bool visible) override {
    QWidget* window = windows.at(panel).window.get();
    if (!visible) return window->hide();
    window->show();
    window->raise();
    window->activateWindow();
  }

  void title_changed(int panel, const std::string& title) override {
    windows.at(panel).window->setWindowTitle(from_system_text(title));
  }

  void control_changed(int panel, const PanelControl& control, Change change) override;

  void show_message(const ShownMessage& message) override { show_message_box(message); }

  std::optional<std::string> choose_file(const FileRequest& request) override { return ask_for_file(request); }

  void dialog_language_changed(int language) override { set_dialog_language(language); }

  void run() override {
    QEventLoop loop;
    running_loop = &loop;
    loop.exec();
    running_loop = nullptr;
  }

  void stop_running() override {
    if (running_loop) running_loop->exit();
  }
};

std::string WidgetsRuntime::State::build_panel(int panel, std::string_view file_content) {
  QByteArray content(file_content.data(), static_cast<qsizetype>(file_content.size()));
  QBuffer file(&content);
  file.open(QIODevice::ReadOnly);
  PanelLoader loader;
  PanelWindow shown;
  shown.window.reset(loader.load(&file));
  if (!shown.window) return to_system_text(loader.errorString());
  if (!find_widgets(panel, shown)) return "a control has no widget of its own";
  shown.window = framed_for_screen(std::move(shown.window));
  windows.emplace(panel, std::move(shown));
  connect_controls(panel);
  return {};
}

// The widgets of the model's controls, by the ids the file gives them, and
// the labels that name them.
bool WidgetsRuntime::State::find_widgets(int panel, PanelWindow& shown) {
  for (QWidget* widget : shown.window->findChildren<QWidget*>()) {
    const QVariant id = widget->property("ctrlId");
    if (id.isValid()) shown.controls[id.toInt()] = {panel, id.toInt(), widget};
  }
  for (QLabel* label : shown.window->findChildren<QLabel*>()) {
    for (auto& [id, control] : shown.controls) {
      if (label->buddy() == control.widget) control.label = label;
    }
  }
  for (const int id : model.control_ids(panel)) {
    if (!shown.controls.contains(id)) return false;
    if (model.control(panel, id)->kind == ControlKind::Numeric) {
      QWidget& bar = *shown.controls.at(id).widget;
      fill_indicator(bar, bar.palette().color(QPalette::Highlight));
    }
  }
  return true;
}

void WidgetsRuntime::State::connect_controls(int panel) {
  PanelWindow& shown = windows.at(panel);
  for (auto& [id, control] : shown.controls) {
    const int control_id = id;
    switch (model.control(panel, id)->kind) {
    case ControlKind::Button:
      QObject::connect(static_cast<QAbstractButton*>(control.widget), &QAbstractButton::clicked, this,
                       [this, panel, control_id] { act([&] { model.press(panel, control_id); }); });
      break;
    case ControlKind::Ring: connect_ring(panel, id, *static_cast<QComboBox*>(control.widget)); break;
    case ControlKind::TextBox:
      if (auto* line = qobject_cast<QLineEdit*>(control.widget)) {
        QObject::connect(line, &QLineEdit::textEdited, this, [this, panel, control_id](const QString& text) {
          model.type(panel, control_id, to_system_text(text));
        });
      }
      break;
    case ControlKind::Timer:
      shown.timer = std::make_unique<QTimer>();
      QObject::connect(shown.timer.get(), &QTimer::timeout, this,
                       [this, panel, control_id] { act([&] { model.tick(panel, control_id); }); });
      shown.timer->start(model.control(panel, id)->interval_ms);
      break;
    case ControlKind::TextMessage:
    case ControlKind::Numeric: break;
    }
  }
}

// A ring hands a pick over only when the user chose another item than the
// one shown: picking the same item again must not close the open port.
void WidgetsRuntime::State::connect_ring(int panel, int id, QComboBox& ring) {
  QObject::connect(&ring, &QComboBox::activated, this, [this, panel, id, &ring](int index) {
    if (index == model.control(panel, id)->selected) return;
    act([&] { model.pick(panel, id, ring.itemData(index).toInt()); });
    ring.setCurrentIndex(model.control(panel, id)->selected); // a refused pick shows the selection again
  });
  QObject::connect(static_cast<Ring*>(&ring), &Ring::opening, this,
                   [this, panel, id] { act([&] { model.open_ring(panel, id); }); });
}

void WidgetsRuntime::State::control_changed(int panel, const PanelControl& control, Change change) {
  ControlWidgets* target = shown(panel, control.id);
  if (!target) return;
  switch (change) {
  case Change::Value:
    if (control.kind == ControlKind::Numeric) return set_value(*target, control);
    static_cast<QComboBox*>(target->widget)->setCurrentIndex(control.selected);
    return;
  case Change::Items: return show_items(*static_cast<QComboBox*>(target->widget), control);
  case Change::Label: return set_label(*target, from_system_text(control.label));
  case Change::Text: set_text(*target->widget, from_system_text(control.text)); break;
  case Change::Dimming: target->widget->setEnabled(!control.dimmed); break;
  case Change::Colour: fill_indicator(*target->widget, QColor::fromRgb(static_cast<QRgb>(control.colour))); break;
  }
  keep_alive();
}

WidgetsRuntime::WidgetsRuntime() : state_(std::make_unique<State>()) {
  state_->owner.idle_handler = state_.get();
  QApplication::setWindowIcon(QIcon(QLatin1String(kProgramIcon))); // every window and dialog, for taskbars
  qApp->installEventFilter(state_.get());
}

WidgetsRuntime::~WidgetsRuntime() {
  qApp->removeEventFilter(state_.get());
  state_->owner.idle_handler = nullptr;
}

void WidgetsRuntime::set_panel_directory(const QString& directory) {
  state_->model.set_panel_folders({to_system_text(directory)});
}

QWidget* WidgetsRuntime::panel_window(int panel) const {
  const auto found = state_->windows.find(panel);
  return found == state_->windows.end() ? nullptr : found->second.window.get();
}

bool WidgetsRuntime::callback_running() const { return state_->model.callback_running(); }

bool WidgetsRuntime::quit_requested() const { return state_->model.quit_requested(); }

} // namespace rt

#include "userint_widgets.moc"
