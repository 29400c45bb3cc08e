#include "frontend/label_track.h"

#include <algorithm>
#include <cctype>
#include <cstdint>

namespace {

// A row's numbers go into a buffer and are appended at once. A track holds two times per
// character, so a long message's track formats millions of numbers: written digit by digit, they
// cost a fraction of what printf or a string per number would (in WebAssembly most of all).
constexpr std::size_t kRowNumbersSize = 96;  // the longest, an .srt row: 20 + 1 + 23 + 5 + 23 + 1

// Writes `value` (0 or more) in decimal at `out`, with zeros in front to `width` digits; returns
// the end.
char* PutDecimal(char* out, int64_t value, int width) noexcept {
    char digits[20];  // an int64_t has 19 digits at most
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value > 0 || n < width);
    while (n > 0) *out++ = digits[--n];
    return out;
}

char* PutText(char* out, std::string_view text) noexcept { return std::copy(text.begin(), text.end(), out); }

// Seconds with six decimals, the nearest microsecond: exactly the sample's time at the window's
// rate (1/8000 s is 0.000125 s), and within half a microsecond of it at any other. 26 characters
// at the most.
char* PutSeconds(char* out, int64_t sample, int32_t rate) noexcept {
    const int64_t micro = sample / rate * 1000000 + (sample % rate * 1000000 + rate / 2) / rate;
    out = PutDecimal(out, micro / 1000000, 1);
    *out++ = '.';
    return PutDecimal(out, micro % 1000000, 6);
}

// HH:MM:SS and milliseconds, rounded to the nearest, with the separator the format wants: hours
// of 13 digits and 10 characters more at the most.
char* PutClock(char* out, int64_t sample, int32_t rate, char separator) noexcept {
    const int64_t ms = sample / rate * 1000 + (sample % rate * 1000 + rate / 2) / rate;
    out = PutDecimal(out, ms / 3600000, 2);
    *out++ = ':';
    out = PutDecimal(out, ms / 60000 % 60, 2);
    *out++ = ':';
    out = PutDecimal(out, ms / 1000 % 60, 2);
    *out++ = separator;
    return PutDecimal(out, ms % 1000, 3);
}

constexpr std::size_t kPiece = std::size_t{64} * 1024;

std::string CsvField(const std::string& field) {
    if (field.find_first_of(",\"\r\n") == std::string::npos) return field;
    std::string quoted = "\"";
    for (char c : field) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

// A WebVTT cue's text reads '<' as the start of a tag and '&' as the start of a character
// reference: a prosign (<AR>) would vanish as an unknown tag. Each is written as its reference.
void AppendCueText(std::string& track, std::string_view text) {
    if (text.find_first_of("&<>") == std::string_view::npos) {
        track += text;
        return;
    }
    for (const char c : text) {
        switch (c) {
            case '&': track += "&amp;"; break;
            case '<': track += "&lt;"; break;
            case '>': track += "&gt;"; break;
            default: track += c;
        }
    }
}

// One row: the numbers, then the character and its elements.
void AppendRow(std::string& track, const Label& label, LabelFormat format, std::size_t number, int32_t rate) {
    char numbers[kRowNumbersSize];
    char* end = numbers;
    switch (format) {
        case LabelFormat::Audacity:
            end = PutSeconds(end, label.startSample, rate);
            *end++ = '\t';
            end = PutSeconds(end, label.endSample, rate);
            *end++ = '\t';
            break;
        case LabelFormat::SubRip:
        case LabelFormat::WebVtt: {
            const char separator = format == LabelFormat::SubRip ? ',' : '.';
            if (format == LabelFormat::SubRip) end = PutText(PutDecimal(end, static_cast<int64_t>(number), 1), "\n");
            end = PutText(PutClock(end, label.startSample, rate, separator), " --> ");
            end = PutText(PutClock(end, label.endSample, rate, separator), "\n");
            break;
        }
        case LabelFormat::Csv:
            end = PutText(PutSeconds(end, label.startSample, rate), ",");
            end = PutText(PutSeconds(end, label.endSample, rate), ",");
            break;
    }
    track.append(numbers, end);
    if (format == LabelFormat::Csv) {
        track += CsvField(std::string(label.text));
        track += ',';
    } else if (format == LabelFormat::WebVtt) {
        AppendCueText(track, label.text);
        track += ' ';
    } else {
        track += label.text;
        track += ' ';
    }
    track += label.elements;
    track += format == LabelFormat::SubRip || format == LabelFormat::WebVtt ? "\n\n" : "\n";
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
    AppendRow(buffer_, label, format_, ++number_, rate_);
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
