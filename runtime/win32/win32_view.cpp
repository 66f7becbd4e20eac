#include "win32_view.h"

#include "panel_layout.h"
#include "panel_window.h"
#include "session.h"
#include "wide_text.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shlwapi.h>

#include <sstream>
#include <stdexcept>

namespace rt {
namespace {

constexpr auto kRepaintInterval = std::chrono::milliseconds(16); // one screen frame
constexpr DWORD kPathCharacters = 32768;                         // the longest path Windows names

// Keys and clicks, in the client area or on the frame: while the system's
// code holds the thread they are dropped, not replayed afterwards. A click on
// the title bar would start a move loop that stalls the device's timing.
bool is_user_input(UINT message) {
  return (message >= WM_KEYFIRST && message <= WM_KEYLAST) || (message > WM_MOUSEMOVE && message <= WM_MOUSELAST) ||
         (message > WM_NCMOUSEMOVE && message <= WM_NCXBUTTONDBLCLK);
}

// The dialog opens in the given folder, or in the folder of a given file.
std::wstring start_folder(const std::string& given) {
  std::wstring folder = wide_from_utf8(given);
  const DWORD attributes = folder.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(folder.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    folder.resize(folder.find_last_of(L"\\/") == std::wstring::npos ? 0 : folder.find_last_of(L"\\/"));
  }
  return folder;
}

// "*.frm;*.bin" as the dialog's filter: the patterns, and all files unless
// the extension is restricted. Pairs of texts, each ended by a zero.
std::wstring filter_of(const std::string& file_types, bool restrict_extension) {
  std::wstring patterns = wide_from_utf8(file_types.empty() ? "*.*" : file_types);
  std::wstring filter = patterns + L'\0' + patterns + L'\0';
  if (!restrict_extension) filter += std::wstring(L"*.*\0*.*\0", 8);
  return filter + L'\0';
}

bool matches(const std::wstring& path, const std::string& file_types) {
  const std::wstring name = PathFindFileNameW(path.c_str());
  return file_types.empty() ||
         PathMatchSpecExW(name.c_str(), wide_from_utf8(file_types).c_str(), PMSF_MULTIPLE) == S_OK;
}

HWND shown_window(const std::map<int, std::unique_ptr<PanelWindow>>& windows) {
  for (const auto& [panel, window] : windows) {
    if (IsWindowVisible(window->handle())) return window->handle();
  }
  return nullptr;
}

} // namespace

Win32View::Win32View() {
  // Loads common controls 6, which the manifest names, for the standard controls' look.
  const INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX), ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&classes);
  Session& session = Session::current();
  if (session.idle_handler) throw std::logic_error("a second idle handler in the run-time session");
  session.idle_handler = this;
}

Win32View::~Win32View() {
  if (Session* session = Session::active()) session->idle_handler = nullptr;
}

void Win32View::attach(PanelModel& model) { model_ = &model; }

PanelWindow* Win32View::window(int panel) const {
  const auto found = windows_.find(panel);
  return found == windows_.end() ? nullptr : found->second.get();
}

std::string Win32View::build_panel(int panel, std::string_view file_content) {
  std::istringstream file{std::string(file_content)};
  PanelLayout layout = read_panel_layout(file);
  if (!layout.error.empty()) return layout.error;
  windows_[panel] = std::make_unique<PanelWindow>(std::move(layout), *model_, panel);
  return {};
}

void Win32View::panel_shown(int panel, bool shown) {
  PanelWindow* found = window(panel);
  if (!found) return;
  if (shown)
    found->show();
  else
    found->hide();
}

void Win32View::title_changed(int panel, const std::string& title) {
  if (PanelWindow* found = window(panel)) found->set_title(title);
}

void Win32View::control_changed(int panel, const PanelControl& control, Change change) {
  if (PanelWindow* found = window(panel)) found->render(control, change);
  keep_alive();
}

void Win32View::show_message(const ShownMessage& message) {
  MessageBoxW(shown_window(windows_), wide_from_utf8(message.text).c_str(), wide_from_utf8(message.title).c_str(),
              MB_OK);
}

std::optional<std::string> Win32View::choose_file(const FileRequest& request) {
  const std::wstring title = wide_from_utf8(request.title);
  const std::wstring folder = start_folder(request.default_directory);
  const std::wstring filter = filter_of(request.file_type_list, request.restrict_extension != 0);
  std::wstring path(kPathCharacters, L'\0');
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = shown_window(windows_);
  dialog.lpstrFilter = filter.c_str();
  dialog.lpstrFile = path.data();
  dialog.nMaxFile = kPathCharacters;
  dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
  dialog.lpstrTitle = title.c_str();
  dialog.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  // A typed name gets past the filter; with the extension restricted, ask again.
  while (GetOpenFileNameW(&dialog)) {
    const std::wstring chosen = path.c_str();
    if (!request.restrict_extension || matches(chosen, request.file_type_list)) return utf8_from_wide(chosen);
  }
  return std::nullopt;
}

// The message box and the open dialog speak Windows' own language.
void Win32View::dialog_language_changed(int) {}

void Win32View::handle(MSG& message) {
  for (const auto& [panel, window] : windows_) {
    if (window->take_shortcut(message) || IsDialogMessageW(window->handle(), &message)) return;
  }
  TranslateMessage(&message);
  DispatchMessageW(&message);
}

void Win32View::run() {
  running_ = true;
  MSG message;
  while (running_ && GetMessageW(&message, nullptr, 0, 0) > 0) handle(message);
  running_ = false;
}

void Win32View::stop_running() {
  running_ = false;
  PostThreadMessageW(GetCurrentThreadId(), WM_NULL, 0, 0); // wakes the loop if it waits
}

// Paints and runs timers; the user's input meanwhile is dropped.
void Win32View::pump() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));
      break;
    }
    if (is_user_input(message.message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  last_pump_ = Clock::now();
}

void Win32View::keep_alive() {
  if (!model_ || !model_->callback_running() || Clock::now() - last_pump_ < kRepaintInterval) return;
  pump();
}

void Win32View::wait_until(Clock::time_point deadline) {
  for (;;) {
    pump();
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) return;
    MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(left.count()), QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  }
}

} // namespace rt
