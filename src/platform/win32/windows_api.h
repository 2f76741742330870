// The Windows headers the Win32 adapters use, included in one place. Their A/W macros for
// MessageBox, ShellExecute and GetObject would rename the port members of the same names, so
// they are undefined here; the adapters call the wide functions by their W names.
#pragma once

#include <windows.h>
// windows.h comes first.
#include <cderr.h>
#include <commctrl.h>
#include <commdlg.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#undef MessageBox
#undef ShellExecute
#undef GetObject
