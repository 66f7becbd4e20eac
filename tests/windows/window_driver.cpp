// Drives the window of kovoflash.exe from another process of the same Wine
// prefix (or Windows session), by the messages a user's clicks and typing
// send, so that a test on Linux can check what the user sees.
//
//   window_driver.exe      reads one command a line on standard input and
//                          answers each with one line: "ok[ VALUE]" or "error WHY".
//
// Controls are named by their panel ids (their control ids). Texts are
// UTF-8 with backslash, line feed and tab written as \\, \n and \t.
//   start PROGRAM          starts PROGRAM in the driver's own folder; from then on
//                          only its windows count, so tests may run at once
//   window SECONDS TITLE   waits for the top-level window of that title
//   text ID / label ID     the control's window text / what the user reads
//                          as its name (its own text, or the static label before it)
//   enabled ID             1 or 0
//   progress ID            a progress bar's position and the top of its range: POS MAX
//   colour ID              RRGGBB a progress bar fills with
//   items ID               a ring's items, tab-separated, after opening it as a user does
//   click ID               a click, refused on a dimmed control as a user could not click it;
//                          made once the program is done with the last click, as a user waits
//   done                   waits until the program is done with the last click
//   pick ID TEXT           picks the ring's item TEXT (or "TEXT ..."), as a user does
//   file-dialog SECONDS PATH   waits for the open dialog, types PATH, presses Open;
//                          answers with the dialog's title
//   message SECONDS        waits for a message box, answers with title \t text, closes it
//   dialogs                how many dialogs the program shows now
//   clipped                the controls whose text the control is too small for
//   rect ID                x y width height of its client area on the screen (0: the window)
//   raise                  keeps the window above all others (other tests' too), for a screenshot
//   close                  closes the window as its close box does
//   end SECONDS            waits for the started program to end, and ends it
//                          after SECONDS: answers "exited" or "ended"
#include "windows_api.h"

#include <commctrl.h> // after windows.h, whose types it uses

#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr UINT kAnswerTimeoutMs = 30000;        // at once, unless a busy machine holds the program up
constexpr double kClickSeconds = 90;            // the longest a click's work takes here: a programming run
constexpr int kOpenDialogFileNameCombo = 0x47C; // GetOpenFileNameW's dialog
constexpr int kItemDialogFileNameEdit = 0x480;  // IFileOpenDialog's

struct Failure {
  std::string why;
};

std::string utf8_of(const std::wstring& text) {
  if (text.empty()) return {};
  const int size =
      WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size, nullptr, nullptr);
  return bytes;
}

std::wstring wide_of(const std::string& text) {
  if (text.empty()) return {};
  const int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
  return wide;
}

std::string escaped(const std::wstring& text) {
  std::string out;
  for (const char c : utf8_of(text)) {
    if (c == '\\')
      out += "\\\\";
    else if (c == '\n')
      out += "\\n";
    else if (c == '\t')
      out += "\\t";
    else if (c != '\r')
      out += c; // Windows ends lines in CR LF; the user sees one line end
  }
  return out;
}

// Sends and waits, but never forever: a program that stops answering is a finding, not a hang.
LRESULT ask(HWND window, UINT message, WPARAM wparam = 0, LPARAM lparam = 0) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(window, message, wparam, lparam, SMTO_NORMAL, kAnswerTimeoutMs, &result)) {
    throw Failure{"the window does not answer"};
  }
  return static_cast<LRESULT>(result);
}

std::wstring text_of(HWND window) {
  const auto length = ask(window, WM_GETTEXTLENGTH);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const auto copied = ask(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(copied));
  return text;
}

