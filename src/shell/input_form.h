// The input form: the nine child controls of the main window, as one table.
#pragma once

#include <windows.h>

// Creates every control of the form in table order, each in `font`.
void InputFormCreate(HWND mainWindow, HFONT font);
