#include "frontend/label_track.h"

#include <algorithm>
#include <cctype>
#include <cstdint>

#include "morse/timing.h"

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

// Seconds with the six decimals that hold any sample position exactly (1/8000 s is 0.000125 s):
// 26 characters at the most.
char* PutSeconds(char* out, int64_t sample) noexcept {
    out = PutDecimal(out, sample / kSamplesPerSecond, 1);
    *out++ = '.';
    return PutDecimal(out, sample % kSamplesPerSecond * 1000000 / kSamplesPerSecond, 6);
}

// HH:MM:SS and milliseconds, rounded to the nearest, with the separator the format wants: hours
// of 13 digits and 10 characters more at the most.
char* PutClock(char* out, int64_t sample, char separator) noexcept {
    const int64_t ms = (sample * 1000 + kSamplesPerSecond / 2) / kSamplesPerSecond;
    out = PutDecimal(out, ms / 3600000, 2);
    *out++ = ':';
    out = PutDecimal(out, ms / 60000 % 60, 2);
    *out++ = ':';
    out = PutDecimal(out, ms / 1000 % 60, 2);
    *out++ = separator;
    return PutDecimal(out, ms % 1000, 3);
}

std::string CsvField(const std::string& field) {
    if (field.find_first_of(",\"\r\n") == std::string::npos) return field;
    std::string quoted = "\"";
    for (char c : field) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

// One row: the numbers, then the character and its elements.
void AppendRow(std::string& track, const Label& label, LabelFormat format, std::size_t number) {
    char numbers[kRowNumbersSize];
    char* end = numbers;
    switch (format) {
        case LabelFormat::Audacity:
            end = PutSeconds(end, label.startSample);
            *end++ = '\t';
            end = PutSeconds(end, label.endSample);
            *end++ = '\t';
            break;
        case LabelFormat::SubRip:
        case LabelFormat::WebVtt: {
            const char separator = format == LabelFormat::SubRip ? ',' : '.';
            if (format == LabelFormat::SubRip) end = PutText(PutDecimal(end, static_cast<int64_t>(number), 1), "\n");
            end = PutText(PutClock(end, label.startSample, separator), " --> ");
            end = PutText(PutClock(end, label.endSample, separator), "\n");
            break;
        }
        case LabelFormat::Csv:
            end = PutText(PutSeconds(end, label.startSample), ",");
            end = PutText(PutSeconds(end, label.endSample), ",");
            break;
    }
    track.append(numbers, end);
    if (format == LabelFormat::Csv) {
        track += CsvField(label.text);
        track += ',';
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

std::string LabelTrack(const std::vector<Label>& labels, LabelFormat format) {
    std::string track;
    if (format == LabelFormat::WebVtt) track += "WEBVTT\n\n";
    if (format == LabelFormat::Csv) track += "start,end,character,elements\n";
    std::size_t number = 0;
    for (const Label& label : labels) AppendRow(track, label, format, ++number);
    return track;
}
