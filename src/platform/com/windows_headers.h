// The Windows and automation headers, without the macros that would rename members of the
// ports (GetObject, MessageBox) in the files that include both.
#pragma once

#include <objbase.h>
#include <oleauto.h>
#include <windows.h>

#undef GetObject
#undef MessageBox
