#include "cli/velmora_cli.h"

#include <cstdio>
#include <new>
#include <optional>

#include "cli/batch.h"
#include "cli/code_listing.h"
#include "cli/console.h"
#include "cli/job.h"
#include "cli/options.h"
#include "frontend/field_warnings.h"
#include "frontend/keying_choice.h"
#include "frontend/message_text.h"
#include "frontend/runtime_session.h"
#include "platform/file_output.h"
#include "runtime/program_texts.h"

namespace {

std::string OptionSpelling(NumberField field) {
    switch (field) {
        case NumberField::Dot: return "--dot";
        case NumberField::Frequency: return "--freq";
        case NumberField::Volume: return "--volume";
        case NumberField::Wpm: break;
    }
    return "--wpm";
}

// The field texts, the speed and the rise that will not sound as typed.
void SayWarnings(const RunSettings& run) {
    const CliOptions& options = run.options;
    const Keying keying = KeyingOf(options);
    const SoundFormat format = SoundFormatOf(options);
    for (const FieldWarning& warning : FieldWarnings(run.dotText, options.frequency, options.volume, options.wpm,
                                                     ExactToneFormat(keying, format))) {
        const std::string typed = SafeToShow(warning.typed);
        const std::string value = warning.field == NumberField::Wpm ? typed : "'" + typed + "'";
        Say("velmora-cli: warning: " + OptionSpelling(warning.field) + " " + value + " " + warning.said + "\n");
    }
    if (const auto said = RiseWarningOf(keying, format, run.style, run.dotText)) {
        char rise[32];
        (void)std::snprintf(rise, sizeof rise, "%g", keying.riseMilliseconds);  // a dozen characters at most
        Say(std::string("velmora-cli: warning: --rise ") + rise + " " + *said + "\n");
    }
}

// The input named by --input, with no bytes (and the usage error shown) if it cannot be read. A
// UTF-8 byte order mark at its very start marks the encoding and is no character of the message.
InputRead ReadInput(const CliOptions& options, int& exitCode) {
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
    }
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (read.bytes && options.encoding == MessageEncoding::Utf8 && read.bytes->starts_with(kByteOrderMark)) {
        read.bytes->erase(0, kByteOrderMark.size());
    }
    return read;
}

// A message usually ends its one line with a line break, which is not part of it.
void DropFinalLineBreak(std::string& bytes) {
    if (!bytes.empty() && bytes.back() == '\n') {
        bytes.pop_back();
        if (!bytes.empty() && bytes.back() == '\r') bytes.pop_back();
    }
}

int Run(const std::vector<std::string>& arguments) {
    const RuntimeSession runtime;
    const ParsedOptions parsed = ParseOptions(arguments);
    if (!parsed.error.empty()) return UsageError(parsed.error);
    const CliOptions& options = parsed.options;
    if (options.help) return Report(UsageText(), kExitWritten);
    if (options.version) return Report("velmora-cli " VELMORA_VERSION "\n", kExitWritten);
    if (options.listCodes) return Report(CodeListing(options.codes), kExitWritten);
    if (!options.dryRun && options.output == "-" && StandardOutputIsTerminal()) {
        return UsageError("will not write audio to a terminal; redirect standard output or give a file");
    }
    // Named as a file, a terminal would show the audio's bytes as text and control sequences.
    if (!options.dryRun && !options.batch && options.output != "-" && PathIsTerminal(*options.output)) {
        return UsageError("will not write audio to a terminal ('" + *options.output + "' is one); give a file");
    }

    int exitCode = kExitWritten;
    std::string message;
    std::optional<OpenedFile> inputFile;
    if (options.input) {
        InputRead read = ReadInput(options, exitCode);
        if (!read.bytes) return exitCode;
        message = std::move(*read.bytes);
        inputFile = read.opened;
    } else {
        message = *options.message;
    }
    const RunSettings run{options, DotText(options), RunStyleOf(options), inputFile};
    if (!options.quiet) SayWarnings(run);

    if (options.batch) return RunBatch(run, message);
    DropFinalLineBreak(message);
    const std::string output = options.dryRun ? "" : *options.output;
    return RunJob(run, {std::move(message), output, options.labels, "velmora-cli: ", ""});
}

}  // namespace

int CliMain(const std::vector<std::string>& arguments) {
    try {
        return Run(arguments);
    } catch (const std::bad_alloc&) {
        // Nothing here may need the heap.
        ConsoleWrite(true, "velmora-cli: ");
        ConsoleWrite(true, kOutOfMemoryText.utf8);
        ConsoleWrite(true, " (out of memory)\n");
        return kExitOutOfMemory;
    }
}
