// The synthesis parameters: how a form field is read, how a numeric field's text becomes a
// 32-bit number, and the sample count that sizes the audio image.
#pragma once

#include <cstdint>
#include <string>

#include "morse/form.h"
#include "runtime/text.h"

// The field's bytes followed by one zero byte (more if the field delivers less than it reported).
void ReadField(Form& form, int controlId, TextVar& receiver);

// The field's leading decimal number, read with a "+" joined in front, truncated to 64 bits and
// cut to the low 32: "2.99" is 2, "" and "-5" are 0, "4294967301" is 5.
int32_t ReadFieldNumber(Form& form, int controlId, TextVar& fieldText);
int32_t FieldNumberFromDouble(double value);
// The same reading of a field text that is not a text value (the command line's options).
int32_t FieldNumberFromText(const std::string& text);

// Unit count x dot length x 8 in 32-bit arithmetic that wraps: the window's image size. The
// Create command refuses a size that differs from the exact length (it wrapped or went negative).
int32_t SampleCount(int32_t unitCount, int32_t dotLength);
