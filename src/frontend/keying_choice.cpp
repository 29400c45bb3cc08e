#include "frontend/keying_choice.h"

#include "frontend/field_warnings.h"
#include "morse/field_text.h"

Keying KeyingAsked(bool exactPitch, const std::optional<double>& riseMilliseconds, bool otherFormat) {
    return {exactPitch || riseMilliseconds.has_value() || otherFormat, riseMilliseconds.value_or(0.0)};
}

std::optional<SoundFormat> ExactToneFormat(const Keying& keying, SoundFormat format) {
    if (!keying.exactPitch) return std::nullopt;
    return SoundFormatNormalized(format);
}

std::optional<std::string> RiseWarningOf(const Keying& keying, SoundFormat format, const RunStyle& style,
                                         const std::string& dotText) {
    const SoundFormat made = SoundFormatNormalized(format);
    const TickTiming ticks = style.TicksFor(FieldTextRead(dotText).value, made.rate);
    return RiseWarning(RiseFor(keying.riseMilliseconds, made.rate, ticks.unit), made.rate);
}
