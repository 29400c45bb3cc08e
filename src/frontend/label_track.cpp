#include "frontend/label_track.h"

#include <algorithm>
#include <cctype>
#include <cinttypes>
#include <cstdio>

namespace {

// Seconds with six decimals, the nearest microsecond: exactly the sample's time at the window's
// rate (1/8000 s is 0.000125 s), and within half a microsecond of it at any other.
std::string Seconds(int64_t sample, int32_t rate) {
    const int64_t micro = sample / rate * 1000000 + (sample % rate * 1000000 + rate / 2) / rate;
    char text[32];
    (void)std::snprintf(text, sizeof text, "%" PRId64 ".%06" PRId64, micro / 1000000, micro % 1000000);
    return text;
}

// HH:MM:SS and milliseconds, rounded to the nearest, with the separator the format wants.
std::string Clock(int64_t sample, int32_t rate, char separator) {
    const int64_t ms = sample / rate * 1000 + (sample % rate * 1000 + rate / 2) / rate;
    char text[40];
    (void)std::snprintf(text, sizeof text, "%02" PRId64 ":%02" PRId64 ":%02" PRId64 "%c%03" PRId64, ms / 3600000,
                  ms / 60000 % 60, ms / 1000 % 60, separator, ms % 1000);
    return text;
}

constexpr std::size_t kPiece = std::size_t{64} * 1024;

std::string CsvField(const std::string& field) {
    if (field.find_first_of(",\"\r\n") == std::string::npos) return field;
    std::string quoted = "\"";
    for (char c : field) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

}  // namespace

std::optional<LabelFormat> LabelFormatOf(const std::string& path) {
    const auto dot = path.find_last_of('.');
    if (dot == std::string::npos || path.find_first_of("/\\", dot) != std::string::npos) return std::nullopt;
    std::string extension = path.substr(dot + 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension == "txt") return LabelFormat::Audacity;
    if (extension == "srt") return LabelFormat::SubRip;
    if (extension == "vtt") return LabelFormat::WebVtt;
    if (extension == "csv") return LabelFormat::Csv;
    return std::nullopt;
}

LabelTrackWriter::LabelTrackWriter(LabelFormat format, Sink sink, int32_t rate)
    : format_(format), sink_(std::move(sink)), rate_(rate) {
    if (format_ == LabelFormat::WebVtt) buffer_ += "WEBVTT\n\n";
    if (format_ == LabelFormat::Csv) buffer_ += "start,end,character,elements\n";
}

bool LabelTrackWriter::Add(const Label& label) {
    const std::string text = std::string(label.text) + " " + std::string(label.elements);
    switch (format_) {
        case LabelFormat::Audacity:
            buffer_ += Seconds(label.startSample, rate_) + "\t" + Seconds(label.endSample, rate_) + "\t" + text + "\n";
            break;
        case LabelFormat::SubRip:
            buffer_ += std::to_string(++number_) + "\n" + Clock(label.startSample, rate_, ',') + " --> " +
                       Clock(label.endSample, rate_, ',') + "\n" + text + "\n\n";
            break;
        case LabelFormat::WebVtt:
            buffer_ += Clock(label.startSample, rate_, '.') + " --> " + Clock(label.endSample, rate_, '.') + "\n" + text + "\n\n";
            break;
        case LabelFormat::Csv:
            buffer_ += Seconds(label.startSample, rate_) + "," + Seconds(label.endSample, rate_) + "," +
                       CsvField(std::string(label.text)) + "," + std::string(label.elements) + "\n";
            break;
    }
    return HandOn(kPiece);
}

bool LabelTrackWriter::Finish() { return HandOn(0); }

// Hands the buffer on once it holds `atLeast` bytes (all of it for 0).
bool LabelTrackWriter::HandOn(std::size_t atLeast) {
    if (failed_) return false;
    if (buffer_.empty() || buffer_.size() < atLeast) return true;
    failed_ = !sink_(buffer_);
    buffer_.clear();
    return !failed_;
}
