#include "shell/input_form.h"

#include "morse/form.h"
#include "morse/field_text.h"
#include "runtime/program_texts.h"

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
    {kMessageLabelId, "STATIC", kMessageLabel.cp932, kLabelLeft, 0, 0, 0, 473, 20},
    {kMessageFieldId, "EDIT", "", kTextField, WS_EX_CLIENTEDGE, 0, 20, 474, 20},
    {kDotLabelId, "STATIC", kDotLabel.cp932, kLabelRight, 0, 0, 40, 190, 20},
    {kDotFieldId, "EDIT", kDefaultDotText, kNumberField, WS_EX_CLIENTEDGE, 193, 40, 93, 20},
    {kFrequencyLabelId, "STATIC", kFrequencyLabel.cp932, kLabelRight, 0, 287, 40, 90, 20},
    {kFrequencyFieldId, "EDIT", kDefaultFrequencyText, kNumberField, WS_EX_CLIENTEDGE, 380, 40, 94, 20},
    {kVolumeLabelId, "STATIC", kVolumeLabel.cp932, kLabelRight, 0, 0, 60, 153, 18},
    {kVolumeFieldId, "EDIT", kDefaultVolumeText, kShortNumberField, WS_EX_CLIENTEDGE, 156, 60, 49, 20},
    {kCreateButtonId, "BUTTON", kCreateButton.cp932, kPushButton, 0, 207, 60, 267, 20},
};

}  // namespace

// The controls are found again by id whenever they are needed, the font's message included, so
// their handles are not kept.
void InputFormCreate(HWND mainWindow, HFONT font) {
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    for (const ControlRow& row : kInputForm) {
        (void)CreateWindowExA(row.exStyle, row.className, row.text, row.style, row.x, row.y, row.width, row.height,
                              mainWindow, reinterpret_cast<HMENU>(static_cast<INT_PTR>(row.id)), instance, nullptr);
        SendMessageA(GetDlgItem(mainWindow, row.id), WM_SETFONT, reinterpret_cast<WPARAM>(font), 0);
    }
}
