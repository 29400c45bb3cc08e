#include "shell/gdi_objects.h"

namespace {

HFONT g_controlFont = nullptr;
HBRUSH g_backgroundBrush = nullptr;
// Whether the object is ours to delete: a fallback belongs to the system.
bool g_ownsFont = false;
bool g_ownsBrush = false;

constexpr char kControlFontFace[] = "FixedSys";

}  // namespace

// A font or brush the system cannot give leaves the form in the system's own font and colour
// rather than with no font or a missing background.
void GdiObjectsCreate() {
    g_controlFont = CreateFontA(-19, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, OUT_STRING_PRECIS,
                                CLIP_STROKE_PRECIS, DRAFT_QUALITY, FIXED_PITCH | FF_DONTCARE, kControlFontFace);
    g_ownsFont = g_controlFont != nullptr;
    if (!g_ownsFont) g_controlFont = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));

    // Taken once: the background keeps the colour the system had at start-up.
    g_backgroundBrush = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
    g_ownsBrush = g_backgroundBrush != nullptr;
    if (!g_ownsBrush) g_backgroundBrush = GetSysColorBrush(COLOR_BTNFACE);
}

HFONT ControlFont() { return g_controlFont; }
HBRUSH BackgroundBrush() { return g_backgroundBrush; }

void GdiObjectsDelete() {
    if (g_ownsFont) DeleteObject(g_controlFont);
    if (g_ownsBrush) DeleteObject(g_backgroundBrush);
    g_controlFont = nullptr;
    g_backgroundBrush = nullptr;
    g_ownsFont = g_ownsBrush = false;
}
