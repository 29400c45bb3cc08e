#include "support/window_render.h"

#include "morse/measure.h"
#include "morse/render.h"
#include "morse/tone.h"

int64_t MeasureAndClean(TextVar& message) { return MeasureMessage(message, WordBreaks::Dropped).Units(); }

int64_t Render(const char* message, std::span<uint8_t> samples, int32_t dotLength, int32_t toneFrequency,
               int32_t volume) {
    const Timing timing = DefaultTiming(dotLength);
    const int64_t end = RenderMessage(message, samples, timing, ToneMake(toneFrequency, volume));
    return end > 0 ? end + timing.characterGap : 0;
}
