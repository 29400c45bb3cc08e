#include "morse/field_text.h"

#include <climits>
#include <cmath>
#include <cstring>

#include "runtime/number_text.h"

void ReadField(Form& form, int controlId, TextVar& receiver) {
    int32_t length = form.FieldLength(controlId);
    if (length < 0) length = 0;
    if (length == INT32_MAX) --length;
    receiver.Assign(TextNew(length + 1));
    form.FieldText(controlId, TextBytes(receiver.Get()));
}

// Each piece is owned by a variable until the operation that consumes it takes it, so that a
// refused block on the way leaks none of them.
FieldReading FieldTextRead(const char* fieldText) {
    TextVar sign(TextFromLiteral("+"));
    TextVar copy(TextCopy(fieldText));
    const TextVar joined(TextConcat(sign.Take(), copy.Take()));
    std::size_t used = 0;
    const double number = TextToNumber(joined.Get(), &used);
    FieldReading reading;
    reading.value = FieldNumberFromDouble(number);
    reading.trailing = used < std::strlen(joined.Get());
    reading.fraction = number != std::trunc(number);
    reading.wrapped = std::trunc(number) != static_cast<double>(reading.value);
    return reading;
}

// A text value ends at its first zero byte: whatever a view holds after one is ignored as well.
FieldReading FieldTextRead(std::string_view fieldText) {
    const TextVar text(TextFromBytes(fieldText));
    FieldReading reading = FieldTextRead(text.Get());
    if (fieldText.find('\0') != std::string_view::npos) reading.trailing = true;
    return reading;
}

int32_t ReadFieldNumber(Form& form, int controlId, TextVar& fieldText) {
    ReadField(form, controlId, fieldText);
    return FieldTextRead(fieldText.Get()).value;
}

// Truncated toward zero through a 64-bit integer whose low 32 bits are the result; a value that
// no 64-bit integer holds (and NaN) gives 0 rather than whatever the processor makes of it.
int32_t FieldNumberFromDouble(double value) {
    constexpr double kTwoTo63 = 9223372036854775808.0;
    if (!(value > -kTwoTo63 && value < kTwoTo63)) return 0;
    const auto whole = static_cast<int64_t>(value);
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(whole)));
}
