// The form as the program's window holds it: the fields are the main window's edit controls,
// the save dialog is the system's, and messages are message boxes owned by the main window.
#pragma once

#include <windows.h>

#include "morse/form.h"

class WindowForm final : public Form {
  public:
    explicit WindowForm(HWND mainWindow) : mainWindow_(mainWindow) {}

    int32_t FieldLength(int controlId) override;
    void FieldText(int controlId, std::span<char> buffer) override;
    SaveReport Save(std::span<const uint8_t> file) override;
    void ShowMessage(const char* text, const char* caption, MessageIcon icon, std::string_view cause) override;

  private:
    HWND mainWindow_;
};
