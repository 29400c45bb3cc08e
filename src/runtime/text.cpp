#include "runtime/text.h"

#include <climits>
#include <cstring>

#include "platform/debug_output.h"
#include "platform/heap.h"
#include "platform/text_compare.h"
#include "runtime/fatal.h"
#include "runtime/program_texts.h"
#include "runtime/string_registry.h"

namespace {

constexpr std::size_t kPrefixBytes = 4;

unsigned char* BlockOf(const char* value) {
    return reinterpret_cast<unsigned char*>(const_cast<char*>(value)) - kPrefixBytes;
}

void StoreLength(unsigned char* block, int32_t length) {
    const auto n = static_cast<uint32_t>(length);
    block[0] = static_cast<unsigned char>(n);
    block[1] = static_cast<unsigned char>(n >> 8);
    block[2] = static_cast<unsigned char>(n >> 16);
    block[3] = static_cast<unsigned char>(n >> 24);
}

}  // namespace

// A fresh, registered value of `length` zero bytes. The block is length + 5 bytes: the prefix,
// the content and the closing zero.
Text TextNew(int32_t length) {
    if (length < 0) length = 0;
    const std::size_t bytes = kPrefixBytes + static_cast<std::size_t>(length) + 1;
    auto* block = static_cast<unsigned char*>(HeapBlockNew(bytes));
    if (block == nullptr) RuntimeOutOfMemory(bytes);
    StoreLength(block, length);
    Text value = reinterpret_cast<char*>(block + kPrefixBytes);
    if (!RegistryAppend(value)) {
        HeapBlockFree(block);
        RuntimeOutOfMemory(sizeof(Text));
    }
    return value;
}

// Releasing a value that is not registered (never made, or released already) frees nothing,
// so that a double release cannot corrupt the heap; it is reported to the debugger.
void TextRelease(Text value) {
    if (value == nullptr) return;
    if (!RegistryRemove(value)) {
        DebugOutput(kUnknownTextReleased.cp932);
        return;
    }
    HeapBlockFree(BlockOf(value));
}

int32_t TextLength(const char* value) {
    const unsigned char* block = BlockOf(value);
    const uint32_t n = block[0] | (static_cast<uint32_t>(block[1]) << 8) | (static_cast<uint32_t>(block[2]) << 16) |
                       (static_cast<uint32_t>(block[3]) << 24);
    return static_cast<int32_t>(n);
}

std::span<char> TextBytes(Text value) {
    return {value, static_cast<std::size_t>(TextLength(value))};
}

std::span<const unsigned char> TextUnsignedBytes(const char* value) {
    return {reinterpret_cast<const unsigned char*>(value), static_cast<std::size_t>(TextLength(value))};
}

std::string_view TextView(const char* value) { return {value, static_cast<std::size_t>(TextLength(value))}; }

Text TextFromLiteral(const char* literal) { return TextFromBytes(literal); }

Text TextFromBytes(std::string_view bytes) {
    if (bytes.size() > kTextMaxLength) RuntimeOutOfMemory(bytes.size());
    Text value = TextNew(static_cast<int32_t>(bytes.size()));
    if (!bytes.empty()) std::memcpy(value, bytes.data(), bytes.size());
    return value;
}

Text TextCopy(const char* value) { return TextFromBytes(TextView(value)); }

// The parts are released however it ends: also when the joined value is refused its block and
// a fatal reporter unwinds instead of ending the process.
Text TextConcat(Text left, Text right) {
    const TextVar rightPart(right);
    const TextVar leftPart(left);  // released first
    const int32_t a = TextLength(left);
    const int32_t b = TextLength(right);
    const int64_t total = static_cast<int64_t>(a) + b;
    if (total > INT32_MAX) RuntimeOutOfMemory(static_cast<std::size_t>(total));
    Text joined = TextNew(static_cast<int32_t>(total));
    std::memcpy(joined, left, static_cast<std::size_t>(a));
    std::memcpy(joined + a, right, static_cast<std::size_t>(b));
    return joined;
}

// Consumes `right` only: the caller compares one piece it keeps against fresh literals.
int TextCompare(const char* left, Text right) {
    const int order = CompareStrings(left, TextLength(left), right, TextLength(right));
    TextRelease(right);
    return order;
}

// The bytes from the 1-based `start`, `length` of them; a length of 0 means up to the end, and
// a length past the end is cut there. A start outside the value gives the empty value. `value`
// is released however the call ends.
Text TextMid(Text value, int32_t start, int32_t length) {
    const TextVar consumed(value);
    const int64_t offset = static_cast<int64_t>(start) - 1;
    const int32_t n = TextLength(value);
    if (offset < 0 || offset >= n || length < 0) return TextNew(0);
    const std::size_t take = length == 0 ? std::string_view::npos : static_cast<std::size_t>(length);
    return TextFromBytes(TextView(value).substr(static_cast<std::size_t>(offset), take));
}

int TextFirstByte(Text value) {
    const int first = static_cast<unsigned char>(value[0]);
    TextRelease(value);
    return first;
}
