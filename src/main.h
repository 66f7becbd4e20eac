// Start-up, the event loop, and the small callbacks of the main panel.
#pragma once

#include "userint.h"

#include <span>

namespace kovo {

// The callbacks the main panel's file names, for RegisterCallbacks.
std::span<const CallbackBinding> panel_callbacks();

// Loads and shows the main panel and runs it until the quit button.
int main(int argc, char** argv);

int QUIT_START(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
int PORT_TIMER(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
int PORT(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
int SET_LANGUAGE(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);

} // namespace kovo
