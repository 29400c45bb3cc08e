// A form without a window: field texts set beforehand, a save "dialog" that answers with a
// path given beforehand, and messages handed to a callback instead of a box. The command-line
// program and the tests run the Create command through it.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/form.h"

class StandInForm : public Form {
  public:
    struct Message {
        std::string text;  // code page 932, as the window would show it
        std::string caption;
        MessageIcon icon;
    };

    // The form as the window starts: "", "100", "1000" and "50".
    StandInForm();

    void SetField(int controlId, std::string bytes);
    void AnswerSaveDialog(SaveTarget target, std::string path = {});
    void OnMessage(std::function<void(const Message&)> listener);
    const std::vector<Message>& Messages() const { return messages_; }
    int SaveDialogsShown() const { return saveDialogsShown_; }

    int32_t FieldLength(int controlId) override;
    void FieldText(int controlId, std::span<char> buffer) override;
    SaveTarget AskSavePath(std::span<char, kSavePathSize> path) override;
    void ShowMessage(const char* text, const char* caption, MessageIcon icon) override;

  private:
    std::map<int, std::string> fields_;
    SaveTarget saveTarget_ = SaveTarget::Cancelled;
    std::string savePath_;
    int saveDialogsShown_ = 0;
    std::vector<Message> messages_;
    std::function<void(const Message&)> listener_;
};
