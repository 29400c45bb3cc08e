// Ten thousand Create runs in one process, with mixed messages, fields and destinations: after
// each run the string registry and the heap are as they were, and resident memory does not grow
// over the whole soak. Prints the figures; exits non-zero if either does not hold.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "morse/create_command.h"
#include "support/stand_in_form.h"
#include "platform/heap.h"
#include "runtime/string_registry.h"

namespace {

constexpr int kWarmUp = 200;
// Growth allowed over the soak: the allocator keeps a little for itself, a leak of one small
// block per run would take several times this.
constexpr long kAllowedGrowthKiB = 512;

long ResidentKiB() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0;
    long resident = 0;
    statm >> pages >> resident;
    return resident * 4;
}

std::string RandomMessage(std::mt19937& random) {
    static const char* const kPieces[] = {"SOS", "E", " ", "PARIS", "\xB2\xDB\xCA", "\x83\x41", "!?", "", "0",
                                         "\x82\xA0", "()", "\xDE\xDF\xB0", "\t\n", "\xFF", "abc XYZ 123"};
    std::string message;
    const int pieces = static_cast<int>(random() % 6);
    for (int k = 0; k < pieces; ++k) message += kPieces[random() % std::size(kPieces)];
    return message;
}

template <typename T, std::size_t N>
const T& Pick(std::mt19937& random, const T (&choices)[N]) {
    return choices[random() % N];
}

}  // namespace

// The number of runs may be given (a longer soak by hand); 10,000 by default.
int main(int argc, char** argv) {
    const int runs = argc > 1 ? static_cast<int>(std::strtol(argv[1], nullptr, 10)) : 10000;
    RuntimeInit();
    RuntimeReserve();
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("velmora-soak-" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(folder);

    static const char* const kDots[] = {"0", "1", "3", "7", "12", "", "1.9", "abc", "268435456", "4294967295"};
    static const char* const kFrequencies[] = {"1000", "440", "0", "9000", "2500", "1", "3000"};
    static const char* const kVolumes[] = {"50", "0", "127", "200", "4294967246"};
    static const SaveTarget kTargets[] = {SaveTarget::Memory, SaveTarget::Memory, SaveTarget::Memory,
                                          SaveTarget::File, SaveTarget::Cancelled};
    std::mt19937 random(20261207);
    const int32_t texts = RegistryCount();
    const std::size_t blocks = HeapLiveBlocks();
    long startKiB = 0;
    int unbalanced = 0;
    int outcomes[7] = {};
    for (int run = 0; run < runs; ++run) {
        if (run == kWarmUp) startKiB = ResidentKiB();
        StandInForm form;
        form.SetField(kMessageFieldId, RandomMessage(random));
        form.SetField(kDotFieldId, Pick(random, kDots));
        form.SetField(kFrequencyFieldId, Pick(random, kFrequencies));
        form.SetField(kVolumeFieldId, Pick(random, kVolumes));
        const SaveTarget target = Pick(random, kTargets);
        form.AnswerSaveDialog(target, (folder / ("run" + std::to_string(run % 7) + ".wav")).string());
        ++outcomes[static_cast<int>(CreateCommand(form))];
        if (RegistryCount() != texts || HeapLiveBlocks() != blocks) {
            if (++unbalanced <= 5) {
                (void)std::fprintf(stderr, "run %d left %d text values and %zu blocks, found %d and %zu\n", run,
                             RegistryCount(), HeapLiveBlocks(), texts, blocks);
            }
        }
    }
    const long endKiB = ResidentKiB();
    std::filesystem::remove_all(folder);
    RuntimeExit();

    std::printf("soak: %d Create runs (written %d, cancelled %d, refused %d)\n", runs, outcomes[0], outcomes[1],
                outcomes[4] + outcomes[5]);
    std::printf("soak: registry %d text values before and after every run; %d runs unbalanced\n", texts, unbalanced);
    std::printf("soak: resident memory %ld KiB after %d runs, %ld KiB after %d (growth %ld KiB, %ld allowed)\n",
                startKiB, kWarmUp, endKiB, runs, endKiB - startKiB, kAllowedGrowthKiB);
    return unbalanced == 0 && endKiB - startKiB <= kAllowedGrowthKiB ? EXIT_SUCCESS : EXIT_FAILURE;
}
