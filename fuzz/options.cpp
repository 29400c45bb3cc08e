// Option parsing: the input cut at its zero bytes into the arguments of one command line. A
// usable command line must satisfy what the usage text promises, and every long option the
// usage text names must be one the parser knows, whichever options are added later.
#include <regex>
#include <string>

#include "frontend/field_warnings.h"
#include "frontend/label_track.h"
#include "cli/options.h"
#include "fuzz_support.h"

namespace {

// Once per process: each "--name" in the usage text parses as a known option.
void CheckUsageNamesKnownOptions() {
    const std::string usage = UsageText();
    FUZZ_CHECK(!usage.empty() && usage.back() == '\n');
    const std::regex longOption("--([a-z][a-z0-9-]*)");
    int names = 0;
    for (auto m = std::sregex_iterator(usage.begin(), usage.end(), longOption); m != std::sregex_iterator(); ++m) {
        ++names;
        const std::string option = m->str();
        const ParsedOptions parsed = ParseOptions({option, "x"});
        if (parsed.error.rfind("unknown option", 0) == 0) FuzzCheckFailed(option.c_str(), __FILE__, __LINE__);
    }
    FUZZ_CHECK(names > 0);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    FuzzRuntimeStarted();
    CheckUsageNamesKnownOptions();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const int32_t startUp = FuzzRuntimeStarted();
    std::vector<std::string> arguments;
    if (size > 0) {
        for (std::string_view part : FuzzPartsAll(FuzzBytes(data, size))) arguments.emplace_back(part);
    }
    const ParsedOptions parsed = ParseOptions(arguments);
    if (!parsed.error.empty()) return 0;
    const CliOptions& o = parsed.options;
    if (o.help || o.version || o.listCodes) return 0;
    // What a usable command line has: one message source, a destination unless it is a dry
    // run, and no empty path.
    FUZZ_CHECK(o.input.has_value() != o.message.has_value());
    FUZZ_CHECK(o.output.has_value() || o.dryRun);
    FUZZ_CHECK(!o.output || !o.output->empty());
    FUZZ_CHECK(!o.input || !o.input->empty());
    FUZZ_CHECK(!(o.wpm && o.dotGiven));
    FUZZ_CHECK(!o.wpm || *o.wpm > 0.0);
    FUZZ_CHECK(!o.farnsworth || *o.farnsworth > 0.0);
    FUZZ_CHECK(!o.labels || (LabelFormatOf(*o.labels) && !o.dryRun));
    FUZZ_CHECK(!o.batch || (o.output && *o.output != "-"));
    FUZZ_CHECK(!o.overwrite || o.batch);
    FUZZ_CHECK(!o.batch || !o.labels || o.labels->find_first_of("/\\") == std::string::npos);
    FUZZ_CHECK(!o.farnsworth || o.wordGap);

    // The field texts it carries, read as the window reads them: at most one warning each, and
    // one for a speed.
    const std::vector<FieldWarning> warnings = FieldWarnings(o.dot, o.frequency, o.volume, o.wpm);
    FUZZ_CHECK(warnings.size() <= 4);
    for (std::size_t k = 0; k < warnings.size(); ++k) {
        FUZZ_CHECK(!warnings[k].said.empty() && warnings[k].said.find('\n') == std::string::npos);
        FUZZ_CHECK(k == 0 || warnings[k - 1].field < warnings[k].field);
    }
    FUZZ_CHECK(RegistryCount() == startUp);
    return 0;
}
