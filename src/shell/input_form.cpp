#include "shell/input_form.h"

#include "platform/form.h"

namespace {

struct ControlRow {
    int id;
    const char* className;
    const char* text;  // code page 932
    DWORD style;
    DWORD exStyle;
    int x, y, width, height;
};

// No control has WS_TABSTOP or WS_GROUP, and the message loop does no dialog processing: Tab
// and Enter stay in the field. The rows fill a client area of 474 x 80 exactly.
constexpr DWORD kLabelLeft = WS_CHILD | WS_VISIBLE | SS_LEFT;
constexpr DWORD kLabelRight = WS_CHILD | WS_VISIBLE | SS_RIGHT;
constexpr DWORD kTextField = WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL;
constexpr DWORD kNumberField = WS_CHILD | WS_VISIBLE | ES_NUMBER | ES_AUTOHSCROLL;
// Without ES_AUTOHSCROLL the volume takes only as many digits as its width shows.
constexpr DWORD kShortNumberField = WS_CHILD | WS_VISIBLE | ES_NUMBER;
constexpr DWORD kPushButton = WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON;

constexpr ControlRow kInputForm[] = {
    // "↓モールス信号にする文章(半角文字のみ)"
    {kMessageLabelId, "STATIC",
     "\x81\xAB\x83\x82\x81[\x83\x8B\x83X\x90M\x8D\x86\x82\xC9\x82\xB7\x82\xE9\x95\xB6\x8F\xCD(\x94\xBC\x8Ap\x95\xB6"
     "\x8E\x9A\x82\xCC\x82\xDD)",
     kLabelLeft, 0, 0, 0, 473, 20},
    {kMessageFieldId, "EDIT", "", kTextField, WS_EX_CLIENTEDGE, 0, 20, 474, 20},
    // "1短点あたりのミリ秒数:"
    {kDotLabelId, "STATIC", "1\x92Z\x93_\x82\xA0\x82\xBD\x82\xE8\x82\xCC\x83~\x83\x8A\x95" "b\x90\x94:", kLabelRight, 0,
     0, 40, 190, 20},
    {kDotFieldId, "EDIT", "100", kNumberField, WS_EX_CLIENTEDGE, 193, 40, 93, 20},
    // "周波数(Hz):"
    {kFrequencyLabelId, "STATIC", "\x8E\xFC\x94g\x90\x94(Hz):", kLabelRight, 0, 287, 40, 90, 20},
    {kFrequencyFieldId, "EDIT", "1000", kNumberField, WS_EX_CLIENTEDGE, 380, 40, 94, 20},
    // "音量(0～127の整数):"
    {kVolumeLabelId, "STATIC", "\x89\xB9\x97\xCA(0\x81`127\x82\xCC\x90\xAE\x90\x94):", kLabelRight, 0, 0, 60, 153,
     18},
    {kVolumeFieldId, "EDIT", "50", kShortNumberField, WS_EX_CLIENTEDGE, 156, 60, 49, 20},
    // "作成!!"
    {kCreateButtonId, "BUTTON", "\x8D\xEC\x90\xAC!!", kPushButton, 0, 207, 60, 267, 20},
};

}  // namespace

// The controls are found again by id whenever they are needed, so their handles are not kept.
void InputFormCreate(HWND mainWindow, HFONT font) {
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    for (const ControlRow& row : kInputForm) {
        const HWND control =
            CreateWindowExA(row.exStyle, row.className, row.text, row.style, row.x, row.y, row.width, row.height,
                            mainWindow, reinterpret_cast<HMENU>(static_cast<INT_PTR>(row.id)), instance, nullptr);
        SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), 0);
    }
}
