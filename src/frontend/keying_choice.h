// The keying a front end asks for, decided alike by each: a rise, or a sound format other than
// the window's, takes the exact tone; and what the rise and the exact tone make of the fields,
// for the warnings each front end words in its own way.
#pragma once

#include <optional>
#include <string>

#include "morse/keying.h"
#include "morse/synthesis.h"
#include "wav/sample_format.h"

// The exact pitch when asked for, or when a rise (0 included) or another sound format is: the
// window's whole-sample period belongs to its own sound alone.
Keying KeyingAsked(bool exactPitch, const std::optional<double>& riseMilliseconds, bool otherFormat);

// The format that FieldWarnings checks the frequency and volume against when the keying takes
// the exact tone; none for the window's tone.
std::optional<SoundFormat> ExactToneFormat(const Keying& keying, SoundFormat format);

// RiseWarning's words for the rise of a run, held to half its shortest element: the dot of
// `dotText` in the run's style and format; none when it is taken as asked.
std::optional<std::string> RiseWarningOf(const Keying& keying, SoundFormat format, const RunStyle& style,
                                         const std::string& dotText);
