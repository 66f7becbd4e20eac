#include "console_panels.h"

#include "24GHz_prog.h"

namespace rt {
namespace {

using enum ControlKind;

// The panel's timer is left out: its callback does nothing, and a console has
// no screen to refresh.
constexpr ControlDefinition kMainPanelControls[] = {
    {PANEL_CONNECT, Button, "CONNECT_FLASH", 0},
    {PANEL_LOAD_FILE, Button, "LOAD_CRYPT_FILE", 0},
    {PANEL_PROGRAM, Button, "PROG_FLASH", 0},
    {PANEL_QUIT, Button, "QUIT_START", 0},
    {PANEL_PARAM_PROGRESS, Numeric, nullptr, 100},
    {PANEL_LOAD_PROGRESS, Numeric, nullptr, 65000},
    {PANEL_FLASH_PROGRESS, Numeric, nullptr, 1023},
    {PANEL_COMPORT, Ring, "PORT", 0},
    {PANEL_FILENAME, TextBox, nullptr, 0},
    {PANEL_ENGLISH, Button, "SET_LANGUAGE", 0},
    {PANEL_GERMAN, Button, "SET_LANGUAGE", 0},
    {PANEL_STEP_7, TextMessage, nullptr, 0},
    {PANEL_STEP_6, TextMessage, nullptr, 0},
    {PANEL_STEP_5, TextMessage, nullptr, 0},
    {PANEL_STEP_4, TextMessage, nullptr, 0},
    {PANEL_STEP_3, TextMessage, nullptr, 0},
    {PANEL_STEP_1, TextMessage, nullptr, 0},
    {PANEL_STEP_2, TextMessage, nullptr, 0},
    {PANEL_VERSION, TextMessage, nullptr, 0},
    {PANEL_CONNECT_PROGRESS, Numeric, nullptr, 200},
    {PANEL_BOOT_VERSION, TextBox, nullptr, 0},
    {PANEL_DEVICE_TYPE, TextBox, nullptr, 0},
};

constexpr PanelDefinition kPanels[] = {{"24GHz_prog.uir", PANEL, kMainPanelControls}};

} // namespace

const std::span<const PanelDefinition> console_panels = kPanels;

} // namespace rt
