// The main window: the program's only window, holding the input form.
#pragma once

#include <windows.h>

inline constexpr int kClientWidth = 474;
inline constexpr int kClientHeight = 80;

// The one top-level window, stored as soon as it is being created; null before and after.
HWND MainWindowHandle();

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Resizes `window` so that its client area is `width` x `height`, keeping position and Z order.
void SetClientSize(HWND window, int width, int height);
