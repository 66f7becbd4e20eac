// User-interface operations of the run-time layer: panels by int handle,
// controls by int id, texts and paths as UTF-8 bytes. The system's modules see
// only these calls; a window or a console implementation stands behind them.
#pragma once

#include <span>

// Events passed to control callbacks.
constexpr int EVENT_COMMIT = 1;        // button pressed, shortcut typed, ring item chosen
constexpr int EVENT_TIMER_TICK = 15;   // the panel's timer fired
constexpr int EVENT_RING_OPENING = 40; // a ring is about to show its items; it may refill them first

// Control attributes.
constexpr int ATTR_DIMMED = 500;     // 1 dimmed, 0 enabled
constexpr int ATTR_LABEL_TEXT = 641; // the control's label
constexpr int ATTR_FILL_COLOR = 985; // indicator colour, 0xRRGGBB

// Panel attributes.
constexpr int ATTR_TITLE = 573; // window title

// FileSelectPopup's button label and results.
constexpr int VAL_LOAD_BUTTON = 3;
constexpr int VAL_NO_FILE_SELECTED = 0;
constexpr int VAL_EXISTING_FILE_SELECTED = 1;

constexpr int MAX_PATHNAME_LEN = 1040; // path buffers in bytes: 260 characters of up to four UTF-8 bytes

// Errors returned as negative values.
constexpr int UIE_PANEL_FILE_NOT_READABLE = -1;
constexpr int UIE_PANEL_FILE_NOT_VALID = -2;
constexpr int UIE_INVALID_PANEL = -3;
constexpr int UIE_INVALID_CONTROL = -4;
constexpr int UIE_INVALID_ATTRIBUTE = -5;
constexpr int UIE_INVALID_VALUE = -6;
constexpr int UIE_NO_CALLBACKS = -7; // LoadPanel before RegisterCallbacks

using CtrlCallbackPtr = int (*)(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);

// The panel file names each control's callback; the program hands the
// run-time a table of them by name before it loads a panel.
struct CallbackBinding {
  const char* name;
  CtrlCallbackPtr function;
};
// The table must outlive the run-time's use of it (a static array). Returns 0.
int RegisterCallbacks(std::span<const CallbackBinding> callbacks);

// Returns the handle (> 0) of a hidden top-level panel, or a negative error.
int LoadPanel(int parent, const char* fileName, int resourceId);
const char* GetUILErrorString(int error);
int DisplayPanel(int panel);
int HidePanel(int panel);
int RunUserInterface();
int QuitUserInterface(int returnCode);

// Text message: shows the text. Text box: appends it. Numeric: shows the value.
// Ring: selects the item with that value (none: selection unchanged).
int SetCtrlVal(int panel, int control, int value);
int SetCtrlVal(int panel, int control, const char* text);
// Ring: the selected item's value. Numeric: its value. On error *value is untouched.
int GetCtrlVal(int panel, int control, int* value);
// Text box or text message: its text, cut to fit bufferSize.
int GetCtrlVal(int panel, int control, char* text, int bufferSize);
int SetCtrlAttribute(int panel, int control, int attribute, int value);
int SetCtrlAttribute(int panel, int control, int attribute, const char* text);
int GetCtrlAttribute(int panel, int control, int attribute, int* value);
int SetPanelAttribute(int panel, int attribute, const char* text);
int ResetTextBox(int panel, int control, const char* text);
int ClearListCtrl(int panel, int control);
int InsertListItem(int panel, int control, int index, const char* label, int value);

// The language of the run-time's own dialog texts (the file dialog's labels,
// the buttons): 0 German, 1 English.
int SetDialogLanguage(int language);

int MessagePopup(const char* title, const char* message);
// pathBuffer holds MAX_PATHNAME_LEN bytes. Returns VAL_NO_FILE_SELECTED or
// VAL_EXISTING_FILE_SELECTED.
int FileSelectPopup(const char* defaultDirectory, const char* defaultFileSpec, const char* fileTypeList,
                    const char* title, int buttonLabel, int restrictDirectory, int restrictExtension, int allowCancel,
                    int allowMakeDirectory, char* pathBuffer);
