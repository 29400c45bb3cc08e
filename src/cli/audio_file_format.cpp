#include "cli/audio_file_format.h"

#include <algorithm>
#include <cctype>

namespace {

struct FormatRow {
    AudioFileFormat format;
    const char* name;
    const char* otherName;  // nullptr for none
    const char* extension;
    const char* otherExtension;  // nullptr for none
    const char* title;
};

constexpr FormatRow kFormats[] = {
    {AudioFileFormat::Wav, "wav", nullptr, ".wav", nullptr, "WAV"},
    {AudioFileFormat::Flac, "flac", nullptr, ".flac", nullptr, "FLAC"},
    {AudioFileFormat::OggVorbis, "ogg", "vorbis", ".ogg", ".oga", "Ogg Vorbis"},
    {AudioFileFormat::Opus, "opus", nullptr, ".opus", nullptr, "Opus"},
    {AudioFileFormat::Mp3, "mp3", nullptr, ".mp3", nullptr, "MP3"},
};

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool Is(const std::string& text, const char* value) { return value != nullptr && text == value; }

const FormatRow& RowOf(AudioFileFormat format) {
    for (const FormatRow& row : kFormats) {
        if (row.format == format) return row;
    }
    return kFormats[0];
}

}  // namespace

std::optional<AudioFileFormat> AudioFileFormatNamed(const std::string& name) {
    const std::string n = Lower(name);
    for (const FormatRow& row : kFormats) {
        if (Is(n, row.name) || Is(n, row.otherName)) return row.format;
    }
    return std::nullopt;
}

std::optional<AudioFileFormat> AudioFileFormatOfPath(const std::string& path) {
    const auto dot = path.find_last_of('.');
    if (dot == std::string::npos || path.find_first_of("/\\", dot) != std::string::npos) return std::nullopt;
    const std::string extension = Lower(path.substr(dot));
    for (const FormatRow& row : kFormats) {
        if (Is(extension, row.extension) || Is(extension, row.otherExtension)) return row.format;
    }
    return std::nullopt;
}

const char* AudioFileFormatTitle(AudioFileFormat format) { return RowOf(format).title; }

const char* AudioFileExtension(AudioFileFormat format) { return RowOf(format).extension; }

bool AudioFileFormatNeedsSeeking(AudioFileFormat format) {
    return format == AudioFileFormat::Flac || format == AudioFileFormat::Mp3;
}

bool AudioFileFormatTakesRate(AudioFileFormat format, int32_t rate) {
    if (format != AudioFileFormat::Opus) return true;
    return rate == 8000 || rate == 12000 || rate == 16000 || rate == 24000 || rate == 48000;
}
