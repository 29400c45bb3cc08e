#include "support/stand_in_form.h"

#include "morse/field_text.h"

#include <algorithm>
#include <climits>


StandInForm::StandInForm()
    : fields_{{kMessageFieldId, ""}, {kDotFieldId, kDefaultDotText}, {kFrequencyFieldId, kDefaultFrequencyText},
              {kVolumeFieldId, kDefaultVolumeText}} {}

void StandInForm::SetField(int controlId, std::string bytes) { fields_[controlId] = std::move(bytes); }

void StandInForm::SetFields(std::string message, std::string dot, std::string frequency, std::string volume) {
    SetField(kMessageFieldId, std::move(message));
    SetField(kDotFieldId, std::move(dot));
    SetField(kFrequencyFieldId, std::move(frequency));
    SetField(kVolumeFieldId, std::move(volume));
}

void StandInForm::AnswerSaveDialog(SaveTarget target, std::string path, std::string shownAs) {
    saveTarget_ = target;
    savePath_ = std::move(path);
    saveShownAs_ = std::move(shownAs);
}

void StandInForm::OnMessage(std::function<void(const Message&)> listener) { listener_ = std::move(listener); }

int32_t StandInForm::FieldLength(int controlId) {
    const auto field = fields_.find(controlId);
    if (field == fields_.end()) return 0;
    return static_cast<int32_t>(std::min<std::size_t>(field->second.size(), INT32_MAX - 1));
}

// Like a window's text: as much as fits, then a zero byte.
void StandInForm::FieldText(int controlId, std::span<char> buffer) {
    if (buffer.empty()) return;
    static const std::string kEmpty;
    const auto field = fields_.find(controlId);
    const std::string& text = field == fields_.end() ? kEmpty : field->second;
    const std::size_t n = std::min(text.size(), buffer.size() - 1);
    std::copy_n(text.begin(), n, buffer.begin());
    buffer[n] = '\0';
}

SaveReport StandInForm::Save(std::span<const uint8_t> file) {
    ++saveDialogsShown_;
    switch (saveTarget_) {
        case SaveTarget::Cancelled: break;
        case SaveTarget::File:
            return SaveReportOf(FileWriteWhole(savePath_.c_str(), file), saveShownAs_.empty() ? savePath_ : saveShownAs_);
        case SaveTarget::StandardOutput: return SaveReportOf(StandardOutputWriteWhole(file), "standard output");
        case SaveTarget::Memory:
            saved_.assign(file.begin(), file.end());
            return SaveReportOf({}, "memory");
    }
    return {};
}

void StandInForm::ShowMessage(const char* text, const char* caption, MessageIcon icon, std::string_view cause) {
    messages_.push_back({text, caption, icon, std::string(cause)});
    if (listener_) listener_(messages_.back());
}
