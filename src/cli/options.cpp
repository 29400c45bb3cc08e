#include "cli/options.h"

#include <algorithm>
#include <cctype>

namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::optional<MessageEncoding> EncodingNamed(const std::string& name) {
    const std::string n = Lower(name);
    if (n == "utf-8" || n == "utf8") return MessageEncoding::Utf8;
    if (n == "cp932" || n == "shift_jis" || n == "sjis" || n == "windows-31j" || n == "ms932") {
        return MessageEncoding::Cp932;
    }
    return std::nullopt;
}

}  // namespace

ParsedOptions ParseOptions(const std::vector<std::string>& arguments) {
    ParsedOptions parsed;
    CliOptions& o = parsed.options;
    std::string encodingName;
    std::string output, input;
    bool haveOutput = false, haveInput = false, haveEncoding = false;
    std::vector<std::string> words;

    auto fail = [&parsed](std::string error) {
        if (parsed.error.empty()) parsed.error = std::move(error);
    };
    // Options that take a value, by their short names.
    auto store = [&](char name, std::string value) {
        switch (name) {
            case 'o': output = std::move(value); haveOutput = true; break;
            case 'i': input = std::move(value); haveInput = true; break;
            case 'd': o.dot = std::move(value); break;
            case 'f': o.frequency = std::move(value); break;
            case 'v': o.volume = std::move(value); break;
            case 'e': encodingName = std::move(value); haveEncoding = true; break;
            default: break;
        }
    };
    const std::pair<const char*, char> longValues[] = {{"output", 'o'}, {"input", 'i'},  {"dot", 'd'},
                                                       {"freq", 'f'},   {"volume", 'v'}, {"encoding", 'e'}};
    const std::pair<const char*, char> longFlags[] = {{"dry-run", 'n'}, {"quiet", 'q'}, {"help", 'h'}, {"version", 'V'}};
    auto setFlag = [&](char name) {
        switch (name) {
            case 'n': o.dryRun = true; break;
            case 'q': o.quiet = true; break;
            case 'h': o.help = true; break;
            case 'V': o.version = true; break;
            default: break;
        }
    };
    auto takesValue = [](char name) { return std::string("oidfve").find(name) != std::string::npos; };

    for (std::size_t k = 0; k < arguments.size(); ++k) {
        const std::string& arg = arguments[k];
        if (arg == "--") {
            words.insert(words.end(), arguments.begin() + static_cast<std::ptrdiff_t>(k) + 1, arguments.end());
            break;
        }
        if (arg.rfind("--", 0) == 0) {
            const auto equals = arg.find('=');
            const std::string name = arg.substr(2, equals == std::string::npos ? std::string::npos : equals - 2);
            bool known = false;
            for (const auto& [longName, shortName] : longValues) {
                if (name != longName) continue;
                known = true;
                if (equals != std::string::npos) {
                    store(shortName, arg.substr(equals + 1));
                } else if (k + 1 < arguments.size()) {
                    store(shortName, arguments[++k]);
                } else {
                    fail("option --" + name + " needs a value");
                }
            }
            for (const auto& [longName, shortName] : longFlags) {
                if (name != longName) continue;
                known = true;
                if (equals != std::string::npos) fail("option --" + name + " takes no value");
                setFlag(shortName);
            }
            if (!known) fail("unknown option '" + arg + "'");
            continue;
        }
        if (arg.size() > 1 && arg[0] == '-') {
            // Short options, flags bundled (-nq), a value attached (-o out.wav or -oout.wav).
            for (std::size_t c = 1; c < arg.size(); ++c) {
                const char name = arg[c];
                if (takesValue(name)) {
                    if (c + 1 < arg.size()) {
                        store(name, arg.substr(c + 1));
                    } else if (k + 1 < arguments.size()) {
                        store(name, arguments[++k]);
                    } else {
                        fail(std::string("option -") + name + " needs a value");
                    }
                    break;
                }
                if (std::string("nqhV").find(name) == std::string::npos) {
                    fail(std::string("unknown option '-") + name + "'");
                    break;
                }
                setFlag(name);
            }
            continue;
        }
        words.push_back(arg);
    }

    if (haveOutput) o.output = output;
    if (haveInput) o.input = input;
    if (!words.empty()) {
        std::string joined = words.front();
        for (std::size_t w = 1; w < words.size(); ++w) joined += " " + words[w];
        o.message = joined;
    }
    if (haveEncoding) {
        if (const auto encoding = EncodingNamed(encodingName)) {
            o.encoding = *encoding;
        } else {
            fail("unknown encoding '" + encodingName + "' (use utf-8 or cp932)");
        }
    }
    if (o.help || o.version) return parsed;
    if (o.input && o.message) fail("give the message either as words or with --input, not both");
    if (!o.input && !o.message) fail("no message: give it as words after the options, or with --input FILE ('-' for standard input)");
    if (!o.output && !o.dryRun) fail("no output file: give --output PATH ('-' for standard output) or --dry-run");
    if (o.output && o.output->empty()) fail("the output path is empty");
    if (o.input && o.input->empty()) fail("the input path is empty");
    return parsed;
}

std::string UsageText() {
    return "Usage: velmora-cli [OPTIONS] [--] [MESSAGE]\n"
           "Turns MESSAGE into Morse code and writes it as a WAV file (8-bit mono, 8000 samples/s):\n"
           "international Morse for Latin letters and digits, Wabun for half-width katakana.\n"
           "Every other character, the blank included, is left out: there is no word gap.\n"
           "\n"
           "  -o, --output PATH     the WAV file ('-' = standard output); required unless --dry-run\n"
           "  -i, --input PATH      read the message from a file ('-' = standard input) instead of MESSAGE;\n"
           "                        one line break at its end is ignored\n"
           "  -d, --dot TEXT        dot length in milliseconds, as typed in the window's field (default 100)\n"
           "  -f, --freq TEXT       tone frequency in hertz, as typed in the field (default 1000)\n"
           "  -v, --volume TEXT     volume 0 to 127, as typed in the field (default 50)\n"
           "  -e, --encoding NAME   the message's encoding: utf-8 (default) or cp932 (bytes used as they are;\n"
           "                        on Windows, MESSAGE words always come from the wide command line)\n"
           "  -n, --dry-run         write nothing; report the cleaned message, its elements, unit count,\n"
           "                        sample count, duration and speed\n"
           "  -q, --quiet           no outcome line, no warnings and no report of left-out characters\n"
           "  -h, --help            this text\n"
           "  -V, --version         the program's version\n"
           "\n"
           "Field texts are read as the window reads them: the leading decimal digits, truncated\n"
           "(\"1.9\" is 1, \"\" and \"-5\" are 0).\n"
           "Exit status: 0 written (or would be, with --dry-run); 1 the file could not be created or\n"
           "written, or a report could not be written to standard output; 2 usage error, or the\n"
           "message cannot be read; 3 refused (nothing to sound, or the audio is too long); 4 out of\n"
           "memory; 128 + N ended by signal N (SIGINT, SIGTERM, SIGHUP) during a save, which leaves\n"
           "no temporary file and the old file as it was.\n";
}
