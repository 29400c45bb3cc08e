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

std::string LabelTrack(const std::vector<Label>& labels, LabelFormat format, int32_t rate) {
    std::string track;
    if (format == LabelFormat::WebVtt) track += "WEBVTT\n\n";
    if (format == LabelFormat::Csv) track += "start,end,character,elements\n";
    std::size_t number = 0;
    for (const Label& label : labels) {
        ++number;
        switch (format) {
            case LabelFormat::Audacity:
                track += Seconds(label.startSample, rate) + "\t" + Seconds(label.endSample, rate) + "\t" + label.text +
                         " " + label.elements + "\n";
                break;
            case LabelFormat::SubRip:
                track += std::to_string(number) + "\n" + Clock(label.startSample, rate, ',') + " --> " +
                         Clock(label.endSample, rate, ',') + "\n" + label.text + " " + label.elements + "\n\n";
                break;
            case LabelFormat::WebVtt:
                track += Clock(label.startSample, rate, '.') + " --> " + Clock(label.endSample, rate, '.') + "\n" +
                         label.text + " " + label.elements + "\n\n";
                break;
            case LabelFormat::Csv:
                track += Seconds(label.startSample, rate) + "," + Seconds(label.endSample, rate) + "," +
                         CsvField(label.text) + "," + label.elements + "\n";
                break;
        }
    }
    return track;
}
