// The panel as a native window: every control a child window whose control id
// is its panel id and whose window text is its label (a button's, an
// indicator's) or its text (a text message's, a text box's); a label of a
// text box, ring or indicator is a static text just before it, as screen
// readers expect. The window renders the model's state and hands the user's
// actions to the model; it decides nothing itself.
#pragma once

#include "panel_layout.h"
#include "panel_model.h"

#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace rt {

class PanelWindow {
public:
  // The panel's controls as the layout names them, hidden; the model holds
  // their state and takes the user's actions.
  PanelWindow(PanelLayout layout, PanelModel& model, int panel);
  ~PanelWindow();
  PanelWindow(const PanelWindow&) = delete;
  PanelWindow& operator=(const PanelWindow&) = delete;

  HWND handle() const { return window_; }
  void show();
  void hide();
  void set_title(const std::string& title);
  void render(const PanelControl& control, Change change);
  // A shortcut key (F1, Esc, ...) of an enabled button: true when it was one.
  bool take_shortcut(const MSG& message);
  static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

  struct Indicator {
    int value = 0;
    int maximum = 100;
    COLORREF fill = 0;
    bool own_fill = false; // false: the system's highlight colour
    std::string format;    // the panel file's: %v, %p%, "-" for none
  };

private:
  LRESULT handle_message(UINT message, WPARAM wparam, LPARAM lparam);
  void name_widgets(const LayoutNode& node);
  void create_controls(const LayoutNode& node, bool framed);
  void create_control(const LayoutWidget& widget, bool framed);
  int child_id(const LayoutWidget& widget);
  HWND child(int id) const { return GetDlgItem(window_, id); }
  void command(int id, int code);
  void use_dpi(unsigned dpi);
  Size measure(const LayoutWidget& widget) const;
  Size text_size(const std::wstring& text) const;
  Size least_client_size() const;
  void arrange();
  void fit_to_screen();
  void grow_to_content();
  void paint_frames(HDC device);

  void render_all();

  PanelLayout layout_;
  PanelModel& model_;
  int panel_;
  HWND window_ = nullptr;
  HFONT font_ = nullptr;
  unsigned dpi_ = 96;
  std::map<int, Indicator> indicators_;              // by control id
  std::map<int, UINT> shortcuts_;                    // a button's id to its virtual key
  std::map<std::string, const LayoutWidget*> named_; // every widget by name
  std::map<const LayoutWidget*, int> child_ids_;     // every shown widget's child window id
  std::map<int, const LayoutWidget*> widgets_;       // the same, by child window id
  std::vector<Box> frames_;                          // frames drawn behind their texts
  std::vector<int> framed_ids_;                      // texts on a frame
  int next_decoration_id_ = 0;
};

} // namespace rt
