#include "shell/main_window.h"

#include <new>

#include "morse/create_command.h"
#include "shell/window_form.h"
#include "runtime/program_texts.h"
#include "shell/gdi_objects.h"
#include "shell/input_form.h"

namespace {

HWND g_mainWindow = nullptr;

LRESULT OnCreate(HWND window) {
    g_mainWindow = window;  // the form's fields are found through it
    InputFormCreate(window, ControlFont());
    SetClientSize(window, kClientWidth, kClientHeight);
    return 0;
}

// Only a click on the button runs the command; the fields' notifications and anything else
// are answered here and not passed on. The command's dialog and message boxes are modal, so
// no second click can start a run before this one has returned.
// A run that runs out of memory ends with the same box as an image the heap cannot hold; the
// window stays, and the next run starts afresh.
LRESULT OnCommand(WPARAM wParam) {
    if (LOWORD(wParam) == kCreateButtonId && HIWORD(wParam) == BN_CLICKED) {
        WindowForm form(g_mainWindow);
        try {
            CreateCommand(form);
        } catch (const std::bad_alloc&) {
            form.ShowMessage(kOutOfMemoryText.cp932, kSorryCaption.cp932, MessageIcon::Exclamation, {});
        }
    }
    return 0;
}

LRESULT OnClose(HWND window) {
    DestroyWindow(window);
    return 0;
}

LRESULT OnDestroy() {
    GdiObjectsDelete();
    g_mainWindow = nullptr;
    PostQuitMessage(0);
    return 0;
}

}  // namespace

HWND MainWindowHandle() { return g_mainWindow; }

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE: return OnCreate(window);
        case WM_COMMAND: return OnCommand(wParam);
        case WM_CLOSE: return OnClose(window);
        case WM_DESTROY: return OnDestroy();
        default: return DefWindowProcA(window, message, wParam, lParam);
    }
}

// The outer size is the wanted client size plus whatever the caption and borders take now.
void SetClientSize(HWND window, int width, int height) {
    RECT client{};
    RECT outer{};
    GetClientRect(window, &client);
    GetWindowRect(window, &outer);
    const int frameWidth = outer.right - outer.left;
    const int frameHeight = outer.bottom - outer.top;
    SetWindowPos(window, nullptr, 0, 0, width + frameWidth - client.right, height + frameHeight - client.bottom,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOOWNERZORDER);
}
