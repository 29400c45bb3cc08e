// A form field's text: how it is read from the form, and how a number field's text becomes a
// 32-bit number (the one rule every front end reads its number texts by).
#pragma once

#include <cstdint>
#include <string_view>

#include "morse/form.h"
#include "runtime/text.h"

// The texts the form's number fields start with, which every front end takes as its defaults.
inline constexpr const char* kDefaultDotText = "100";        // milliseconds
inline constexpr const char* kDefaultFrequencyText = "1000";  // hertz
inline constexpr const char* kDefaultVolumeText = "50";

// The field's bytes followed by one zero byte (more if the field delivers less than it reported).
void ReadField(Form& form, int controlId, TextVar& receiver);

// How a number field's text is read, and what of it the number leaves aside.
struct FieldReading {
    int32_t value = 0;
    bool trailing = false;  // characters follow the number, and are ignored
    bool fraction = false;  // the number had a fraction, which is dropped
    bool wrapped = false;   // the whole number is not the value: it does not fit 32 bits
};

// The one reading of a number field's text, up to its first zero byte: a "+" joined in front,
// so that the text's own sign is never taken; the leading decimal number; truncated toward zero
// through 64 bits, the low 32 kept. "2.99" is 2, "" and "-5" are 0, "4294967301" is 5.
FieldReading FieldTextRead(const char* fieldText);  // a text value, which stays the caller's
FieldReading FieldTextRead(std::string_view fieldText);

// ReadField, then the number of its text.
int32_t ReadFieldNumber(Form& form, int controlId, TextVar& fieldText);
int32_t FieldNumberFromDouble(double value);
