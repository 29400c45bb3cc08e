// A small Win32 helper for the end-to-end tests: it looks at the program's windows from the
// outside, as another process on the same desktop, and prints what it sees as one JSON line.
// Texts are printed as hex of their code page 932 bytes, so that no console conversion can
// change them on the way.
//
//   probe main                 the main window and its controls
//   probe box CAPTION_HEX      every visible top-level window with that caption, in Z order
//   probe settext ID HEX       sets a form field's text, as a paste would (WM_SETTEXT)
//   probe command ID CODE      posts the main window a WM_COMMAND from control ID with CODE
//   probe resources EXE        the icon group 101 and the version of an executable
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::string Hex(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        out += digits[byte >> 4];
        out += digits[byte & 15];
    }
    return out;
}

// A control id or notification code from the command line, which the tests write.
int Number(const char* decimal) { return static_cast<int>(std::strtol(decimal, nullptr, 10)); }

std::string FromHex(const char* hex) {
    std::string out;
    for (const char* p = hex; p[0] != '\0' && p[1] != '\0'; p += 2) {
        out += static_cast<char>(std::strtol(std::string(p, 2).c_str(), nullptr, 16));
    }
    return out;
}

// The text as the window's own procedure gives it (WM_GETTEXT crosses the process boundary).
std::string TextOf(HWND window) {
    const LRESULT length = SendMessageA(window, WM_GETTEXTLENGTH, 0, 0);
    std::vector<char> buffer(static_cast<std::size_t>(length) + 2, '\0');
    const LRESULT got = SendMessageA(window, WM_GETTEXT, static_cast<WPARAM>(buffer.size()),
                                     reinterpret_cast<LPARAM>(buffer.data()));
    return std::string(buffer.data(), static_cast<std::size_t>(got));
}

std::string ClassOf(HWND window) {
    char name[256] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

HWND FocusOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
    return info.hwndFocus;
}

HWND MainWindow() { return FindWindowA("NORMAL0", "Velmora"); }

std::string RectJson(const RECT& r) {
    char out[128];
    (void)std::snprintf(out, sizeof out, "[%ld,%ld,%ld,%ld]", r.left, r.top, r.right, r.bottom);
    return out;
}

// Each child: id, class, text, style, extended style and its rectangle in the parent's client
// coordinates.
std::string ChildrenJson(HWND parent, HWND focus) {
    std::string out = "[";
    for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT r{};
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
        char head[160];
        (void)std::snprintf(head, sizeof head, "{\"id\":%d,\"style\":%lu,\"exstyle\":%lu,\"focus\":%s,",
                            GetDlgCtrlID(child), static_cast<unsigned long>(GetWindowLongA(child, GWL_STYLE)),
                            static_cast<unsigned long>(GetWindowLongA(child, GWL_EXSTYLE)),
                            child == focus ? "true" : "false");
        if (out.size() > 1) out += ",";
        out += head;
        out += "\"class\":\"" + ClassOf(child) + "\",\"text\":\"" + Hex(TextOf(child)) + "\",\"rect\":" + RectJson(r) + "}";
    }
    return out + "]";
}

std::string WindowJson(HWND window) {
    if (window == nullptr) return "{\"found\":false}";
    RECT client{};
    RECT outer{};
    GetClientRect(window, &client);
    GetWindowRect(window, &outer);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    char head[320];
    (void)std::snprintf(head, sizeof head,
                        "{\"found\":true,\"pid\":%lu,\"style\":%lu,\"exstyle\":%lu,\"enabled\":%s,\"origin\":[%ld,%ld],"
                        "\"client\":%s,\"outer\":%s,",
                        static_cast<unsigned long>(process), static_cast<unsigned long>(GetWindowLongA(window, GWL_STYLE)),
                        static_cast<unsigned long>(GetWindowLongA(window, GWL_EXSTYLE)),
                        IsWindowEnabled(window) ? "true" : "false", origin.x, origin.y, RectJson(client).c_str(),
                        RectJson(outer).c_str());
    std::string line = head;
    line += "\"class\":\"" + ClassOf(window) + "\",\"text\":\"" + Hex(TextOf(window)) + "\",\"children\":" +
            ChildrenJson(window, FocusOf(window)) + "}";
    return line;
}

struct CaptionSearch {
    std::string caption;
    std::vector<HWND> found;
};

BOOL CALLBACK MatchCaption(HWND window, LPARAM lParam) {
    auto* search = reinterpret_cast<CaptionSearch*>(lParam);
    if (IsWindowVisible(window) && TextOf(window) == search->caption) search->found.push_back(window);
    return TRUE;
}

int PrintBoxes(const std::string& caption) {
    CaptionSearch search{caption, {}};
    EnumWindows(MatchCaption, reinterpret_cast<LPARAM>(&search));
    std::string line = "[";
    for (HWND window : search.found) line += (line.size() > 1 ? "," : "") + WindowJson(window);
    std::puts((line + "]").c_str());
    return 0;
}

int PostCommand(int id, int code) {
    const HWND window = MainWindow();
    if (window == nullptr) return 1;
    return PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, code), 0) ? 0 : 1;
}

int SetFieldText(int id, const std::string& text) {
    const HWND field = GetDlgItem(MainWindow(), id);
    if (field == nullptr) return 1;
    return SendMessageA(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str())) ? 0 : 1;
}

// The icon group's entry count and the version resource's numbers, read from the file alone.
int PrintResources(const char* path) {
    const HMODULE module = LoadLibraryExA(path, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (module == nullptr) return 1;
    int icons = -1;
    if (const HRSRC group = FindResourceA(module, MAKEINTRESOURCEA(101), MAKEINTRESOURCEA(14))) {  // RT_GROUP_ICON
        const auto* header = static_cast<const WORD*>(LockResource(LoadResource(module, group)));
        if (header != nullptr) icons = header[2];  // reserved, type, count
    }
    FreeLibrary(module);

    std::string version = "none";
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path, &ignored);
    std::vector<char> info(size);
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixedSize = 0;
    if (size != 0 && GetFileVersionInfoA(path, 0, size, info.data()) &&
        VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &fixedSize) && fixed != nullptr) {
        char text[64];
        (void)std::snprintf(text, sizeof text, "%lu.%lu.%lu.%lu", static_cast<unsigned long>(HIWORD(fixed->dwFileVersionMS)),
                            static_cast<unsigned long>(LOWORD(fixed->dwFileVersionMS)),
                            static_cast<unsigned long>(HIWORD(fixed->dwFileVersionLS)),
                            static_cast<unsigned long>(LOWORD(fixed->dwFileVersionLS)));
        version = text;
    }
    std::printf("{\"icons\":%d,\"version\":\"%s\"}\n", icons, version.c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    int status = 2;
    if (command == "main" && argc == 2) {
        std::puts(WindowJson(MainWindow()).c_str());
        status = 0;
    } else if (command == "box" && argc == 3) {
        status = PrintBoxes(FromHex(argv[2]));
    } else if (command == "command" && argc == 4) {
        status = PostCommand(Number(argv[2]), Number(argv[3]));
    } else if (command == "settext" && argc == 4) {
        status = SetFieldText(Number(argv[2]), FromHex(argv[3]));
    } else if (command == "resources" && argc == 3) {
        status = PrintResources(argv[2]);
    } else {
        (void)std::fputs("usage: probe main | box CAPTION_HEX | settext ID HEX | command ID CODE | resources EXE\n", stderr);
    }
    // A line that does not reach the test fails it there, where the test says what it expected.
    (void)std::fflush(stdout);
    return status;
}
