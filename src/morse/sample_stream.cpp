#include "morse/sample_stream.h"

#include <algorithm>

#include "morse/message_characters.h"

namespace {

std::size_t Bytes(int64_t samples, SoundFormat format) {
    return static_cast<std::size_t>(samples) * static_cast<std::size_t>(format.BytesPerSample());
}

}  // namespace

SampleStream::SampleStream(const char* message, const CodeTable& codes, const TickTiming& timing, StreamFrame frame,
                           const StreamTone& tone, std::optional<NoiseSource> noise, std::vector<CharacterSpan>* spans)
    : message_(message), codes_(&codes), timing_(timing), frame_(frame), tone_(tone), noise_(noise), spans_(spans) {
    sounding_ = Advance();
    // No block is filled when there are no samples at all (a dot of 0 without pads): the elements,
    // all of them empty, are passed here, so that each character still has its span.
    if (frame_.count == 0) {
        while (sounding_) sounding_ = Advance();
    }
}

// The next sounded character, after a character gap, or a word gap where a blank parts it from
// the one before; characters without a code are passed over. False at the end of the message.
bool SampleStream::NextCharacter() {
    bool wordBreak = false;
    while (at_ < message_.size()) {
        const MessageCharacter character = MessageCharacterAt(message_.substr(at_), *codes_);
        at_ += character.size;
        if (character.kind == MessageCharacter::Kind::Sounded) {
            if (!first_) tick_ += wordBreak ? timing_.wordGap : timing_.characterGap;
            first_ = false;
            letters_ = character.letters;
            letter_ = 0;
            sequence_ = codes_->Lookup(static_cast<unsigned char>(letters_[0]))->sequence;
            element_ = 0;
            characterStart_ = frame_.pad + SampleAtTick(tick_);
            return true;
        }
        wordBreak = wordBreak || character.kind == MessageCharacter::Kind::WordSpace;
    }
    return false;
}

// The elements in order, as the window's renderer walks them: each element after the gap inside
// its character (between the letters of a prosign too), each character after NextCharacter's gap.
bool SampleStream::Advance() {
    const bool letterDone = element_ == sequence_.size();
    if (letterDone && letter_ + 1 >= letters_.size()) {
        if (!NextCharacter()) return false;
    } else {
        if (letterDone) {
            sequence_ = codes_->Lookup(static_cast<unsigned char>(letters_[++letter_]))->sequence;
            element_ = 0;
        }
        tick_ += timing_.unit * kElementGapUnits;
    }
    current_.start = frame_.pad + SampleAtTick(tick_);
    tick_ += timing_.unit * (sequence_[element_] == '-' ? kDashUnits : kDotUnits);
    current_.end = frame_.pad + SampleAtTick(tick_);
    ++element_;
    // The plan's sample count fits 32 bits, and so does every span of it.
    if (spans_ != nullptr && element_ == sequence_.size() && letter_ + 1 == letters_.size()) {
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
