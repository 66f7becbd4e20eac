// The Win32 API as every Windows file of the run-time takes it: without the
// parts it never uses, and without the min and max macros that break the
// standard library's.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
