#include "cli/batch.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr int kLeastDigits = 4;

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return AsciiLower(x) == AsciiLower(y); });
}

int DigitsOf(std::size_t number) {
    int digits = 1;
    for (; number >= 10; number /= 10) ++digits;
    return digits;
}

}  // namespace

bool BatchLineReader::Next(BatchLine& line) {
    while (at_ <= input_.size()) {
        std::size_t end = input_.find('\n', at_);
        if (end == std::string_view::npos) end = input_.size();
        std::string_view text = input_.substr(at_, end - at_);
        at_ = end + 1;
        ++number_;
        if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
        if (text.empty()) continue;
        line = {number_, text};
        return true;
    }
    return false;
}

std::size_t BatchLastLineNumber(std::string_view input) {
    BatchLineReader reader(input);
    std::size_t last = 0;
    for (BatchLine line; reader.Next(line);) last = line.number;
    return last;
}

BatchNames::BatchNames(std::size_t largestLineNumber, std::string labelExtension)
    : digits_(std::max(kLeastDigits, DigitsOf(largestLineNumber))), labelExtension_(std::move(labelExtension)) {}

std::string BatchNames::Named(std::size_t lineNumber, std::string_view extension) const {
    char stem[32];  // 20 digits at most
    (void)std::snprintf(stem, sizeof stem, "%0*zu", digits_, lineNumber);
    return std::string(stem) + std::string(extension);
}

bool BatchNames::IsBatchFile(std::string_view name) const {
    const std::size_t dot = name.find('.');
    if (dot == std::string_view::npos || dot < kLeastDigits) return false;
    if (!std::all_of(name.begin(), name.begin() + static_cast<std::ptrdiff_t>(dot),
                     [](char c) { return c >= '0' && c <= '9'; })) {
        return false;
    }
    const std::string_view extension = name.substr(dot);
    return SameIgnoringCase(extension, ".wav") ||
           (!labelExtension_.empty() && SameIgnoringCase(extension, labelExtension_));
}

std::error_code BatchFolderMake(const std::filesystem::path& folder) {
    std::error_code error;
    if (std::filesystem::create_directory(folder, error) || error) return error;
    if (!std::filesystem::is_directory(folder, error) && !error) {
        error = std::make_error_code(std::errc::not_a_directory);
    }
    return error;
}

std::vector<std::string> BatchFilesIn(const std::filesystem::path& folder, const BatchNames& names,
                                      std::error_code& error) {
    std::vector<std::string> found;
    std::filesystem::directory_iterator entry(folder, error);
    for (; !error && entry != std::filesystem::directory_iterator(); entry.increment(error)) {
        std::error_code kind;
        if (entry->is_directory(kind)) continue;  // a batch writes no folders, and removes none
        std::string name = Utf8Path(entry->path().filename());
        if (names.IsBatchFile(name)) found.push_back(std::move(name));
    }
    std::sort(found.begin(), found.end());
    return found;
}

std::string BatchFileRemove(const std::filesystem::path& file) {
    std::error_code error;
    std::filesystem::remove(file, error);
    if (error) return error.message();
    if (std::filesystem::exists(std::filesystem::symlink_status(file, error))) {
        return "the system reported it removed, but it is still there";
    }
    return {};
}

std::filesystem::path PathFromUtf8(std::string_view utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string Utf8Path(const std::filesystem::path& path) {
    const std::u8string utf8 = path.u8string();
    return std::string(utf8.begin(), utf8.end());
}
