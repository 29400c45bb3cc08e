// The two GDI objects the whole window shares: the font of every control and the background
// brush of both window classes. Created once at start-up, deleted when the main window goes.
#pragma once

#include <windows.h>

void GdiObjectsCreate();
HFONT ControlFont();
HBRUSH BackgroundBrush();
void GdiObjectsDelete();
