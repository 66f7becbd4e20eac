#include "panel_window.h"

#include "wide_text.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>

namespace rt {
namespace {

constexpr wchar_t kWindowClass[] = L"KovoFlashPanel";
constexpr wchar_t kIndicatorClass[] = L"KovoFlashIndicator";
constexpr int kLabelIdOffset = 1000;     // a label's static: 1000 + the id of the control it names
constexpr int kDecorationIdStart = 2000; // lines: no control of the panel
constexpr int kFrameRadius = 6;          // the panel file's rounded frame, in its pixels
constexpr int kBaseDpi = 96;
constexpr DWORD kWindowStyle = WS_OVERLAPPEDWINDOW | WS_HSCROLL | WS_VSCROLL; // scroll bars only when needed
constexpr int kScrollLine = 20;                                               // pixels at 96 DPI

int scaled(int pixels, unsigned dpi) { return MulDiv(pixels, static_cast<int>(dpi), kBaseDpi); }

double relative_luminance(COLORREF colour) {
  const auto linear = [](int channel) {
    const double value = channel / 255.0;
    return value <= 0.03928 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * linear(GetRValue(colour)) + 0.7152 * linear(GetGValue(colour)) + 0.0722 * linear(GetBValue(colour));
}

// Black or white, whichever stands out more on the fill: white vanishes on
// yellow and bright green.
COLORREF text_colour_on(COLORREF fill) {
  const double luminance = relative_luminance(fill);
  return (luminance + 0.05) / 0.05 >= 1.05 / (luminance + 0.05) ? RGB(0, 0, 0) : RGB(255, 255, 255);
}

COLORREF colour_of(int rgb) { return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

std::wstring indicator_text(const PanelWindow::Indicator& indicator) {
  if (indicator.format == "-") return {};
  const int value = std::clamp(indicator.value, 0, std::max(indicator.maximum, 0));
  if (indicator.format == "%v") return std::to_wstring(value);
  const int percent = indicator.maximum > 0 ? value * 100 / indicator.maximum : 0;
  return std::to_wstring(percent) + L"%";
}

COLORREF fill_colour(const PanelWindow::Indicator& indicator) {
  return indicator.own_fill ? indicator.fill : GetSysColor(COLOR_HIGHLIGHT);
}

// The indicator draws its fill itself: themes ignore a progress bar's colour.
void paint_indicator(HWND window, const PanelWindow::Indicator& indicator) {
  PAINTSTRUCT paint;
  HDC device = BeginPaint(window, &paint);
  RECT whole;
  GetClientRect(window, &whole);
  FillRect(device, &whole, GetSysColorBrush(COLOR_WINDOW));
  RECT inner = whole;
  InflateRect(&inner, -1, -1);
  const int value = std::clamp(indicator.value, 0, std::max(indicator.maximum, 1));
  RECT filled = inner;
  filled.right = inner.left + MulDiv(inner.right - inner.left, value, std::max(indicator.maximum, 1));
  const COLORREF fill = fill_colour(indicator);
  HBRUSH brush = CreateSolidBrush(fill);
  FillRect(device, &filled, brush);
  DeleteObject(brush);
  FrameRect(device, &whole, GetSysColorBrush(COLOR_BTNSHADOW));
  const std::wstring text = indicator_text(indicator);
  if (!text.empty()) {
    HGDIOBJ old_font = SelectObject(device, reinterpret_cast<HFONT>(GetPropW(window, L"font")));
    SetBkMode(device, TRANSPARENT);
    // Readable on both parts: the fill's contrast colour over the fill, the
    // window's text colour over the rest.
    const auto draw_clipped = [&](const RECT& part, COLORREF colour) {
      SaveDC(device);
      IntersectClipRect(device, part.left, part.top, part.right, part.bottom);
      SetTextColor(device, colour);
      RECT area = whole;
      DrawTextW(device, text.c_str(), -1, &area, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
      RestoreDC(device, -1);
    };
    RECT rest = inner;
    rest.left = filled.right;
    draw_clipped(filled, text_colour_on(fill));
    draw_clipped(rest, GetSysColor(COLOR_WINDOWTEXT));
    SelectObject(device, old_font);
  }
  EndPaint(window, &paint);
}

LRESULT CALLBACK indicator_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  const auto* indicator = reinterpret_cast<const PanelWindow::Indicator*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  switch (message) {
  case WM_PAINT:
    if (!indicator) break;
    paint_indicator(window, *indicator);
    return 0;
  case WM_SETFONT:
    SetPropW(window, L"font", reinterpret_cast<HANDLE>(wparam));
    if (LOWORD(lparam)) InvalidateRect(window, nullptr, TRUE);
    return 0;
  case WM_ERASEBKGND: return 1;
  // As a progress bar answers, for tools that read it.
  case PBM_GETPOS: return indicator ? std::clamp(indicator->value, 0, std::max(indicator->maximum, 0)) : 0;
  case PBM_GETRANGE: return indicator ? (wparam ? 0 : indicator->maximum) : 0;
  case PBM_GETBARCOLOR: return indicator ? fill_colour(*indicator) : CLR_DEFAULT;
  case WM_NCDESTROY: RemovePropW(window, L"font"); break;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

void register_classes() {
  static const bool registered = [] {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW panel{};
    panel.cbSize = sizeof panel;
    panel.lpfnWndProc = &PanelWindow::procedure;
    panel.hInstance = instance;
    panel.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
    panel.hIconSm = panel.hIcon;
    panel.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    panel.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    panel.lpszClassName = kWindowClass;
    RegisterClassExW(&panel);
    WNDCLASSEXW indicator{};
    indicator.cbSize = sizeof indicator;
    indicator.lpfnWndProc = &indicator_procedure;
    indicator.hInstance = instance;
    indicator.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    indicator.lpszClassName = kIndicatorClass;
    RegisterClassExW(&indicator);
    return true;
  }();
  (void)registered;
}

UINT virtual_key(const std::string& shortcut) {
  if (shortcut == "Esc") return VK_ESCAPE;
  if (shortcut.size() >= 2 && shortcut[0] == 'F') {
    const int number = std::atoi(shortcut.c_str() + 1);
    if (number >= 1 && number <= 12) return VK_F1 + static_cast<UINT>(number - 1);
  }
  return 0;
}

} // namespace

PanelWindow::PanelWindow(PanelLayout layout, PanelModel& model, int panel)
    : layout_(std::move(layout)), model_(model), panel_(panel) {
  register_classes();
  window_ =
      CreateWindowExW(0, kWindowClass, wide_from_utf8(layout_.title).c_str(), kWindowStyle, CW_USEDEFAULT,
                      CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, GetModuleHandleW(nullptr), this);
  dpi_ = GetDpiForWindow(window_);
  use_dpi(dpi_);
  next_decoration_id_ = kDecorationIdStart;
  name_widgets(layout_.root);
  create_controls(layout_.root, false);
  render_all();
  arrange();
}

// What the file set: texts, labels, dimming.
void PanelWindow::render_all() {
  for (const int id : model_.control_ids(panel_)) {
    const PanelControl& control = *model_.control(panel_, id);
    for (const Change change : {Change::Text, Change::Label, Change::Dimming, Change::Items, Change::Value}) {
      render(control, change);
    }
  }
}

PanelWindow::~PanelWindow() {
  if (window_) DestroyWindow(window_);
  if (font_) DeleteObject(font_);
}

void PanelWindow::name_widgets(const LayoutNode& node) {
  if (node.has_widget) named_[node.widget.name] = &node.widget;
  for (const LayoutNode& child : node.children) name_widgets(child);
}

void PanelWindow::create_controls(const LayoutNode& node, bool framed) {
  const bool frame = node.has_widget && !node.children.empty();
  if (node.has_widget && !frame) create_control(node.widget, framed);
  for (const LayoutNode& child : node.children) create_controls(child, framed || frame);
}

// A control keeps its panel id; a label takes 1000 + the id of the control it
// names; a decoration an id no control has.
int PanelWindow::child_id(const LayoutWidget& widget) {
  if (widget.id > 0) return widget.id;
  const auto buddy = named_.find(widget.buddy);
  if (buddy != named_.end() && buddy->second->id > 0) return kLabelIdOffset + buddy->second->id;
  return next_decoration_id_++;
}

// The control's kind as the model knows it; nothing for what is no control
// (labels, lines, frames), which the view draws as the file describes.
std::optional<ControlKind> PanelWindow::kind_of(const LayoutWidget& widget) const {
  const PanelControl* control = widget.id > 0 ? model_.control(panel_, widget.id) : nullptr;
  return control ? std::optional(control->kind) : std::nullopt;
}

void PanelWindow::create_control(const LayoutWidget& widget, bool framed) {
  const std::optional<ControlKind> kind = kind_of(widget);
  if (kind == ControlKind::Timer) {
    const auto interval = static_cast<UINT>(model_.control(panel_, widget.id)->interval_ms);
    SetTimer(window_, static_cast<UINT_PTR>(widget.id), interval, nullptr);
    return;
  }
  if (widget.hidden) return;
  const wchar_t* window_class = L"STATIC";
  DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
  DWORD extended = 0;
  if (kind == ControlKind::Button) {
    window_class = L"BUTTON";
    style |= WS_TABSTOP | BS_PUSHBUTTON;
  } else if (kind == ControlKind::TextBox) {
    window_class = L"EDIT";
    style |= WS_TABSTOP | ES_READONLY | ES_AUTOHSCROLL;
    extended = WS_EX_CLIENTEDGE;
  } else if (kind == ControlKind::Numeric) {
    window_class = kIndicatorClass;
  } else if (kind == ControlKind::Ring) {
    window_class = L"COMBOBOX";
    style |= WS_TABSTOP | CBS_DROPDOWNLIST | WS_VSCROLL;
  } else if (!kind && widget.widget_class == "Line") {
    style |= SS_ETCHEDHORZ;
  } else {
    style |= SS_LEFT | SS_NOPREFIX; // a text message, or a label
  }
  const int id = child_id(widget);
  HWND control =
      CreateWindowExW(extended, window_class, wide_from_utf8(widget.text).c_str(), style, 0, 0, 0, 0, window_,
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  child_ids_[&widget] = id;
  widgets_[id] = &widget;
  children_[id] = control;
  if (kind == ControlKind::Numeric) {
    Indicator& indicator = indicators_[id];
    indicator.format = widget.format;
    SetWindowLongPtrW(control, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&indicator));
  }
  if (const UINT key = virtual_key(widget.shortcut)) shortcuts_[id] = key;
  if (framed && window_class == std::wstring_view(L"STATIC")) framed_ids_.push_back(id);
}

HWND PanelWindow::child(int id) const {
  const auto found = children_.find(id);
  return found == children_.end() ? nullptr : found->second;
}

void PanelWindow::use_dpi(unsigned dpi) {
  dpi_ = dpi ? dpi : kBaseDpi;
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi_);
  if (font_) DeleteObject(font_);
  font_ = CreateFontIndirectW(&metrics.lfMessageFont);
  text_sizes_.clear();
  for (HWND control = GetWindow(window_, GW_CHILD); control; control = GetWindow(control, GW_HWNDNEXT)) {
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
  }
}

// Measured once per text and font: under Wine every measurement costs
// server calls, and a language switch asks for all of them many times.
Size PanelWindow::text_size(const std::wstring& text) const {
  const std::wstring measured = text.empty() ? L" " : text;
  const auto known = text_sizes_.find(measured);
  if (known != text_sizes_.end()) return known->second;
  HDC device = GetDC(window_);
  HGDIOBJ old_font = SelectObject(device, font_);
  RECT area{0, 0, 0, 0};
  DrawTextW(device, measured.c_str(), -1, &area, DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS);
  SelectObject(device, old_font);
  ReleaseDC(window_, device);
  return text_sizes_[measured] = {area.right - area.left, area.bottom - area.top};
}

std::wstring window_text(HWND control) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
  return text;
}

// What the control needs at least: its current text, with room for the
// native control's own border and padding (Qt's proportions).
Size PanelWindow::measure(const LayoutWidget& widget) const {
  const std::optional<ControlKind> kind = kind_of(widget);
  const Size line = text_size(L"x");
  const Size average = text_size(L"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ");
  const int char_width = (average.width + 51) / 52;
  const auto shown = child_ids_.find(&widget);
  const std::wstring text = shown != child_ids_.end() ? window_text(child(shown->second)) : wide_from_utf8(widget.text);
  if (kind == ControlKind::Button) {
    const Size size = text_size(text);
    return {size.width + scaled(24, dpi_), size.height + scaled(12, dpi_)};
  }
  if (kind == ControlKind::TextBox) return {char_width * 17 + scaled(8, dpi_), line.height + scaled(10, dpi_)};
  if (kind == ControlKind::Ring) {
    return {char_width * 12 + GetSystemMetricsForDpi(SM_CXVSCROLL, dpi_) + scaled(12, dpi_),
            line.height + scaled(12, dpi_)};
  }
  if (kind == ControlKind::Numeric) return {text_size(L"100%").width + scaled(60, dpi_), line.height + scaled(8, dpi_)};
  if (!kind && widget.widget_class == "Line") return {0, scaled(2, dpi_)};
  return text_size(text);
}

Size PanelWindow::least_client_size() const {
  const MeasureWidget measurer = [this](const LayoutWidget& widget) { return measure(widget); };
  return least_size(layout_.root, measurer, dpi_ / double(kBaseDpi));
}

// The content at least at its least size: in a smaller window it scrolls,
// so that every control stays within reach.
void PanelWindow::arrange() {
  const Size least = least_client_size();
  RECT client;
  // A scroll bar that appears takes room from the other direction: twice.
  for (int pass = 0; pass < 2; ++pass) {
    GetClientRect(window_, &client);
    for (const int bar : {SB_HORZ, SB_VERT}) {
      const bool horizontal = bar == SB_HORZ;
      const int content = horizontal ? least.width : least.height;
      const int page = horizontal ? client.right : client.bottom;
      int& offset = horizontal ? scroll_.width : scroll_.height;
      offset = std::clamp(offset, 0, std::max(0, content - page));
      SCROLLINFO info{sizeof info, SIF_RANGE | SIF_PAGE | SIF_POS, 0, content - 1, static_cast<UINT>(page), offset, 0};
      SetScrollInfo(window_, bar, &info, TRUE);
    }
  }
  const Box area{-scroll_.width, -scroll_.height, std::max<int>(client.right, least.width),
                 std::max<int>(client.bottom, least.height)};
  const MeasureWidget measurer = [this](const LayoutWidget& widget) { return measure(widget); };
  const auto placements = place(layout_.root, area, measurer, dpi_ / double(kBaseDpi));
  frames_.clear();
  HDWP moves = BeginDeferWindowPos(static_cast<int>(child_ids_.size()));
  for (const Placement& placement : placements) {
    const Box& box = placement.box;
    const auto shown = child_ids_.find(placement.widget);
    if (shown == child_ids_.end()) {
      if (placement.widget->widget_class == "QFrame") frames_.push_back(box); // drawn by the window
      continue;
    }
    HWND control = child(shown->second);
    // A drop-down list's height includes its open list.
    const bool ring = kind_of(*placement.widget) == ControlKind::Ring;
    const int height = ring ? box.height * 10 : box.height;
    moves = DeferWindowPos(moves, control, nullptr, box.x, box.y, box.width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  EndDeferWindowPos(moves);
  InvalidateRect(window_, nullptr, TRUE);
}

void PanelWindow::scroll(int bar, int request) {
  SCROLLINFO info{sizeof info, SIF_ALL, 0, 0, 0, 0, 0};
  GetScrollInfo(window_, bar, &info);
  const int line = scaled(kScrollLine, dpi_);
  int& offset = bar == SB_HORZ ? scroll_.width : scroll_.height;
  switch (request) {
  case SB_LINEUP: offset -= line; break;
  case SB_LINEDOWN: offset += line; break;
  case SB_PAGEUP: offset -= static_cast<int>(info.nPage); break;
  case SB_PAGEDOWN: offset += static_cast<int>(info.nPage); break;
  case SB_THUMBTRACK:
  case SB_THUMBPOSITION: offset = info.nTrackPos; break;
  case SB_TOP: offset = 0; break;
  case SB_BOTTOM: offset = info.nMax; break;
  default: return;
  }
  arrange();
}

// The window as large as its content wants, but never larger than the work
// area of its monitor; there the content scrolls. The frame's size is read
// from the window itself, without scroll bars: computed, it can differ.
void PanelWindow::fit_to_screen() {
  ShowScrollBar(window_, SB_BOTH, FALSE);
  RECT outer, inner;
  GetWindowRect(window_, &outer);
  GetClientRect(window_, &inner);
  const Size least = least_client_size();
  int width = least.width + (outer.right - outer.left) - inner.right;
  int height = least.height + (outer.bottom - outer.top) - inner.bottom;
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(MonitorFromWindow(window_, MONITOR_DEFAULTTOPRIMARY), &monitor);
  const RECT& work = monitor.rcWork;
  const int work_width = work.right - work.left, work_height = work.bottom - work.top;
  // Where one direction scrolls, its scroll bar takes room from the other.
  if (height > work_height) width += GetSystemMetricsForDpi(SM_CXVSCROLL, dpi_);
  if (width > work_width) height += GetSystemMetricsForDpi(SM_CYHSCROLL, dpi_);
  width = std::min(width, work_width);
  height = std::min(height, work_height);
  SetWindowPos(window_, nullptr, work.left + (work_width - width) / 2, work.top + (work_height - height) / 2, width,
               height, SWP_NOZORDER | SWP_NOACTIVATE);
  arrange();
}

void PanelWindow::show() {
  fit_to_screen();
  ShowWindow(window_, SW_SHOWNORMAL);
  SetForegroundWindow(window_);
  UpdateWindow(window_);
}

void PanelWindow::hide() { ShowWindow(window_, SW_HIDE); }

void PanelWindow::set_title(const std::string& title) { SetWindowTextW(window_, wide_from_utf8(title).c_str()); }

void PanelWindow::render(const PanelControl& control, Change change) {
  HWND target = child(control.id);
  if (!target) return;
  switch (change) {
  case Change::Text:
    if (control.kind == ControlKind::TextMessage || control.kind == ControlKind::TextBox) {
      SetWindowTextW(target, wide_from_utf8(control.text).c_str());
    }
    break;
  case Change::Label: {
    // A button shows its label; another control's label is the static
    // before it, and an indicator carries it as its name too.
    const std::wstring label = wide_from_utf8(control.label);
    if (HWND label_text = child(kLabelIdOffset + control.id)) SetWindowTextW(label_text, label.c_str());
    if (control.labelled && (control.kind == ControlKind::Button || control.kind == ControlKind::Numeric)) {
      SetWindowTextW(target, label.c_str());
    }
    break;
  }
  case Change::Dimming: EnableWindow(target, !control.dimmed); break;
  case Change::Value:
  case Change::Colour:
  case Change::Items: break;
  }
  if (control.kind == ControlKind::Numeric) {
    Indicator& indicator = indicators_[control.id];
    indicator.value = control.value;
    indicator.maximum = control.maximum;
    if (change == Change::Colour) {
      indicator.fill = colour_of(control.colour);
      indicator.own_fill = true;
    }
    if (std::find(pending_values_.begin(), pending_values_.end(), control.id) == pending_values_.end()) {
      pending_values_.push_back(control.id);
    }
  }
  if (control.kind == ControlKind::Ring && (change == Change::Items || change == Change::Value)) {
    if (change == Change::Items) {
      SendMessageW(target, CB_RESETCONTENT, 0, 0);
      for (const RingItem& item : control.items) {
        SendMessageW(target, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide_from_utf8(item.label).c_str()));
      }
    }
    SendMessageW(target, CB_SETCURSEL, static_cast<WPARAM>(control.selected), 0);
  }
  if ((change == Change::Text && control.kind == ControlKind::TextMessage) || change == Change::Label)
    layout_outdated_ = true;
}

// New texts may need more room: the window grows as far as the screen lets it.
void PanelWindow::grow_to_content() {
  RECT client;
  GetClientRect(window_, &client);
  const Size least = least_client_size();
  if (!IsWindowVisible(window_) || (client.right >= least.width && client.bottom >= least.height)) return arrange();
  fit_to_screen();
}

void PanelWindow::show_pending_changes() {
  for (const int id : pending_values_) InvalidateRect(child(id), nullptr, FALSE);
  pending_values_.clear();
  if (!layout_outdated_) return;
  layout_outdated_ = false;
  grow_to_content();
}

bool PanelWindow::take_shortcut(const MSG& message) {
  if (message.message != WM_KEYDOWN || (message.hwnd != window_ && !IsChild(window_, message.hwnd))) return false;
  // Esc first closes an open list.
  HWND focus = GetFocus();
  if (focus && SendMessageW(focus, CB_GETDROPPEDSTATE, 0, 0)) return false;
  for (const auto& [id, key] : shortcuts_) {
    if (key != message.wParam) continue;
    model_.press(panel_, id); // the model refuses a dimmed button
    return true;
  }
  return false;
}

void PanelWindow::command(int id, int code) {
  const auto found = widgets_.find(id);
  const LayoutWidget* widget = found == widgets_.end() ? nullptr : found->second;
  if (!widget) return;
  const std::optional<ControlKind> kind = kind_of(*widget);
  if (kind == ControlKind::Button && code == BN_CLICKED) model_.press(panel_, id);
  if (kind != ControlKind::Ring) return;
  if (code == CBN_DROPDOWN) model_.open_ring(panel_, id);
  if (code != CBN_SELENDOK) return;
  // Only another item commits: picking the shown one again must not close the open port.
  const int index = static_cast<int>(SendMessageW(child(id), CB_GETCURSEL, 0, 0));
  const PanelControl* ring = model_.control(panel_, id);
  if (!ring || index < 0 || index >= static_cast<int>(ring->items.size()) || index == ring->selected) return;
  model_.pick(panel_, id, ring->items[static_cast<std::size_t>(index)].value);
  // A refused pick leaves the model's selection: show that one again.
  if (const PanelControl* now = model_.control(panel_, id)) {
    SendMessageW(child(id), CB_SETCURSEL, static_cast<WPARAM>(now->selected), 0);
  }
}

void PanelWindow::paint_frames(HDC device) {
  const int radius = scaled(kFrameRadius * 2, dpi_);
  HGDIOBJ old_pen = SelectObject(device, GetStockObject(DC_PEN));
  HGDIOBJ old_brush = SelectObject(device, GetSysColorBrush(COLOR_WINDOW));
  SetDCPenColor(device, GetSysColor(COLOR_BTNSHADOW));
  for (const Box& frame : frames_) {
    RoundRect(device, frame.x, frame.y, frame.x + frame.width, frame.y + frame.height, radius, radius);
  }
  SelectObject(device, old_brush);
  SelectObject(device, old_pen);
}

LRESULT CALLBACK PanelWindow::procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* created = reinterpret_cast<CREATESTRUCTW*>(lparam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created->lpCreateParams));
    static_cast<PanelWindow*>(created->lpCreateParams)->window_ = window;
  }
  auto* panel = reinterpret_cast<PanelWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  return panel ? panel->handle_message(message, wparam, lparam) : DefWindowProcW(window, message, wparam, lparam);
}

LRESULT PanelWindow::handle_message(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
  case WM_COMMAND:
    if (lparam) command(LOWORD(wparam), HIWORD(wparam));
    // A command sent by another program (a screen reader's "press") is
    // handled inside the loop's wait for messages, which shows what changed
    // only after the next message that comes.
    if (!model_.callback_running()) show_pending_changes();
    return 0;
  case WM_CLOSE: model_.close(panel_); return 0;
  case WM_TIMER: model_.tick(panel_, static_cast<int>(wparam)); return 0;
  case WM_SIZE: arrange(); return 0;
  case WM_HSCROLL: scroll(SB_HORZ, LOWORD(wparam)); return 0;
  case WM_VSCROLL: scroll(SB_VERT, LOWORD(wparam)); return 0;
  case WM_MOUSEWHEEL: scroll(SB_VERT, GET_WHEEL_DELTA_WPARAM(wparam) > 0 ? SB_LINEUP : SB_LINEDOWN); return 0;
  case WM_DPICHANGED: {
    use_dpi(HIWORD(wparam));
    const auto* suggested = reinterpret_cast<const RECT*>(lparam);
    SetWindowPos(window_, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                 suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    arrange();
    return 0;
  }
  case WM_PAINT: {
    PAINTSTRUCT paint;
    HDC device = BeginPaint(window_, &paint);
    paint_frames(device);
    EndPaint(window_, &paint);
    return 0;
  }
  case WM_CTLCOLORSTATIC: {
    // The texts on a frame take its colour.
    const int id = GetDlgCtrlID(reinterpret_cast<HWND>(lparam));
    if (std::find(framed_ids_.begin(), framed_ids_.end(), id) == framed_ids_.end()) break;
    auto* device = reinterpret_cast<HDC>(wparam);
    SetBkColor(device, GetSysColor(COLOR_WINDOW));
    SetTextColor(device, GetSysColor(COLOR_WINDOWTEXT));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
  }
  }
  return DefWindowProcW(window_, message, wparam, lparam);
}

} // namespace rt
