#include "shell/save_dialog.h"

#include <commctrl.h>
#include <commdlg.h>
#include <dlgs.h>

#include <cstring>
#include <string>
#include <vector>

#include "runtime/program_texts.h"

namespace {


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

// The record is the one without the extension fields that later systems append; on x86-64 its
// size is OPENFILENAME_SIZE_VERSION_400A. A wrong size makes the dialog fail at once without a
// trace, which the user would take for a cancel.
SaveDialogChoice AskSavePath(HWND owner) {
    std::vector<char> path(kDialogPathSize, '\0');  // empty at every run: the dialog opens with no name
    OPENFILENAMEA dialog{};
    dialog.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    dialog.hwndOwner = owner;
    // One filter pair, each part zero-terminated, the list ending in a further zero byte.
    const std::string filter = std::string(kWavFilterName.cp932) + '\0' + "*.wav" + '\0';
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = path.data();
    dialog.nMaxFile = kDialogPathSize;
    dialog.lpstrTitle = kSaveDialogTitle.cp932;
    dialog.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST;
    dialog.lpstrDefExt = "wav";

    const SaveDialogGuard guard;
    if (!GetSaveFileNameA(&dialog)) {
        // A cancel leaves no error; a dialog that failed gave the user no file, and says why.
        // The guard's hook, which the dialog calls, sets the flag: cppcheck sees no writer.
        // cppcheck-suppress knownConditionTrueFalse
        if (guard.NameWasTooLong()) return {SaveDialogChoice::Failed, {}, ERROR_FILENAME_EXCED_RANGE};
        // The dialog's own error codes are not the system's: the cause carries the nearest one.
        switch (CommDlgExtendedError()) {
            case 0: break;
            case FNERR_BUFFERTOOSMALL: return {SaveDialogChoice::Failed, {}, ERROR_FILENAME_EXCED_RANGE};
            case FNERR_INVALIDFILENAME: return {SaveDialogChoice::Failed, {}, ERROR_INVALID_NAME};
            default: return {SaveDialogChoice::Failed, {}, ERROR_GEN_FAILURE};
        }
        return {};
    }
    path.back() = '\0';
    std::string chosen(path.data());
    if (chosen.size() >= MAX_PATH) return {SaveDialogChoice::Failed, std::move(chosen), ERROR_FILENAME_EXCED_RANGE};
    return {SaveDialogChoice::Chosen, std::move(chosen), 0};
}