std::wstring class_of(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

bool is_class(HWND window, const wchar_t* name) { return lstrcmpiW(class_of(window).c_str(), name) == 0; }

template <typename Found>
Found wait_for(double seconds, const std::function<Found()>& find) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  for (;;) {
    if (Found found = find()) return found;
    if (std::chrono::steady_clock::now() > end) return Found{};
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

std::vector<HWND> top_level_windows() {
  std::vector<HWND> windows;
  EnumWindows(
      [](HWND window, LPARAM list) {
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&windows));
  return windows;
}

std::vector<HWND> descendants(HWND parent) {
  std::vector<HWND> windows;
  EnumChildWindows(
      parent,
      [](HWND window, LPARAM list) {
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&windows));
  return windows;
}

// Any descendant with the id: IFileOpenDialog nests its fields in panes.
HWND descendant_with_id(HWND parent, int id) {
  for (HWND window : descendants(parent)) {
    if (GetDlgCtrlID(window) == id) return window;
  }
  return nullptr;
}

class Driver {
public:
  std::string run(const std::string& command, std::istringstream& arguments) {
    if (command == "start") return start(rest_of(arguments));
    if (command == "end") return end(arguments);
    if (command == "window") return find_window(arguments);
    if (command == "text") return escaped(text_of(control(arguments)));
    if (command == "label") return escaped(label_of(control(arguments)));
    if (command == "enabled") return IsWindowEnabled(control(arguments)) ? "1" : "0";
    if (command == "progress") return progress_of(control(arguments));
    if (command == "colour") return colour_of(control(arguments));
    if (command == "items") return items_of(open_ring(control(arguments)));
    if (command == "click") return click(control(arguments));
    if (command == "pick") return pick(arguments);
    if (command == "file-dialog") return answer_file_dialog(arguments);
    if (command == "message") return answer_message(arguments);
    if (command == "dialogs") return std::to_string(dialogs().size());
    if (command == "clipped") return clipped();
    if (command == "rect") return rect_of(arguments);
    if (command == "raise") {
      SetWindowPos(main_window(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
      return {};
    }
    if (command == "done") {
      wait_until_done_with_clicks();
      return {};
    }
    if (command == "close") {
      wait_until_done_with_clicks();
      PostMessageW(main_window(), WM_CLOSE, 0, 0);
      return {};
    }
    throw Failure{"unknown command " + command};
  }

  ~Driver() {
    if (program_.hProcess) CloseHandle(program_.hProcess);
  }

private:
  std::string start(const std::string& program) {
    if (program_.hProcess) throw Failure{"a program is started already"};
    std::wstring command_line = L"\"" + wide_of(program) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (!CreateProcessW(nullptr, command_line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &program_)) {
      throw Failure{"cannot start " + program + ": error " + std::to_string(GetLastError())};
    }
    CloseHandle(program_.hThread);
    return {};
  }

  std::string end(std::istringstream& arguments) {
    double seconds = 0;
    arguments >> seconds;
    if (!program_.hProcess) throw Failure{"no program started"};
    if (WaitForSingleObject(program_.hProcess, static_cast<DWORD>(seconds * 1000)) == WAIT_OBJECT_0) return "exited";
    TerminateProcess(program_.hProcess, 1);
    WaitForSingleObject(program_.hProcess, INFINITE);
    return "ended";
  }

  // Any process's window, or only the started program's.
  bool is_ours(HWND window) const {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    return !program_.hProcess || owner == program_.dwProcessId;
  }

  HWND main_window() const {
    if (!IsWindow(window_)) throw Failure{"no window: find it first with 'window'"};
    return window_;
  }

  HWND control(std::istringstream& arguments) const {
    int id = 0;
    if (!(arguments >> id)) throw Failure{"a control id is missing"};
    return control_with_id(id);
  }

  HWND control_with_id(int id) const {
    HWND control = GetDlgItem(main_window(), id);
    if (!control) control = descendant_with_id(main_window(), id); // a view may hold its controls in a frame
    if (!control) throw Failure{"no control with id " + std::to_string(id)};
    return control;
  }

  std::string find_window(std::istringstream& arguments) {
    double seconds = 0;
    arguments >> seconds;
    const std::wstring title = wide_of(rest_of(arguments));
    window_ = wait_for<HWND>(seconds, [&]() -> HWND {
      for (HWND window : top_level_windows()) {
        if (is_ours(window) && IsWindowVisible(window) && text_of(window) == title) return window;
      }
      return nullptr;
    });
    if (!window_) throw Failure{"no window titled " + utf8_of(title)};
    return {};
  }

  // What a screen reader names a control by: a button's or a static's own
  // text; for a field, the static label right before it.
  static std::wstring label_of(HWND control) {
    if (is_class(control, L"Button") || is_class(control, L"Static")) return text_of(control);
    const std::wstring own = is_class(control, WC_EDITW) || is_class(control, WC_COMBOBOXW) ? L"" : text_of(control);
    if (!own.empty()) return own;
    HWND before = GetWindow(control, GW_HWNDPREV);
    return before && is_class(before, L"Static") ? text_of(before) : L"";
  }

  static std::string progress_of(HWND bar) {
    return std::to_string(ask(bar, PBM_GETPOS)) + " " + std::to_string(ask(bar, PBM_GETRANGE, FALSE));
  }

  // The colour a progress bar fills with, as it answers tools that read it;
  // not a pixel: the windows of tests running beside may cover it.
  static std::string colour_of(HWND bar) {
    const auto colour = static_cast<COLORREF>(ask(bar, PBM_GETBARCOLOR));
    if (colour == CLR_DEFAULT) throw Failure{"the bar has no colour of its own"};
    char text[8];
    std::snprintf(text, sizeof text, "%02X%02X%02X", GetRValue(colour), GetGValue(colour), GetBValue(colour));
    return text;
  }

  // What the button tells its window when clicked. Not BM_CLICK: the button
  // takes that only while it holds the mouse capture, which another
  // program's window showing up meanwhile (a test running beside) takes away.
  std::string click(HWND control) {
    if (!IsWindowEnabled(control) || !IsWindowVisible(control)) throw Failure{"dimmed: a user cannot click it"};
    wait_until_done_with_clicks();
    // Sent, from a thread of its own: the program's work on it ends when the
    // sending does, and the driver answers meanwhile (the work may open a
    // dialog that the driver then fills in).
    auto done = std::make_shared<std::atomic<bool>>(false);
    HWND parent = GetParent(control);
    const WPARAM wparam = MAKEWPARAM(GetDlgCtrlID(control), BN_CLICKED);
    std::thread([=] {
      SendMessageW(parent, WM_COMMAND, wparam, reinterpret_cast<LPARAM>(control));
      *done = true;
    }).detach();
    last_click_done_ = done;
    return {};
  }

  // The program drops a click that comes while it still works on the last
  // one, as it drops a user's.
  void wait_until_done_with_clicks() const {
    if (!last_click_done_) return;
    if (!wait_for<bool>(kClickSeconds, [&] { return last_click_done_->load(); })) {
      throw Failure{"the program is still busy with the last click"};
    }
  }

  // Opens the ring as a user does: the program reads its items again then.
  HWND open_ring(HWND ring) const {
    if (!is_class(ring, WC_COMBOBOXW)) throw Failure{"not a ring"};
    notify(ring, CBN_DROPDOWN);
    return ring;
  }

  void notify(HWND control, WORD code) const {
    ask(GetParent(control), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), code), reinterpret_cast<LPARAM>(control));
  }

  static std::vector<std::wstring> item_texts(HWND ring) {
    std::vector<std::wstring> items;
    const auto count = ask(ring, CB_GETCOUNT);
    for (LRESULT i = 0; i < count; ++i) {
      std::wstring item(static_cast<std::size_t>(ask(ring, CB_GETLBTEXTLEN, i)) + 1, L'\0');
      item.resize(static_cast<std::size_t>(ask(ring, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item.data()))));
      items.push_back(item);
    }
    return items;
  }

  static std::string items_of(HWND ring) {
    std::wstring joined;
    for (const std::wstring& item : item_texts(ring)) joined += (joined.empty() ? L"" : L"\t") + item;
    return escaped(joined);
  }

  // The item TEXT, or one that starts "TEXT " (a port with its description).
  std::string pick(std::istringstream& arguments) const {
    HWND ring = control(arguments);
    if (!IsWindowEnabled(ring)) throw Failure{"dimmed: a user cannot open it"};
    wait_until_done_with_clicks();
    const std::wstring wanted = wide_of(rest_of(arguments));
    open_ring(ring);
    const std::vector<std::wstring> items = item_texts(ring);
    for (std::size_t i = 0; i < items.size(); ++i) {
      if (items[i] != wanted && items[i].rfind(wanted + L" ", 0) != 0) continue;
      ask(ring, CB_SETCURSEL, i);
      // The messages a pick with the mouse sends, in Windows' order.
      notify(ring, CBN_SELENDOK);
      notify(ring, CBN_CLOSEUP);
      notify(ring, CBN_SELCHANGE);
      const std::wstring shown = text_of(ring);
      if (shown != items[i]) throw Failure{"the ring shows " + utf8_of(shown) + " after picking " + utf8_of(items[i])};
      return {};
    }
    notify(ring, CBN_CLOSEUP);
    throw Failure{"no item " + utf8_of(wanted) + " among " + items_of(ring)};
  }

  // The program's dialogs: visible top-level windows of its process with the dialog class.
  std::vector<HWND> dialogs() const {
    DWORD program = 0;
    GetWindowThreadProcessId(main_window(), &program);
    std::vector<HWND> found;
    for (HWND window : top_level_windows()) {
      DWORD owner = 0;
      GetWindowThreadProcessId(window, &owner);
      if (owner == program && window != window_ && IsWindowVisible(window) && is_class(window, L"#32770")) {
        found.push_back(window);
      }
    }
    return found;
  }

  static HWND file_name_field(HWND dialog) {
    if (HWND combo = descendant_with_id(dialog, kOpenDialogFileNameCombo)) return combo;
    return descendant_with_id(dialog, kItemDialogFileNameEdit);
  }

  std::string answer_file_dialog(std::istringstream& arguments) const {
    double seconds = 0;
    arguments >> seconds;
    const std::wstring path = wide_of(rest_of(arguments));
    HWND dialog = wait_for<HWND>(seconds, [&]() -> HWND {
      for (HWND candidate : dialogs()) {
        if (file_name_field(candidate)) return candidate;
      }
      return nullptr;
    });
    if (!dialog) throw Failure{"no file dialog"};
    const std::wstring title = text_of(dialog);
    HWND field = file_name_field(dialog);
    // Typed into the combo box's edit where it has one.
    HWND edit = is_class(field, WC_COMBOBOXW) ? FindWindowExW(field, nullptr, WC_EDITW, nullptr) : field;
    ask(edit ? edit : field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    press(dialog, IDOK);
    return escaped(title);
  }

  // A message box: a dialog without a file name field, its text in a static.
  std::string answer_message(std::istringstream& arguments) const {
    double seconds = 0;
    arguments >> seconds;
    HWND box = wait_for<HWND>(seconds, [&]() -> HWND {
      for (HWND candidate : dialogs()) {
        if (!file_name_field(candidate)) return candidate;
      }
      return nullptr;
    });
    if (!box) throw Failure{"no message box"};
    std::wstring text;
    for (HWND child : descendants(box)) {
      if (is_class(child, L"Static") && text.empty()) text = text_of(child);
    }
    const std::wstring title = text_of(box);
    press(box, GetDlgItem(box, IDOK) ? IDOK : IDCANCEL);
    return escaped(title) + "\t" + escaped(text);
  }

  static void press(HWND dialog, int button) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
  }

  // Every button and static whose text needs more room than the control
  // has, measured in the system's dialog font at the window's resolution.
  std::string clipped() const {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    HDC context = GetDC(main_window());
    const int dpi = GetDeviceCaps(context, LOGPIXELSY);
    metrics.lfMessageFont.lfHeight = MulDiv(metrics.lfMessageFont.lfHeight, dpi, 96);
    HFONT font = CreateFontIndirectW(&metrics.lfMessageFont);
    HGDIOBJ before = SelectObject(context, font);
    std::wstring found;
    for (HWND control : descendants(main_window())) {
      const bool button = is_class(control, L"Button");
      if (!IsWindowVisible(control) || !(button || is_class(control, L"Static"))) continue;
      const std::wstring text = text_of(control);
      if (text.empty()) continue;
      RECT needed{0, 0, 0, 0};
      DrawTextW(context, text.c_str(), static_cast<int>(text.size()), &needed, DT_CALCRECT | DT_NOPREFIX);
      RECT has{};
      GetClientRect(control, &has);
      const int margin = button ? MulDiv(8, dpi, 96) : 0; // a push button's frame and padding
      if (has.right < needed.right + margin || has.bottom < needed.bottom) {
        found += (found.empty() ? L"" : L"\t") + std::to_wstring(GetDlgCtrlID(control)) + L" " +
                 std::to_wstring(has.right) + L"x" + std::to_wstring(has.bottom) + L" needs " +
                 std::to_wstring(needed.right + margin) + L"x" + std::to_wstring(needed.bottom);
      }
    }
    SelectObject(context, before);
    DeleteObject(font);
    ReleaseDC(main_window(), context);
    return escaped(found);
  }

  std::string rect_of(std::istringstream& arguments) const {
    int id = 0;
    arguments >> id;
    HWND window = id == 0 ? main_window() : control_with_id(id);
    // The client area: without a window manager Wine shows no frame.
    RECT rect{};
    GetClientRect(window, &rect);
    MapWindowPoints(window, HWND_DESKTOP, reinterpret_cast<POINT*>(&rect), 2);
    return std::to_string(rect.left) + " " + std::to_string(rect.top) + " " + std::to_string(rect.right - rect.left) +
           " " + std::to_string(rect.bottom - rect.top);
  }

  static std::string rest_of(std::istringstream& arguments) {
    std::string rest;
    std::getline(arguments >> std::ws, rest);
    return rest;
  }

  HWND window_ = nullptr;
  PROCESS_INFORMATION program_{};
  std::shared_ptr<std::atomic<bool>> last_click_done_;
};

} // namespace

int main() {
  Driver driver;
  std::string line;
  while (std::getline(std::cin, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::istringstream arguments(line);
    std::string command;
    arguments >> command;
    if (command.empty()) continue;
    try {
      const std::string value = driver.run(command, arguments);
      std::cout << "ok" << (value.empty() ? "" : " ") << value << std::endl;
    } catch (const Failure& failure) {
      std::cout << "error " << failure.why << std::endl;
    }
  }
  return 0;
}
