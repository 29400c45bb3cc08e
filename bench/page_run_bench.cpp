// The native side of bench/web_cost: the web page's run (what one press of 作成!! computes, the
// WAV and its labels) on a message read from a file, at the form's start texts, timed in this
// process. Prints one line per round: milliseconds, then the WAV's size in bytes.
//   velmora_page_bench MESSAGE_FILE ROUNDS
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "frontend/runtime_session.h"
#include "morse/field_text.h"
#include "web/page_run.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        (void)std::fputs("usage: velmora_page_bench MESSAGE_FILE ROUNDS\n", stderr);
        return 2;
    }
    std::ifstream file(argv[1], std::ios::binary);
    PageFields fields;
    fields.message.assign(std::istreambuf_iterator<char>(file), {});
    fields.dot = kDefaultDotText;
    fields.frequency = kDefaultFrequencyText;
    fields.volume = kDefaultVolumeText;
    const RuntimeSession runtime;
    const int rounds = std::stoi(argv[2]);
    for (int round = 0; round < rounds; ++round) {
        const auto start = std::chrono::steady_clock::now();
        const PageRun run = PageRunMake(fields);
        const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
        if (run.outcome != PageOutcome::Written) return 1;
        std::printf("%.3f %zu\n", took.count(), run.audio->Bytes().size());
    }
    return 0;
}
