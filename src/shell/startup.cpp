// The process from its first instruction to its last: the text runtime, the shared font and
// brush, the two window classes, the main window, the message loop and shutdown.
#include <windows.h>

#include <new>

#include "runtime/fatal.h"
#include "runtime/program_texts.h"
#include "runtime/string_registry.h"
#include "shell/gdi_objects.h"
#include "shell/main_window.h"
#include "shell/resource_ids.h"

namespace {

constexpr char kDialogClassName[] = "NORMALDLG";
constexpr char kMainClassName[] = "NORMAL0";
constexpr char kMainCaption[] = "Velmora";
constexpr DWORD kMainStyle = WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;  // 0x10CA0000: fixed size
constexpr int kMainWidth = 480;   // outer size at creation; WM_CREATE fits it to the client area
constexpr int kMainHeight = 112;
constexpr UINT kClassStyle = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;

WNDCLASSEXA g_dialogClass;
WNDCLASSEXA g_mainClass;

// A failure the runtime cannot go on from is shown to the person at the desktop, who has no
// console to read standard error from.
void ShowFatalMessage(const char* message) {
    MessageBoxA(MainWindowHandle(), message, kMainCaption, MB_OK | MB_ICONHAND | MB_TASKMODAL);
}

// Once the window runs, a text value the heap cannot give ends the run that asked for it, not
// the program: the button's handler catches it and says so.
[[noreturn]] void EndRunOutOfMemory(const char*) { throw std::bad_alloc(); }

// Both classes share everything but their procedure and icons; the records are kept for the
// life of the process.
void RegisterWindowClass(WNDCLASSEXA& record, HINSTANCE instance, const char* name, WNDPROC procedure, HICON icon,
                         HICON smallIcon) {
    record = WNDCLASSEXA{};
    record.cbSize = sizeof(WNDCLASSEXA);
    record.style = kClassStyle;
    record.lpfnWndProc = procedure;
    record.hInstance = instance;
    record.hIcon = icon;
    record.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    record.hbrBackground = BackgroundBrush();
    record.lpszClassName = name;
    record.hIconSm = smallIcon;
    RegisterClassExA(&record);
}

// Registered for the system's sake; the program creates no window of it.
void RegisterDialogClass(HINSTANCE instance) {
    RegisterWindowClass(g_dialogClass, instance, kDialogClassName, DefWindowProcA, LoadIconA(nullptr, IDI_APPLICATION),
                        LoadIconA(nullptr, IDI_WINLOGO));
}

void RegisterMainClass(HINSTANCE instance) {
    RegisterWindowClass(g_mainClass, instance, kMainClassName, MainWndProc,
                        LoadIconA(instance, MAKEINTRESOURCEA(IDI_VELMORA)),
                        LoadIconA(instance, MAKEINTRESOURCEA(IDI_VELMORA)));
}

// Shown without ShowWindow: WS_VISIBLE shows it. Its WM_CREATE builds the form.
HWND CreateMainWindow(HINSTANCE instance) {
    return CreateWindowExA(0, kMainClassName, kMainCaption, kMainStyle, CW_USEDEFAULT, CW_USEDEFAULT, kMainWidth,
                           kMainHeight, nullptr, nullptr, instance, nullptr);
}

// No accelerators and no dialog processing: Tab and Enter stay in the field that has them.
// An error of GetMessageA ends the loop like WM_QUIT.
void RunMessageLoop() {
    MSG message{};
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

// Runtime first: nothing may create a text value before it. Then what every window needs.
void StartUp(HINSTANCE instance) {
    RuntimeInit();
    RuntimeSetFatalReporter(ShowFatalMessage);
    RuntimeReserve();
    GdiObjectsCreate();
    RegisterDialogClass(instance);
    RegisterMainClass(instance);
}

// Without its window the process would sit in its loop for ever, unseen: say so and end.
int ReportNoMainWindow() {
    MessageBoxA(nullptr, kNoMainWindowText.cp932, kMainCaption, MB_OK | MB_ICONHAND);
    GdiObjectsDelete();
    RuntimeExit();
    return 1;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    StartUp(instance);
    if (CreateMainWindow(instance) == nullptr) return ReportNoMainWindow();
    RuntimeSetFatalReporter(EndRunOutOfMemory);
    RunMessageLoop();
    RuntimeExit();
    return 0;
}
