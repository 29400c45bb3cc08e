// How fast the work behind one click is, as ratios to a target or to a plain memory fill, so
// that the figures mean the same on any machine.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "morse/measure.h"
#include "morse/render.h"
#include "runtime/string_registry.h"
#include "support/window_render.h"
#include "wav/audio_image.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

Text MakeText(const std::string& bytes) {
    Text text = TextNew(static_cast<int32_t>(bytes.size()));
    std::copy(bytes.begin(), bytes.end(), text);
    return text;
}

// A 1 MB message of prose with a third of its bytes without a code (blanks, punctuation,
// double-byte characters), cleaned and measured: the target is well under 50 ms.
void BM_MeasureAndClean1MB(benchmark::State& state) {
    std::mt19937 random(7);
    const std::string pieces[] = {"CQ ", "de ", "VELMORA ", "\xB2\xDB\xCA ", "73. ", "\x82\xA0\x83\x41", "(k), "};
    std::string message;
    while (message.size() < (1u << 20)) message += pieces[random() % std::size(pieces)];
    message.resize(1u << 20);
    double seconds = 0;
    for (auto _ : state) {
        TextVar text(MakeText(message));
        const auto start = Clock::now();
        benchmark::DoNotOptimize(MeasureAndClean(text));
        seconds += Seconds(Clock::now() - start);
    }
    state.counters["ms_per_run"] = seconds * 1e3 / static_cast<double>(state.iterations());
    state.counters["of_50ms_target"] = seconds / 0.050 / static_cast<double>(state.iterations());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(message.size()));
}
BENCHMARK(BM_MeasureAndClean1MB)->Unit(benchmark::kMillisecond);

constexpr int32_t kDot = 100;

// About 100 MB of samples: "0" is all dashes, 22 units a character at 800 samples a unit.
int32_t HundredMegabyteMessage(TextVar& message) {
    message.Assign(MakeText(std::string(5700, '0')));
    return static_cast<int32_t>(MeasureAndClean(message) * kDot * 8);
}

// Rendering alone into a sample area already in memory, against filling the same area: both
// write every sample once, the elements as copies of one computed tile, so the two should be of
// the same order.
void BM_Render100MB(benchmark::State& state) {
    TextVar message;
    const int32_t sampleCount = HundredMegabyteMessage(message);
    std::vector<uint8_t> samples(static_cast<std::size_t>(sampleCount), 128);
    double renderSeconds = 0, fillSeconds = 0;
    for (auto _ : state) {
        auto start = Clock::now();
        std::memset(samples.data(), 128, samples.size());
        benchmark::ClobberMemory();
        fillSeconds += Seconds(Clock::now() - start);
        start = Clock::now();
        Render(message.Get(), samples, kDot, 1000, 50);
        benchmark::ClobberMemory();
        renderSeconds += Seconds(Clock::now() - start);
    }
    state.counters["MB"] = sampleCount / 1e6;
    state.counters["render_ms"] = renderSeconds * 1e3 / static_cast<double>(state.iterations());
    state.counters["fill_ms"] = fillSeconds * 1e3 / static_cast<double>(state.iterations());
    state.counters["render_vs_fill"] = renderSeconds / fillSeconds;
}
BENCHMARK(BM_Render100MB)->Unit(benchmark::kMillisecond)->Iterations(10);

// The whole audio image as a run makes it (allocation, header, every sample rendered once),
// against allocating and filling a block of the same size: both pay for the system's first
// touch of every page.
void BM_AudioImage100MB(benchmark::State& state) {
    TextVar message;
    const int32_t sampleCount = HundredMegabyteMessage(message);
    const std::size_t size = static_cast<std::size_t>(sampleCount) + kWavHeaderSize;
    double imageSeconds = 0, fillSeconds = 0;
    for (auto _ : state) {
        auto start = Clock::now();
        auto* plain = static_cast<uint8_t*>(std::calloc(size, 1));
        std::memset(plain, 128, size);
        benchmark::DoNotOptimize(plain);
        benchmark::ClobberMemory();
        std::free(plain);
        fillSeconds += Seconds(Clock::now() - start);

        start = Clock::now();
        AudioImage image = AudioImageAllocate(sampleCount);
        Render(message.Get(), AudioImageSamples(image), kDot, 1000, 50);
        benchmark::DoNotOptimize(image.block);
        benchmark::ClobberMemory();
        AudioImageRelease(image);
        imageSeconds += Seconds(Clock::now() - start);
    }
    state.counters["MB"] = static_cast<double>(size) / 1e6;
    state.counters["image_ms"] = imageSeconds * 1e3 / static_cast<double>(state.iterations());
    state.counters["fresh_fill_ms"] = fillSeconds * 1e3 / static_cast<double>(state.iterations());
    state.counters["image_vs_fresh_fill"] = imageSeconds / fillSeconds;
}
BENCHMARK(BM_AudioImage100MB)->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace

int main(int argc, char** argv) {
    RuntimeInit();
    RuntimeReserve();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    RuntimeExit();
    return 0;
}
