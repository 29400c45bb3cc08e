#include "shell/window_form.h"

#include <climits>

#include "shell/save_dialog.h"

int32_t WindowForm::FieldLength(int controlId) {
    return GetWindowTextLengthA(GetDlgItem(mainWindow_, controlId));
}

void WindowForm::FieldText(int controlId, std::span<char> buffer) {
    if (buffer.empty()) return;
    const int size = buffer.size() > INT_MAX ? INT_MAX : static_cast<int>(buffer.size());
    buffer[0] = '\0';  // a control that has gone leaves an empty text, not stale bytes
    GetWindowTextA(GetDlgItem(mainWindow_, controlId), buffer.data(), size);
}

// The file goes where the save dialog says; a dialog that failed is an open failure.
SaveReport WindowForm::Save(std::span<const uint8_t> file) {
    const SaveDialogChoice choice = AskSavePath(mainWindow_);
    switch (choice.outcome) {
        case SaveDialogChoice::Cancelled: return {};
        case SaveDialogChoice::Failed: return SaveReportOf({FileOutcome::OpenFailed, choice.systemError}, choice.path);
        case SaveDialogChoice::Chosen: break;
    }
    return SaveReportOf(FileWriteWhole(choice.path.c_str(), file), choice.path);
}

// The window shows its own texts alone; the system's reason is for the command line.
void WindowForm::ShowMessage(const char* text, const char* caption, MessageIcon icon, std::string_view) {
    const UINT iconType = icon == MessageIcon::Information ? MB_ICONINFORMATION : MB_ICONEXCLAMATION;
    MessageBoxA(mainWindow_, text, caption, MB_OK | iconType);
}
