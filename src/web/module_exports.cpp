// The WebAssembly module's C interface, which the page's worker calls. One run at a time: its
// parts stay in the module's memory, for the worker to copy out, until the next run or
// velmora_release, which gives every byte of it back.
#include <malloc.h>

#include <cstdint>
#include <new>
#include <optional>
#include <span>
#include <string>

#include "frontend/runtime_session.h"
#include "web/page_report.h"
#include "web/page_run.h"

namespace {

enum Part { kWav, kSubRip, kWebVtt, kReport, kSpans, kMarks };
enum Option { kWordGaps = 1, kFoldKana = 2, kExactPitch = 4, kPunctuation = 8 };

struct HeldRun {
    PageRun run;
    std::string report;
};

std::optional<HeldRun>& Held() {
    static std::optional<HeldRun> held;
    return held;
}

// The text runtime lives as long as the module: started by the first run.
void StartRuntime() { static const RuntimeSession session; }

std::span<const uint8_t> Bytes(const std::string& text) {
    return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

std::span<const uint8_t> PartBytes(int part) {
    const auto& held = Held();
    if (!held) return {};
    const PageRun& run = held->run;
    switch (part) {
        case kWav: return run.audio ? run.audio->Bytes() : std::span<const uint8_t>();
        case kSubRip: return Bytes(run.subRip);
        case kWebVtt: return Bytes(run.webVtt);
        case kReport: return Bytes(held->report);
        case kSpans: return {reinterpret_cast<const uint8_t*>(run.spans.data()), run.spans.size() * sizeof(int32_t)};
        case kMarks: return Bytes(run.marks);
        default: return {};
    }
}

}  // namespace

// One field's text as UTF-8: its bytes and their number, a zero byte among them included.
struct FieldText {
    const char* at;
    uint32_t size;

    std::string Text() const { return {at, size}; }
};

extern "C" {

void velmora_release() { Held().reset(); }

// The fields' texts in the page's order (message, dot, frequency, volume, wpm, farnsworth, rise);
// `options` is the Option flags or'ed. Returns the outcome, in the order of PageOutcome.
int velmora_run(const FieldText* texts, int options) {
    velmora_release();
    try {
        StartRuntime();
        const PageFields fields{.message = texts[0].Text(),
                                .dot = texts[1].Text(),
                                .frequency = texts[2].Text(),
                                .volume = texts[3].Text(),
                                .wpm = texts[4].Text(),
                                .farnsworth = texts[5].Text(),
                                .wordGaps = (options & kWordGaps) != 0,
                                .foldKana = (options & kFoldKana) != 0,
                                .rise = texts[6].Text(),
                                .exactPitch = (options & kExactPitch) != 0,
                                .punctuation = (options & kPunctuation) != 0};
        HeldRun& held = Held().emplace(HeldRun{PageRunMake(fields), {}});
        held.report = PageReport(held.run);
        return static_cast<int>(held.run.outcome);
    } catch (const std::bad_alloc&) {
        velmora_release();
        return static_cast<int>(PageOutcome::OutOfMemory);
    }
}

const uint8_t* velmora_part(int part) { return PartBytes(part).data(); }
uint32_t velmora_part_size(int part) { return static_cast<uint32_t>(PartBytes(part).size()); }

// The bytes the module's heap has given and not taken back: after velmora_release, what it was
// before the run.
uint32_t velmora_heap_in_use() { return static_cast<uint32_t>(mallinfo().uordblks); }

}  // extern "C"
