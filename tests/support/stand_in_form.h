// A form without a window: field texts set beforehand, a save "dialog" that answers with a
// destination given beforehand, and messages handed to a callback instead of a box. The tests
// and the fuzz target run the window's Create command through it.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "morse/form.h"

// Where the stand-in's save dialog sends the file: nowhere (cancelled), a file, standard
// output, or a buffer in memory that the caller reads afterwards.
enum class SaveTarget { Cancelled, File, StandardOutput, Memory };

class StandInForm : public Form {
  public:
    struct Message {
        std::string text;  // code page 932, as the window would show it
        std::string caption;
        MessageIcon icon;
        std::string cause;  // UTF-8; empty when the message has none
    };

    // The form as the window starts: "", "100", "1000" and "50".
    StandInForm();

    void SetField(int controlId, std::string bytes);
    // The four fields at once, as a user types them before pressing 作成!!.
    void SetFields(std::string message, std::string dot, std::string frequency, std::string volume);
    // `path` is in the platform's code page; `shownAs` names it in messages (UTF-8), `path`
    // itself when empty.
    void AnswerSaveDialog(SaveTarget target, std::string path = {}, std::string shownAs = {});
    void OnMessage(std::function<void(const Message&)> listener);
    const std::vector<Message>& Messages() const { return messages_; }
    int SaveDialogsShown() const { return saveDialogsShown_; }
    // What the last save to SaveTarget::Memory received.
    const std::vector<uint8_t>& Saved() const { return saved_; }

    int32_t FieldLength(int controlId) override;
    void FieldText(int controlId, std::span<char> buffer) override;
    SaveReport Save(std::span<const uint8_t> file) override;
    void ShowMessage(const char* text, const char* caption, MessageIcon icon, std::string_view cause) override;

  private:
    std::map<int, std::string> fields_;
    SaveTarget saveTarget_ = SaveTarget::Cancelled;
    std::string savePath_;
    std::string saveShownAs_;
    int saveDialogsShown_ = 0;
    std::vector<uint8_t> saved_;
    std::vector<Message> messages_;
    std::function<void(const Message&)> listener_;
};
