#include "morse/sample_stream.h"

#include <algorithm>

#include "morse/code_table.h"

namespace {

std::size_t Bytes(int64_t samples, SoundFormat format) {
    return static_cast<std::size_t>(samples) * static_cast<std::size_t>(format.BytesPerSample());
}

}  // namespace

SampleStream::SampleStream(const char* message, const TickTiming& timing, StreamFrame frame, const StreamTone& tone,
                           std::optional<NoiseSource> noise, std::vector<CharacterSpan>* spans)
    : message_(message), timing_(timing), frame_(frame), tone_(tone), noise_(noise), spans_(spans) {
    sounding_ = Advance();
}

// The elements in order, as the window's renderer walks them: each element after the gap inside
// its character, each character after a character gap, or a word gap where a blank parts two
// words; bytes without a code are passed over.
bool SampleStream::Advance() {
    if (element_ == sequence_.size()) {
        bool wordBreak = false;
        const CodeEntry* entry = nullptr;
        for (; at_ < message_.size() && entry == nullptr; ++at_) {
            const auto byte = static_cast<unsigned char>(message_[at_]);
            entry = CodeLookup(byte);
            wordBreak = wordBreak || (entry == nullptr && byte == ' ');
        }
        if (entry == nullptr) return false;
        if (!first_) tick_ += wordBreak ? timing_.wordGap : timing_.characterGap;
        first_ = false;
        sequence_ = entry->sequence;
        element_ = 0;
        characterStart_ = frame_.pad + SampleAtTick(tick_);
    } else {
        tick_ += timing_.unit * kElementGapUnits;
    }
    current_.start = frame_.pad + SampleAtTick(tick_);
    tick_ += timing_.unit * (sequence_[element_] == '-' ? kDashUnits : kDotUnits);
    current_.end = frame_.pad + SampleAtTick(tick_);
    ++element_;
    // The plan's sample count fits 32 bits, and so does every span of it.
    if (spans_ != nullptr && element_ == sequence_.size()) {
        spans_->push_back({static_cast<int32_t>(characterStart_), static_cast<int32_t>(current_.end)});
    }
    return true;
}

void SampleStream::ToneWrite(std::span<uint8_t> area, int64_t position, int64_t span) const {
    if (tone_.exact != nullptr) {
        ExactToneWrite(area, position, *tone_.exact, span);
    } else {
        ::ToneWrite(area, position, *tone_.window, span);
    }
}

void SampleStream::SilenceWrite(std::span<uint8_t> area, int64_t from, int64_t to) const {
    if (to > from) SilenceFill(area.subspan(Bytes(from, tone_.format), Bytes(to - from, tone_.format)), tone_.format);
}

// Each sample is written once, in order: silence up to an element, then the element, which may
// run on into the next block.
int64_t SampleStream::Fill(std::span<uint8_t> block) {
    const int64_t first = written_;
    const int64_t end =
        std::min(frame_.count, first + static_cast<int64_t>(block.size()) / tone_.format.BytesPerSample());
    const std::span<uint8_t> area = block.first(Bytes(end - first, tone_.format));
    while (written_ < end) {
        if (!sounding_ || current_.start >= end) {
            SilenceWrite(area, written_ - first, sounding_ ? std::min(current_.start, end) - first : end - first);
            written_ = sounding_ ? std::min(current_.start, end) : end;
            continue;
        }
        SilenceWrite(area, written_ - first, current_.start - first);
        ToneWrite(area, current_.start - first, current_.end - current_.start);
        written_ = std::max(written_, std::min(current_.end, end));
        if (current_.end <= end) sounding_ = Advance();
    }
    if (noise_) noise_->AddTo(area);
    return end - first;
}
