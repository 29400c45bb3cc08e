#include "frontend/label_track.h"

#include <algorithm>
#include <cctype>
#include <cinttypes>
#include <cstdio>

#include "morse/timing.h"

namespace {

// Seconds with the six decimals that hold any sample position exactly (1/8000 s is 0.000125 s).
std::string Seconds(int64_t sample) {
    char text[32];
    (void)std::snprintf(text, sizeof text, "%" PRId64 ".%06" PRId64, sample / kSamplesPerSecond,
                  sample % kSamplesPerSecond * 1000000 / kSamplesPerSecond);
    return text;
}

// HH:MM:SS and milliseconds, rounded to the nearest, with the separator the format wants.
std::string Clock(int64_t sample, char separator) {
    const int64_t ms = (sample * 1000 + kSamplesPerSecond / 2) / kSamplesPerSecond;
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

std::string LabelTrack(const std::vector<Label>& labels, LabelFormat format) {
    std::string track;
    if (format == LabelFormat::WebVtt) track += "WEBVTT\n\n";
    if (format == LabelFormat::Csv) track += "start,end,character,elements\n";
    std::size_t number = 0;
    for (const Label& label : labels) {
        ++number;
        switch (format) {
            case LabelFormat::Audacity:
                track += Seconds(label.startSample) + "\t" + Seconds(label.endSample) + "\t" + label.text + " " +
                         label.elements + "\n";
                break;
            case LabelFormat::SubRip:
                track += std::to_string(number) + "\n" + Clock(label.startSample, ',') + " --> " +
                         Clock(label.endSample, ',') + "\n" + label.text + " " + label.elements + "\n\n";
                break;
            case LabelFormat::WebVtt:
                track += Clock(label.startSample, '.') + " --> " + Clock(label.endSample, '.') + "\n" + label.text +
                         " " + label.elements + "\n\n";
                break;
            case LabelFormat::Csv:
                track += Seconds(label.startSample) + "," + Seconds(label.endSample) + "," + CsvField(label.text) + "," +
                         label.elements + "\n";
                break;
        }
    }
    return track;
}
