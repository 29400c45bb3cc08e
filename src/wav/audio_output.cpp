#include "wav/audio_output.h"

#include <string>

#include "platform/file_output.h"

namespace {

constexpr char kWrittenText[] =  // "wavファイルを出力しました。"
    "wav\x83t\x83@\x83" "C\x83\x8B\x82\xF0\x8Fo\x97\xCD\x82\xB5\x82\xDC\x82\xB5\x82\xBD\x81" "B";
constexpr char kDoneCaption[] = "\x8A\xAE\x97\xB9";  // "完了"
constexpr char kOpenFailedText[] =                   // "ファイルオープンに失敗!"
    "\x83t\x83@\x83" "C\x83\x8B\x83I\x81[\x83v\x83\x93\x82\xC9\x8E\xB8\x94s!";
constexpr char kWriteFailedText[] =  // "ファイルの書き込みに失敗!"
    "\x83t\x83@\x83" "C\x83\x8B\x82\xCC\x8F\x91\x82\xAB\x8D\x9E\x82\xDD\x82\xC9\x8E\xB8\x94s!";

// Frees the image when the save ends, whichever way it ends.
class ImageRelease {
  public:
    explicit ImageRelease(AudioImage& image) : image_(image) {}
    ~ImageRelease() { AudioImageRelease(image_); }
    ImageRelease(const ImageRelease&) = delete;
    ImageRelease& operator=(const ImageRelease&) = delete;

  private:
    AudioImage& image_;
};

}  // namespace

// A failed or short write is reported, never shown as success, and the old file is kept. The
// cause names the target and the system's reason, for a front end that can show it.
SaveOutcome AudioImageSave(AudioImage& image, Form& form) {
    ImageRelease release(image);
    const SaveReport saved = form.Save(AudioImageBytes(image));
    const std::string cause =
        saved.systemError != 0 ? saved.target + ": " + SystemErrorText(saved.systemError) : std::string();
    switch (saved.outcome) {
        case SaveOutcome::Cancelled: break;
        case SaveOutcome::Written: form.ShowMessage(kWrittenText, kDoneCaption, MessageIcon::Information, {}); break;
        case SaveOutcome::OpenFailed:
            form.ShowMessage(kOpenFailedText, kSorryCaption, MessageIcon::Exclamation, cause);
            break;
        case SaveOutcome::WriteFailed:
            form.ShowMessage(kWriteFailedText, kSorryCaption, MessageIcon::Exclamation, cause);
            break;
    }
    return saved.outcome;
}
