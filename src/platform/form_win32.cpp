#include "platform/form_win32.h"

#include <commctrl.h>
#include <commdlg.h>
#include <dlgs.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

namespace {

// One filter pair, each part zero-terminated, the list ending in a further zero byte.
constexpr char kWavFilter[] =  // "wavファイル(*.wav)" "*.wav"
    "wav\x83t\x83@\x83" "C\x83\x8B(*.wav)\0*.wav\0";
constexpr char kSaveDialogTitle[] = "wav\x83t\x83@\x83" "C\x83\x8B\x8Fo\x97\xCD";  // "wavファイル出力"

// The dialog's file-name buffer: far larger than any name it gives back, since a name longer
// than the buffer makes the dialog fail. Names the ANSI file calls cannot take are refused
// after the dialog, as a file that cannot be opened.
constexpr DWORD kDialogPathSize = 32 * 1024;

// Wine's dialog joins the folder, the typed name and the ".wav" it appends in buffers of
// MAX_PATH characters, and overflows them (ending the program) when the result is longer;
// Windows would refuse such a name afterwards anyway. So the dialog is watched from a hook on
// the thread's window activations, which leaves its record and its look as they are: a name
// that would make the path too long ends the dialog before the dialog itself sees it, as a file
// that cannot be opened, and the name field takes no more than the buffer can give back.
class SaveDialogGuard {
  public:
    SaveDialogGuard() {
        tooLong_ = false;
        dialogProcedure_ = nullptr;
        hook_ = SetWindowsHookExA(WH_CBT, OnActivate, nullptr, GetCurrentThreadId());
    }
    ~SaveDialogGuard() {
        if (hook_ != nullptr) UnhookWindowsHookEx(hook_);
        hook_ = nullptr;
    }
    SaveDialogGuard(const SaveDialogGuard&) = delete;
    SaveDialogGuard& operator=(const SaveDialogGuard&) = delete;

    // Whether the dialog ended because the name was too long for a path.
    bool NameWasTooLong() const { return tooLong_; }

  private:
    // The name field is a combo box with an edit control inside (a ComboBoxEx under Wine), or a
    // plain edit control in some layouts.
    static HWND NameEdit(HWND dialog) {
        const HWND combo = GetDlgItem(dialog, cmb13);
        if (combo == nullptr) return GetDlgItem(dialog, edt1);
        char className[32] = {};
        GetClassNameA(combo, className, sizeof className);
        if (std::strcmp(className, WC_COMBOBOXEXA) == 0) {
            return reinterpret_cast<HWND>(SendMessageA(combo, CBEM_GETEDITCONTROL, 0, 0));
        }
        COMBOBOXINFO info{};
        info.cbSize = sizeof info;
        return GetComboBoxInfo(combo, &info) ? info.hwndItem : nullptr;
    }

    // The length of the path the dialog would make of the typed name, with its closing zero:
    // the name alone when it starts at a drive or a root, else joined to the folder shown (whose
    // length counts its zero, as the separator), and ".wav" when the name has no extension.
    static std::size_t PathLength(HWND dialog, HWND edit) {
        const int typed = GetWindowTextLengthA(edit);
        std::string name(static_cast<std::size_t>(typed) + 1, '\0');
        GetWindowTextA(edit, name.data(), typed + 1);
        name.resize(std::strlen(name.c_str()));
        const bool rooted = !name.empty() && (name[0] == '\\' || name[0] == '/' || (name.size() >= 2 && name[1] == ':'));
        const LRESULT folder = rooted ? 0 : SendMessageA(dialog, CDM_GETFOLDERPATH, 0, 0);
        const std::size_t lastPart = name.find_last_of("\\/") == std::string::npos ? 0 : name.find_last_of("\\/") + 1;
        const bool hasExtension = name.find('.', lastPart) != std::string::npos;
        return static_cast<std::size_t>(folder > 0 ? folder : 0) + name.size() + (hasExtension ? 0 : 4) + 1;
    }

    static LRESULT CALLBACK OnDialogMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_COMMAND && LOWORD(wParam) == IDOK) {
            const HWND edit = NameEdit(dialog);
            if (edit != nullptr && PathLength(dialog, edit) > MAX_PATH) {
                tooLong_ = true;
                return CallWindowProcA(dialogProcedure_, dialog, WM_COMMAND, IDCANCEL, 0);
            }
        }
        return CallWindowProcA(dialogProcedure_, dialog, message, wParam, lParam);
    }

    static LRESULT CALLBACK OnActivate(int code, WPARAM wParam, LPARAM lParam) {
        const HWND window = reinterpret_cast<HWND>(wParam);
        if (code == HCBT_ACTIVATE && dialogProcedure_ == nullptr) {
            if (const HWND edit = NameEdit(window)) {
                SendMessageA(edit, EM_LIMITTEXT, kDialogPathSize - 1, 0);
                dialogProcedure_ = reinterpret_cast<WNDPROC>(
                    SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(OnDialogMessage)));
            }
        }
        return CallNextHookEx(hook_, code, wParam, lParam);
    }

    static inline HHOOK hook_ = nullptr;
    static inline WNDPROC dialogProcedure_ = nullptr;
    static inline bool tooLong_ = false;
};

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
SaveReport WindowForm::Save(std::span<const uint8_t> file) {
    std::vector<char> path(kDialogPathSize, '\0');  // empty at every run: the dialog opens with no name
    OPENFILENAMEA dialog{};
    dialog.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    dialog.hwndOwner = mainWindow_;
    dialog.lpstrFilter = kWavFilter;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = path.data();
    dialog.nMaxFile = kDialogPathSize;
    dialog.lpstrTitle = kSaveDialogTitle;
    dialog.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST;
    dialog.lpstrDefExt = "wav";

    const SaveDialogGuard guard;
    if (!GetSaveFileNameA(&dialog)) {
        // A cancel leaves no error; a dialog that failed gave the user no file, and says why.
        // The guard's hook, which the dialog calls, sets the flag: cppcheck sees no writer.
        // cppcheck-suppress knownConditionTrueFalse
        if (guard.NameWasTooLong()) return SaveReportOf({FileOutcome::OpenFailed, ERROR_FILENAME_EXCED_RANGE}, {});
        SaveReport report;
        if (const DWORD error = CommDlgExtendedError(); error != 0) {
            report.outcome = SaveOutcome::OpenFailed;
            report.systemError = static_cast<int>(error);
        }
        return report;
    }
    path.back() = '\0';
    if (std::strlen(path.data()) >= MAX_PATH) {
        return SaveReportOf({FileOutcome::OpenFailed, ERROR_FILENAME_EXCED_RANGE}, path.data());
    }
    return SaveReportOf(FileWriteWhole(path.data(), file), path.data());
}

// The window shows its own texts alone; the system's reason is for the command line.
void WindowForm::ShowMessage(const char* text, const char* caption, MessageIcon icon, std::string_view) {
    const UINT iconType = icon == MessageIcon::Information ? MB_ICONINFORMATION : MB_ICONEXCLAMATION;
    MessageBoxA(mainWindow_, text, caption, MB_OK | iconType);
}
