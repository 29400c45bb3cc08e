#include "cli/velmora_cli.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>

#include "cli/dry_run.h"
#include "cli/message_text.h"
#include "cli/options.h"
#include "morse/create_command.h"
#include "platform/code_page.h"
#include "platform/console.h"
#include "platform/form_standin.h"
#include "runtime/fatal.h"
#include "runtime/string_registry.h"

namespace {

constexpr std::size_t kLeftOutLinesShown = 20;

int UsageError(const std::string& problem) {
    ConsoleWrite(true, "velmora-cli: " + problem + "\nTry 'velmora-cli --help' for more information.\n");
    return kExitUsage;
}

void ReportFatal(const char* message) {
    ConsoleWrite(true, "velmora-cli: " + Utf8FromCp932(message) + "\n");
}

std::optional<std::string> ReadInput(const std::string& path) {
    std::optional<std::string> bytes;
    if (path == "-") {
        bytes = ReadStandardInput();
    } else {
        // A folder opens like a file here and only fails when read, by throwing.
        const std::filesystem::path file(std::u8string(path.begin(), path.end()));
        std::error_code error;
        if (std::filesystem::is_directory(file, error)) return std::nullopt;
        try {
            std::ifstream in(file, std::ios::binary);
            if (!in) return std::nullopt;
            bytes.emplace(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
            if (in.bad()) return std::nullopt;
        } catch (const std::ios_base::failure&) {
            return std::nullopt;
        }
    }
    // A file usually ends its one line with a line break, which is not part of the message.
    if (bytes && !bytes->empty() && bytes->back() == '\n') {
        bytes->pop_back();
        if (!bytes->empty() && bytes->back() == '\r') bytes->pop_back();
    }
    return bytes;
}

int ExitFor(CreateOutcome outcome) {
    switch (outcome) {
        case CreateOutcome::Written: return kExitWritten;
        case CreateOutcome::Cancelled:
        case CreateOutcome::OpenFailed:
        case CreateOutcome::WriteFailed: return kExitFileFailed;
        case CreateOutcome::NothingToSound:
        case CreateOutcome::TooLong: break;
    }
    return kExitRefused;
}

}  // namespace

int CliMain(const std::vector<std::string>& arguments) {
    const ParsedOptions parsed = ParseOptions(arguments);
    if (!parsed.error.empty()) return UsageError(parsed.error);
    const CliOptions& options = parsed.options;
    if (options.help) {
        ConsoleWrite(false, UsageText());
        return kExitWritten;
    }
    if (options.version) {
        ConsoleWrite(false, "velmora-cli " VELMORA_VERSION "\n");
        return kExitWritten;
    }

    std::string message = options.message.value_or("");
    if (options.input) {
        const auto read = ReadInput(*options.input);
        if (!read) {
            const std::string source = *options.input == "-" ? "standard input" : "'" + *options.input + "'";
            return UsageError("cannot read the message from " + source);
        }
        message = *read;
    }

    StandInForm form;
    if (options.output && !options.dryRun) {
        if (*options.output == "-") {
            if (StandardOutputIsTerminal()) {
                return UsageError("will not write audio to a terminal; redirect standard output or give a file");
            }
            form.AnswerSaveDialog(SaveTarget::StandardOutput);
        } else {
            const auto path = PlatformPathFromUtf8(*options.output);
            if (!path || path->empty()) return UsageError("the output path cannot be used on this system");
            if (path->size() >= kSavePathSize) {
                return UsageError("the output path is longer than the " + std::to_string(kSavePathSize - 1) +
                                  " bytes a file name may have here");
            }
            form.AnswerSaveDialog(SaveTarget::File, *path);
        }
    }

    const MessageText text = MessageTextFrom(message, options.encoding);
    if (!options.quiet) ConsoleWrite(true, LeftOutReport(text.leftOut, kLeftOutLinesShown));
    form.SetField(kMessageFieldId, text.cp932);
    form.SetField(kDotFieldId, options.dot);
    form.SetField(kFrequencyFieldId, options.frequency);
    form.SetField(kVolumeFieldId, options.volume);
    if (!options.quiet) {
        form.OnMessage([](const StandInForm::Message& shown) {
            ConsoleWrite(true, Utf8FromCp932(shown.caption) + ": " + Utf8FromCp932(shown.text) + "\n");
        });
    }

    RuntimeInit();
    RuntimeReserve();
    RuntimeSetFatalReporter(ReportFatal);
    int exitCode = kExitWritten;
    if (options.dryRun) {
        CreateInputs inputs;
        CreateReadInputs(form, inputs);
        const auto refused = CreateRefusal(form, inputs);
        ConsoleWrite(false, DryRunReport(inputs, refused));
        if (refused) exitCode = ExitFor(*refused);
    } else {
        exitCode = ExitFor(CreateCommand(form));
    }
    RuntimeExit();
    return exitCode;
}
