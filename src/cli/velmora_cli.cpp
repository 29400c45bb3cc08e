#include "cli/velmora_cli.h"

#include <new>
#include <optional>

#include "cli/dry_run.h"
#include "cli/field_warnings.h"
#include "cli/message_text.h"
#include "cli/options.h"
#include "morse/create_command.h"
#include "platform/code_page.h"
#include "platform/console.h"
#include "platform/file_output.h"
#include "platform/form_standin.h"
#include "runtime/fatal.h"
#include "runtime/string_registry.h"

namespace {

constexpr std::size_t kLeftOutLinesShown = 20;

// The runtime's out-of-memory report, turned into an exception that unwinds the run (releasing
// its text values) to CliMain, which ends it with an exit status instead of an abort.
struct RuntimeOutOfMemoryError : std::bad_alloc {};

void ThrowOutOfMemory(const char*) { throw RuntimeOutOfMemoryError(); }

// The text runtime for one run, released however the run ends.
class RuntimeSession {
  public:
    RuntimeSession() {
        RuntimeInit();
        RuntimeReserve();
        RuntimeSetFatalReporter(ThrowOutOfMemory);
    }
    ~RuntimeSession() {
        RuntimeSetFatalReporter(nullptr);
        RuntimeExit();
    }
    RuntimeSession(const RuntimeSession&) = delete;
    RuntimeSession& operator=(const RuntimeSession&) = delete;
};

void Say(const std::string& line) { ConsoleWrite(true, line); }

int UsageError(const std::string& problem) {
    Say("velmora-cli: " + problem + "\nTry 'velmora-cli --help' for more information.\n");
    return kExitUsage;
}

// A report on standard output that cannot be written is a failure, not a success without output.
int Report(const std::string& text, int exitCode) {
    int error = 0;
    if (ConsoleWrite(false, text, &error)) return exitCode;
    Say("velmora-cli: cannot write to standard output: " + SystemErrorText(error) + "\n");
    return kExitFileFailed;
}

// The message, from the words or from --input; none (with the usage error shown) if unreadable.
std::optional<std::string> ReadMessage(const CliOptions& options, int& exitCode) {
    if (!options.input) return options.message;
    const bool standardInput = *options.input == "-";
    if (standardInput && StandardInputIsTerminal() && !options.quiet) {
#ifdef _WIN32
        Say("velmora-cli: reading the message from the console; end it with Ctrl+Z and Enter\n");
#else
        Say("velmora-cli: reading the message from the terminal; end it with Ctrl+D\n");
#endif
    }
    InputRead read = standardInput ? ReadStandardInput() : ReadInputFile(*options.input);
    if (!read.bytes) {
        const std::string source = standardInput ? "standard input" : "'" + *options.input + "'";
        const std::string why = read.isFolder ? "it is a folder" : SystemErrorText(read.systemError);
        exitCode = UsageError("cannot read the message from " + source + ": " + why);
        return std::nullopt;
    }
    // A file usually ends its one line with a line break, which is not part of the message.
    std::string& bytes = *read.bytes;
    if (!bytes.empty() && bytes.back() == '\n') {
        bytes.pop_back();
        if (!bytes.empty() && bytes.back() == '\r') bytes.pop_back();
    }
    return std::move(read.bytes);
}

int ExitFor(CreateOutcome outcome) {
    switch (outcome) {
        case CreateOutcome::Written: return kExitWritten;
        case CreateOutcome::Cancelled:
        case CreateOutcome::OpenFailed:
        case CreateOutcome::WriteFailed: return kExitFileFailed;
        case CreateOutcome::OutOfMemory: return kExitOutOfMemory;
        case CreateOutcome::NothingToSound:
        case CreateOutcome::TooLong: break;
    }
    return kExitRefused;
}

// Where the file goes; false (with the usage error shown) if it cannot go there.
bool ChooseDestination(const CliOptions& options, StandInForm& form, int& exitCode) {
    if (!options.output || options.dryRun) return true;
    if (*options.output == "-") {
        if (StandardOutputIsTerminal()) {
            exitCode = UsageError("will not write audio to a terminal; redirect standard output or give a file");
            return false;
        }
        form.AnswerSaveDialog(SaveTarget::StandardOutput);
        return true;
    }
    const auto path = PlatformPathFromUtf8(*options.output);
    if (!path) {
        exitCode = UsageError("the output path '" + *options.output + "' cannot be written on this system");
        return false;
    }
    form.AnswerSaveDialog(SaveTarget::File, *path, *options.output);
    ConsoleEndOnInterrupt();
    return true;
}

int Run(const std::vector<std::string>& arguments) {
    const ParsedOptions parsed = ParseOptions(arguments);
    if (!parsed.error.empty()) return UsageError(parsed.error);
    const CliOptions& options = parsed.options;
    if (options.help) return Report(UsageText(), kExitWritten);
    if (options.version) return Report("velmora-cli " VELMORA_VERSION "\n", kExitWritten);

    int exitCode = kExitWritten;
    StandInForm form;
    if (!ChooseDestination(options, form, exitCode)) return exitCode;
    {
        std::optional<std::string> message = ReadMessage(options, exitCode);
        if (!message) return exitCode;
        MessageText text = MessageTextFrom(*message, options.encoding);
        message.reset();  // the message is held once, as code page 932, from here on
        if (!options.quiet) {
            Say(LeftOutReport(text.leftOut, kLeftOutLinesShown));
            for (const std::string& warning : FieldWarnings(options)) Say(warning);
        }
        form.SetField(kMessageFieldId, std::move(text.cp932));
    }
    form.SetField(kDotFieldId, options.dot);
    form.SetField(kFrequencyFieldId, options.frequency);
    form.SetField(kVolumeFieldId, options.volume);
    if (!options.quiet) {
        form.OnMessage([](const StandInForm::Message& shown) {
            std::string line = Utf8FromCp932(shown.caption) + ": " + Utf8FromCp932(shown.text);
            if (!shown.cause.empty()) line += " (" + shown.cause + ")";
            Say(line + "\n");
        });
    }

    RuntimeSession runtime;
    if (!options.dryRun) return ExitFor(CreateCommand(form));
    CreateInputs inputs;
    CreateReadInputs(form, inputs);
    const auto refused = CreateRefusal(form, inputs);
    return Report(DryRunReport(inputs, refused), refused ? ExitFor(*refused) : kExitWritten);
}

}  // namespace

int CliMain(const std::vector<std::string>& arguments) {
    try {
        return Run(arguments);
    } catch (const std::bad_alloc&) {
        // Nothing here may need the heap.
        ConsoleWrite(true, "velmora-cli: \u30E1\u30E2\u30EA\u304C\u8DB3\u308A\u307E\u305B\u3093\u3002 (out of memory)\n");
        return kExitOutOfMemory;
    }
}
