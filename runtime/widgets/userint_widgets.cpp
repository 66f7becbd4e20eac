// The user-interface operations over Qt Widgets. A panel is a Designer form
// whose widgets carry their control id and callback name as properties.
//
// Callbacks run on the one thread. While one runs, the window is still
// painted (the waits and the indicator updates let Qt work in between) but
// every user input aimed at a panel is thrown away, so nothing acts on the
// panel before the callback returns and nothing is replayed afterwards.
#include "widgets_runtime.h"

#include "dialog_script.h"
#include "files.h"
#include "idle.h"
#include "panel_binding.h"
#include "qt_text.h"
#include "scoped_flag.h"
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
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QStringList>
#include <QTimer>
#include <QUiLoader>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <optional>
#include <stdexcept>
#include <vector>

namespace rt {
namespace {

constexpr int kRepaintIntervalMs = 16; // one screen frame
constexpr char kBuiltInPanelFolder[] = ":/ui/";
constexpr char kProgramIcon[] = ":/icons/" KOVO_DESKTOP_ID ".svg"; // the desktop entry's icon
constexpr long long kMaxPanelFileBytes = 4LL * 1024 * 1024;        // far beyond the panel's 17 KB

enum class Kind { Button, TextMessage, TextBox, Numeric, Ring, Timer };

struct Control {
  int id = 0;
  Kind kind = Kind::Button;
  QWidget* widget = nullptr;
  QLabel* label = nullptr; // the separate label of a non-button control
  CtrlCallbackPtr callback = nullptr;
  int value = 0; // a numeric's latest value, shown at the next repaint
  bool value_shown = true;
  int committed_index = -1; // a ring's item as last committed or set by the program
};

struct Panel {
  std::unique_ptr<QWidget> window;
  std::map<int, Control> controls;
  int close_control = 0; // the control whose commit the close box fires
  std::unique_ptr<QTimer> timer;
};

// Beside the executable (a build tree, a folder of its own), then where an
// installation keeps its data (bin/../share/kovoflash).
QStringList default_panel_folders() {
  const QDir executable_folder(QCoreApplication::applicationDirPath());
  return {executable_folder.path(),
          QDir::cleanPath(executable_folder.filePath(QStringLiteral(KOVO_INSTALLED_PANEL_FOLDER)))};
}

// The first folder's copy of the panel file, else the one built into the
// program. Only a regular file counts: a pipe of that name would hang the start.
QString panel_file_path(const QStringList& folders, const QString& name) {
  for (const QString& folder : folders) {
    const QString path = QDir(folder).filePath(name);
    if (QFileInfo(path).isFile()) return path;
  }
  return kBuiltInPanelFolder + QFileInfo(name).fileName();
}

// A file on disk is read as a regular file, without waiting, in case it was
// swapped for a pipe since it was chosen; the built-in copy is a resource.
std::optional<QByteArray> panel_file_content(const QString& path) {
  if (!path.startsWith(QLatin1String(kBuiltInPanelFolder))) {
    const auto content = rt::read_regular_file(rt::to_system_text(path), kMaxPanelFileBytes);
    return content ? std::optional(QByteArray::fromStdString(*content)) : std::nullopt;
  }
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  return file.readAll();
}

bool kind_of(QWidget* widget, Kind& kind) {
  if (widget->property("timerInterval").isValid())
    kind = Kind::Timer;
  else if (qobject_cast<QAbstractButton*>(widget))
    kind = Kind::Button;
  else if (qobject_cast<QLabel*>(widget))
    kind = Kind::TextMessage;
  else if (qobject_cast<QLineEdit*>(widget) || qobject_cast<QPlainTextEdit*>(widget))
    kind = Kind::TextBox;
  else if (qobject_cast<QProgressBar*>(widget))
    kind = Kind::Numeric;
  else if (qobject_cast<QComboBox*>(widget))
    kind = Kind::Ring;
  else
    return false;
  return true;
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

QString text_of(const Control& control) {
  if (auto* line = qobject_cast<QLineEdit*>(control.widget)) return line->text();
  if (auto* box = qobject_cast<QPlainTextEdit*>(control.widget)) return box->toPlainText();
  if (auto* label = qobject_cast<QLabel*>(control.widget)) return label->text();
  return {};
}

void set_text(Control& control, const QString& text) {
  if (auto* line = qobject_cast<QLineEdit*>(control.widget)) {
    line->setText(text);
    line->setToolTip(text);
  } else if (auto* box = qobject_cast<QPlainTextEdit*>(control.widget)) {
    box->setPlainText(text);
  } else if (auto* label = qobject_cast<QLabel*>(control.widget)) {
    label->setText(text);
  }
}

// A ring commits only when the user picks an item other than the one it
// showed: picking the same item again must not close the open port.
void ring_settled(Control& control) {
  control.committed_index = static_cast<QComboBox*>(control.widget)->currentIndex();
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

void show_value(Control& control) {
  auto* bar = static_cast<QProgressBar*>(control.widget);
  bar->setValue(std::clamp(control.value, bar->minimum(), bar->maximum()));
  control.value_shown = true;
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

struct WidgetsRuntime::State : QObject, IdleHandler, UserInterface {
  Session& owner = Session::current();
  std::map<int, Panel> panels;
  int next_handle = 1;
  QStringList panel_folders = default_panel_folders();
  bool busy = false;
  bool quit_requested = false;
  QEventLoop* running_loop = nullptr;
  QElapsedTimer since_repaint;
  std::vector<Control*> values_to_show;
  std::string load_error;

  Panel* panel(int handle) {
    const auto found = panels.find(handle);
    return found == panels.end() ? nullptr : &found->second;
  }

  Control* control(int handle, int id) {
    Panel* found = panel(handle);
    if (!found) return nullptr;
    const auto control = found->controls.find(id);
    return control == found->controls.end() ? nullptr : &control->second;
  }

  bool is_panel_window(const QWidget* window) const {
    return std::any_of(panels.begin(), panels.end(),
                       [window](const auto& entry) { return entry.second.window.get() == window; });
  }

  void dispatch(int handle, int id, int event) {
    Control* target = control(handle, id);
    if (busy || !target || !target->callback) return;
    {
      const ScopedFlag running(busy);
      target->callback(handle, id, event, nullptr, 0, 0);
    }
    show_pending_values();
    if (quit_requested && running_loop) running_loop->exit();
  }

  void set_value(Control& target, int value) {
    target.value = value;
    if (!busy) return show_value(target);
    if (target.value_shown) values_to_show.push_back(&target);
    target.value_shown = false;
    keep_alive();
  }

  void show_pending_values() {
    for (Control* pending : values_to_show) show_value(*pending);
    values_to_show.clear();
  }

  void repaint_now() {
    show_pending_values();
    QCoreApplication::processEvents();
    since_repaint.restart();
  }

  // Outside a callback the event loop paints by itself.
  void keep_alive() override {
    if (!busy) return;
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
    return busy && is_user_input(event->type()) && !is_frame_scroll_bar(*widget);
  }

  void close_box_pressed(const QWidget* window) {
    for (auto& [handle, candidate] : panels) {
      if (candidate.window.get() == window && candidate.close_control) {
        dispatch(handle, candidate.close_control, EVENT_COMMIT);
      }
    }
  }

  int fail_load(int error, const QString& file, const QString& reason) {
    load_error = to_system_text(QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(file), reason));
    return error;
  }

  int load(const QString& name, int resource_id);
  bool bind_controls(Panel& panel, const QString& file);
  void connect_controls(int handle);
};

namespace {

// Only one user interface is linked into a program, so the session's is this one.
WidgetsRuntime::State* state() {
  Session* session = Session::active();
  return session ? static_cast<WidgetsRuntime::State*>(session->user_interface) : nullptr;
}

Panel* find_panel(int panel) {
  WidgetsRuntime::State* window = state();
  return window ? window->panel(panel) : nullptr;
}

Control* find_control(int panel, int control) {
  WidgetsRuntime::State* window = state();
  return window ? window->control(panel, control) : nullptr;
}

} // namespace

int WidgetsRuntime::State::load(const QString& name, int resource_id) {
  const QString path = panel_file_path(panel_folders, name);
  std::optional<QByteArray> content = panel_file_content(path);
  if (!content) {
    return fail_load(UIE_PANEL_FILE_NOT_READABLE, path, QStringLiteral("it cannot be read as a regular file"));
  }
  QBuffer file(&*content);
  file.open(QIODevice::ReadOnly);
  PanelLoader loader;
  Panel panel;
  panel.window.reset(loader.load(&file));
  if (!panel.window) return fail_load(UIE_PANEL_FILE_NOT_VALID, path, loader.errorString());
  if (panel.window->property("resourceId").toInt() != resource_id) {
    return fail_load(UIE_PANEL_FILE_NOT_VALID, path, QStringLiteral("it holds no panel %1").arg(resource_id));
  }
  if (!bind_controls(panel, path)) return UIE_PANEL_FILE_NOT_VALID;
  panel.close_control = panel.window->property("closeCtrl").toInt();
  panel.window = framed_for_screen(std::move(panel.window));
  const int handle = next_handle++;
  panels.emplace(handle, std::move(panel));
  connect_controls(handle);
  return handle;
}

bool WidgetsRuntime::State::bind_controls(Panel& panel, const QString& file) {
  for (QWidget* widget : panel.window->findChildren<QWidget*>()) {
    const QVariant id_property = widget->property("ctrlId");
    if (!id_property.isValid()) continue;
    Control control;
    control.id = id_property.toInt();
    control.widget = widget;
    if (control.id <= 0 || panel.controls.contains(control.id)) {
      fail_load(UIE_PANEL_FILE_NOT_VALID, file,
                QStringLiteral("control id %1 is not unique and positive").arg(control.id));
      return false;
    }
    if (!kind_of(widget, control.kind)) {
      fail_load(UIE_PANEL_FILE_NOT_VALID, file, QStringLiteral("control %1 is of an unknown kind").arg(control.id));
      return false;
    }
    const QString callback = widget->property("callback").toString();
    control.callback = callback.isEmpty() ? nullptr : callback_named(callback.toLatin1().toStdString());
    if (!callback.isEmpty() && !control.callback) {
      fail_load(UIE_PANEL_FILE_NOT_VALID, file,
                QStringLiteral("control %1 names the unknown callback %2").arg(control.id).arg(callback));
      return false;
    }
    if (control.kind == Kind::Numeric) fill_indicator(*widget, widget->palette().color(QPalette::Highlight));
    panel.controls.emplace(control.id, control);
  }
  for (QLabel* label : panel.window->findChildren<QLabel*>()) {
    for (auto& [id, control] : panel.controls) {
      if (label->buddy() == control.widget) control.label = label;
    }
  }
  return true;
}

void WidgetsRuntime::State::connect_controls(int handle) {
  Panel& panel = panels.at(handle);
  for (auto& [id, control] : panel.controls) {
    const int control_id = id;
    const auto commit = [this, handle, control_id] { dispatch(handle, control_id, EVENT_COMMIT); };
    if (auto* button = qobject_cast<QAbstractButton*>(control.widget)) {
      QObject::connect(button, &QAbstractButton::clicked, this, commit);
    } else if (auto* ring = qobject_cast<Ring*>(control.widget)) {
      Control* picked = &control; // map nodes stay where they are
      QObject::connect(ring, &QComboBox::activated, this, [picked, commit](int index) {
        if (index == picked->committed_index) return;
        picked->committed_index = index;
        commit();
      });
      QObject::connect(ring, &Ring::opening, this,
                       [this, handle, control_id] { dispatch(handle, control_id, EVENT_RING_OPENING); });
    } else if (control.kind == Kind::Timer) {
      panel.timer = std::make_unique<QTimer>();
      QObject::connect(panel.timer.get(), &QTimer::timeout, this,
                       [this, handle, control_id] { dispatch(handle, control_id, EVENT_TIMER_TICK); });
      panel.timer->start(control.widget->property("timerInterval").toInt());
    }
  }
}

WidgetsRuntime::WidgetsRuntime() : state_(std::make_unique<State>()) {
  Session& session = state_->owner;
  if (session.user_interface) throw std::logic_error("a second user interface in the run-time session");
  session.user_interface = state_.get();
  session.idle_handler = state_.get();
  QApplication::setWindowIcon(QIcon(QLatin1String(kProgramIcon))); // every window and dialog, for taskbars
  qApp->installEventFilter(state_.get());
}

WidgetsRuntime::~WidgetsRuntime() {
  qApp->removeEventFilter(state_.get());
  state_->owner.idle_handler = nullptr;
  state_->owner.user_interface = nullptr;
}

void WidgetsRuntime::set_panel_directory(const QString& directory) { state_->panel_folders = {directory}; }

QWidget* WidgetsRuntime::panel_window(int panel) const {
  Panel* found = state_->panel(panel);
  return found ? found->window.get() : nullptr;
}

bool WidgetsRuntime::callback_running() const { return state_->busy; }

bool WidgetsRuntime::quit_requested() const { return state_->quit_requested; }

} // namespace rt

using rt::Control;
using rt::Kind;
using rt::state;

int LoadPanel(int parent, const char* fileName, int resourceId) {
  rt::WidgetsRuntime::State* window = state();
  if (!window || parent != 0) return UIE_INVALID_PANEL;
  if (!rt::callbacks_registered()) return UIE_NO_CALLBACKS;
  return window->load(rt::from_system_text(fileName), resourceId);
}

const char* GetUILErrorString(int error) {
  const rt::WidgetsRuntime::State* window = state();
  if (window && (error == UIE_PANEL_FILE_NOT_READABLE || error == UIE_PANEL_FILE_NOT_VALID)) {
    return window->load_error.c_str();
  }
  return rt::ui_error_text(error);
}

int DisplayPanel(int panel) {
  rt::Panel* found = rt::find_panel(panel);
  if (!found) return UIE_INVALID_PANEL;
  found->window->show();
  found->window->raise();
  found->window->activateWindow();
  return 0;
}

int HidePanel(int panel) {
  rt::Panel* found = rt::find_panel(panel);
  if (!found) return UIE_INVALID_PANEL;
  found->window->hide();
  return 0;
}

int RunUserInterface() {
  rt::WidgetsRuntime::State* window = state();
  if (!window) return UIE_INVALID_PANEL;
  QEventLoop loop;
  window->running_loop = &loop;
  window->quit_requested = false;
  loop.exec();
  window->running_loop = nullptr;
  return 0;
}

int QuitUserInterface(int) {
  rt::WidgetsRuntime::State* window = state();
  if (!window) return UIE_INVALID_PANEL;
  window->quit_requested = true;
  if (!window->busy && window->running_loop) window->running_loop->exit();
  return 0;
}

int SetCtrlVal(int panel, int control, int value) {
  Control* target = rt::find_control(panel, control);
  if (!target) return UIE_INVALID_CONTROL;
  switch (target->kind) {
  case Kind::Numeric: state()->set_value(*target, value); return 0;
  case Kind::Ring: {
    auto* ring = static_cast<QComboBox*>(target->widget);
    const int index = ring->findData(value);
    if (index >= 0) ring->setCurrentIndex(index);
    rt::ring_settled(*target);
    return 0;
  }
  default: return UIE_INVALID_VALUE;
  }
}

int SetCtrlVal(int panel, int control, const char* text) {
  Control* target = rt::find_control(panel, control);
  if (!target) return UIE_INVALID_CONTROL;
  const QString shown = rt::from_system_text(text);
  if (target->kind == Kind::TextMessage)
    rt::set_text(*target, shown);
  else if (target->kind == Kind::TextBox)
    rt::set_text(*target, rt::text_of(*target) + shown);
  else
    return UIE_INVALID_VALUE;
  rt::keep_alive();
  return 0;
}

int GetCtrlVal(int panel, int control, int* value) {
  Control* target = rt::find_control(panel, control);
  if (!target) return UIE_INVALID_CONTROL;
  if (target->kind == Kind::Numeric) {
    *value = target->value;
    return 0;
  }
  auto* ring = qobject_cast<QComboBox*>(target->widget);
  if (!ring || ring->currentIndex() < 0) return UIE_INVALID_VALUE;
  *value = ring->currentData().toInt();
  return 0;
}

int GetCtrlVal(int panel, int control, char* text, int bufferSize) {
  Control* target = rt::find_control(panel, control);
  if (!target) return UIE_INVALID_CONTROL;
  if (bufferSize <= 0) return UIE_INVALID_VALUE;
  const std::string bytes = rt::to_system_text(rt::text_of(*target));
  const auto length = std::min(bytes.size(), static_cast<std::size_t>(bufferSize - 1));
  std::memcpy(text, bytes.data(), length);
  text[length] = '\0';
  return 0;
}

int SetCtrlAttribute(int panel, int control, int attribute, int value) {
  Control* target = rt::find_control(panel, control);
  if (!target) return UIE_INVALID_CONTROL;
  if (attribute == ATTR_DIMMED) {
    target->widget->setEnabled(value == 0);
  } else if (attribute == ATTR_FILL_COLOR && target->kind == Kind::Numeric) {
    rt::fill_indicator(*target->widget, QColor::fromRgb(static_cast<QRgb>(value & 0xFFFFFF)));
  } else {
    return UIE_INVALID_ATTRIBUTE;
  }
  rt::keep_alive();
  return 0;
}

int SetCtrlAttribute(int panel, int control, int attribute, const char* text) {
  Control* target = rt::find_control(panel, control);
  if (!target) return UIE_INVALID_CONTROL;
  if (attribute != ATTR_LABEL_TEXT) return UIE_INVALID_ATTRIBUTE;
  const QString label = rt::from_system_text(text);
  if (auto* button = qobject_cast<QAbstractButton*>(target->widget)) {
    const QKeySequence shortcut = button->shortcut(); // setText replaces it
    button->setText(label);
    button->setShortcut(shortcut);
  } else if (target->label) {
    target->label->setText(label);
  } else {
    return UIE_INVALID_ATTRIBUTE;
  }
  target->widget->setAccessibleName(label);
  return 0;
}

int GetCtrlAttribute(int panel, int control, int attribute, int* value) {
  Control* target = rt::find_control(panel, control);
  if (!target) return UIE_INVALID_CONTROL;
  if (attribute == ATTR_DIMMED) {
    *value = target->widget->testAttribute(Qt::WA_ForceDisabled) ? 1 : 0;
  } else if (attribute == ATTR_FILL_COLOR && target->kind == Kind::Numeric) {
    *value = static_cast<int>(target->widget->palette().color(QPalette::Highlight).rgb() & 0xFFFFFF);
  } else {
    return UIE_INVALID_ATTRIBUTE;
  }
  return 0;
}

int SetPanelAttribute(int panel, int attribute, const char* text) {
  rt::Panel* found = rt::find_panel(panel);
  if (!found) return UIE_INVALID_PANEL;
  if (attribute != ATTR_TITLE) return UIE_INVALID_ATTRIBUTE;
  found->window->setWindowTitle(rt::from_system_text(text));
  return 0;
}

int ResetTextBox(int panel, int control, const char* text) {
  Control* target = rt::find_control(panel, control);
  if (!target) return UIE_INVALID_CONTROL;
  if (target->kind != Kind::TextBox) return UIE_INVALID_VALUE;
  rt::set_text(*target, rt::from_system_text(text));
  rt::keep_alive();
  return 0;
}

int ClearListCtrl(int panel, int control) {
  Control* target = rt::find_control(panel, control);
  if (!target) return UIE_INVALID_CONTROL;
  if (target->kind != Kind::Ring) return UIE_INVALID_VALUE;
  static_cast<QComboBox*>(target->widget)->clear();
  rt::ring_settled(*target);
  return 0;
}

int InsertListItem(int panel, int control, int index, const char* label, int value) {
  Control* target = rt::find_control(panel, control);
  if (!target) return UIE_INVALID_CONTROL;
  if (target->kind != Kind::Ring) return UIE_INVALID_VALUE;
  auto* ring = static_cast<QComboBox*>(target->widget);
  ring->insertItem(index < 0 ? ring->count() : index, rt::from_system_text(label), value);
  rt::ring_settled(*target);
  return 0;
}

#include "userint_widgets.moc"
