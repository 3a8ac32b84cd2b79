#pragma once
// The Windows headers, for the Win32 back end's own files only.
//
// Include this LAST, after every project header: <windows.h> defines as macros many names that
// the platform interface also uses (WM_SIZE, HKEY_CURRENT_USER, ERROR_SUCCESS, ... in
// platform/Types.h, and the ANSI/wide switches AppendMenu, RegOpenKeyEx, ShellExecute, ...).
// The interface's headers must have been read before those macros exist; the A/W switches are
// removed below so that the interface's method names stay what they are in every file.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <windowsx.h>
#include <ole2.h>
#include <olectl.h>
#include <shellapi.h>

#undef AppendMenu
#undef CallWindowProc
#undef GetMonitorInfo
#undef GetWindowLongPtr
#undef SetWindowLongPtr
#undef RegOpenKeyEx
#undef RegQueryValueEx
#undef RegCreateKeyEx
#undef RegSetValueEx
#undef ShellExecute
