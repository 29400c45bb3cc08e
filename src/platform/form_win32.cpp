#include "platform/form_win32.h"

#include <commdlg.h>

#include <climits>

namespace {

// One filter pair, each part zero-terminated, the list ending in a further zero byte.
constexpr char kWavFilter[] =  // "wavファイル(*.wav)" "*.wav"
    "wav\x83t\x83@\x83" "C\x83\x8B(*.wav)\0*.wav\0";
constexpr char kSaveDialogTitle[] = "wav\x83t\x83@\x83" "C\x83\x8B\x8Fo\x97\xCD";  // "wavファイル出力"

}  // namespace

int32_t WindowForm::FieldLength(int controlId) {
    return GetWindowTextLengthA(GetDlgItem(mainWindow_, controlId));
}

void WindowForm::FieldText(int controlId, std::span<char> buffer) {
    if (buffer.empty()) return;
    const int size = buffer.size() > INT_MAX ? INT_MAX : static_cast<int>(buffer.size());
    buffer[0] = '\0';  // a control that has gone leaves an empty text, not stale bytes
    GetWindowTextA(GetDlgItem(mainWindow_, controlId), buffer.data(), size);
}

// The record is the one without the extension fields that later systems append; on x86-64 its
// size is OPENFILENAME_SIZE_VERSION_400A. A wrong size makes the dialog fail at once without a
// trace, which the user would take for a cancel.
SaveTarget WindowForm::AskSavePath(std::span<char, kSavePathSize> path) {
    path[0] = '\0';
    OPENFILENAMEA dialog{};
    dialog.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    dialog.hwndOwner = mainWindow_;
    dialog.lpstrFilter = kWavFilter;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = path.data();
    dialog.nMaxFile = static_cast<DWORD>(path.size());
    dialog.lpstrTitle = kSaveDialogTitle;
    dialog.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST;
    dialog.lpstrDefExt = "wav";
    return GetSaveFileNameA(&dialog) ? SaveTarget::File : SaveTarget::Cancelled;
}

void WindowForm::ShowMessage(const char* text, const char* caption, MessageIcon icon) {
    const UINT iconType = icon == MessageIcon::Information ? MB_ICONINFORMATION : MB_ICONEXCLAMATION;
    MessageBoxA(mainWindow_, text, caption, MB_OK | iconType);
}
