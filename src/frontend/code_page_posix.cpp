#include <iconv.h>

#include <cerrno>

#include "frontend/code_page.h"

namespace {

// One conversion descriptor per direction for the life of the process.
class Converter {
  public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (valid()) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t get() const { return cd_; }
    void reset() const { iconv(cd_, nullptr, nullptr, nullptr, nullptr); }

  private:
    iconv_t cd_;
};

const Converter& ToCp932() {
    static const Converter converter("CP932", "UTF-8");
    return converter;
}

const Converter& FromCp932() {
    static const Converter converter("UTF-8", "CP932");
    return converter;
}

}  // namespace

std::optional<std::string> Cp932FromUtf8Character(std::string_view utf8Character) {
    if (utf8Character.size() == 1 && static_cast<unsigned char>(utf8Character[0]) < 0x80) {
        return std::string(utf8Character);
    }
    const Converter& converter = ToCp932();
    if (!converter.valid()) return std::nullopt;
    converter.reset();
    std::string in(utf8Character);
    char out[8];
    char* inPtr = in.data();
    std::size_t inLeft = in.size();
    char* outPtr = out;
    std::size_t outLeft = sizeof out;
    if (iconv(converter.get(), &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1) || inLeft != 0) {
        return std::nullopt;
    }
    // The C library also maps some characters one way only, to a near one (the yen sign to the
    // backslash, the wave dash to the full-width tilde), which Windows refuses: only bytes that
    // read back as the same character stand for it.
    std::string bytes(out, static_cast<std::size_t>(outPtr - out));
    if (Utf8FromCp932(bytes) != utf8Character) return std::nullopt;
    return bytes;
}

std::string Utf8FromCp932(std::string_view cp932) {
    std::string result;
    const Converter& converter = FromCp932();
    if (!converter.valid()) return std::string(cp932);
    converter.reset();
    std::string in(cp932);
    char* inPtr = in.data();
    std::size_t inLeft = in.size();
    char buffer[4096];
    while (inLeft > 0) {
        char* outPtr = buffer;
        std::size_t outLeft = sizeof buffer;
        const std::size_t done = iconv(converter.get(), &inPtr, &inLeft, &outPtr, &outLeft);
        result.append(buffer, static_cast<std::size_t>(outPtr - buffer));
        if (done == static_cast<std::size_t>(-1) && errno != E2BIG) {
            result += "\xEF\xBF\xBD";  // U+FFFD for a byte that starts no character here
            ++inPtr;
            --inLeft;
            converter.reset();
        }
    }
    return result;
}

// File names on this platform are bytes; the command line's bytes are used as they are.
std::optional<std::string> PlatformPathFromUtf8(const std::string& utf8) { return utf8; }
