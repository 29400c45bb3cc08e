// The encoders of libsndfile, writing into a staged file: libsndfile's virtual I/O hands each
// piece of the file to it, and goes back through it to finish a header (FLAC, MP3). Standard
// output takes the pieces as they come and cannot go back.
#include <sndfile.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "cli/encoded_audio.h"

namespace {

constexpr std::size_t kBlockSamples = 4096;

// What the encoders take for themselves when they start: libvorbis, LAME and libFLAC use
// under 600 KB at any rate offered, and libvorbis and LAME do not check that they got it.
constexpr std::size_t kEncoderHeadroom = std::size_t{4} << 20;

// The file under libsndfile (none: standard output), and the first write that failed.
struct Sink {
    StagedFile* file = nullptr;
    int64_t written = 0;  // to standard output
    FileResult failed;
    bool outOfMemory = false;  // a piece could not be kept: no exception may cross libsndfile
};

sf_count_t SinkLength(void* sink) {
    const Sink& s = *static_cast<Sink*>(sink);
    return s.file != nullptr ? s.file->Size() : s.written;
}

sf_count_t SinkTell(void* sink) {
    const Sink& s = *static_cast<Sink*>(sink);
    return s.file != nullptr ? s.file->Position() : s.written;
}

sf_count_t SinkSeek(sf_count_t offset, int whence, void* sink) {
    Sink& s = *static_cast<Sink*>(sink);
    const sf_count_t base = whence == SEEK_CUR ? SinkTell(sink) : whence == SEEK_END ? SinkLength(sink) : 0;
    if (s.file == nullptr) return base + offset == s.written ? s.written : -1;
    if (s.file->Seek(base + offset).outcome != FileOutcome::Written) return -1;
    return s.file->Position();
}

sf_count_t SinkRead(void*, sf_count_t, void*) { return 0; }  // an encoder that only writes never reads

// Called from inside libsndfile, which C++ exceptions must not cross: a target rewritten in
// place keeps the pieces in memory, which may run out.
sf_count_t SinkWrite(const void* bytes, sf_count_t count, void* sink) noexcept {
    Sink& s = *static_cast<Sink*>(sink);
    if (s.failed.outcome != FileOutcome::Written || s.outOfMemory) return 0;
    const std::span<const uint8_t> piece(static_cast<const uint8_t*>(bytes), static_cast<std::size_t>(count));
    try {
        s.failed = s.file != nullptr ? s.file->Append(piece) : StandardOutputWriteWhole(piece);
    } catch (const std::bad_alloc&) {
        s.outOfMemory = true;
        return 0;
    }
    if (s.file == nullptr) s.written += count;
    return s.failed.outcome == FileOutcome::Written ? count : 0;
}

int SndfileFormat(AudioFileFormat format, const SoundFormat& sound) {
    switch (format) {
        case AudioFileFormat::Flac: return SF_FORMAT_FLAC | (sound.bits == 16 ? SF_FORMAT_PCM_16 : SF_FORMAT_PCM_S8);
        case AudioFileFormat::OggVorbis: return SF_FORMAT_OGG | SF_FORMAT_VORBIS;
        case AudioFileFormat::Opus: return SF_FORMAT_OGG | SF_FORMAT_OPUS;
        case AudioFileFormat::Mp3: return SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III;
        case AudioFileFormat::Wav: break;
    }
    return SF_FORMAT_WAV | SF_FORMAT_PCM_U8;  // never asked for: WAV is Velmora's own writer's
}

// The samples as libsndfile's 16-bit numbers: 8-bit ones moved to the top byte, which is where
// an 8-bit encoding takes them back from, unchanged.
void ToShorts(std::span<const uint8_t> samples, const SoundFormat& sound, std::vector<short>& out) {
    out.clear();
    if (sound.bits == 16) {
        for (std::size_t at = 0; at + 1 < samples.size(); at += 2) {
            out.push_back(static_cast<short>(static_cast<uint16_t>(samples[at] | samples[at + 1] << 8)));
        }
        return;
    }
    for (const uint8_t sample : samples) out.push_back(static_cast<short>((sample - kSilence) * 256));
}

// Closes the encoder whichever way the run ends.
struct SndfileCloser {
    SNDFILE* file;
    int Close() { return file != nullptr ? sf_close(std::exchange(file, nullptr)) : 0; }
    ~SndfileCloser() { Close(); }
};

// Throws std::bad_alloc unless the memory that the encoders take when they start is there to be
// had: they would otherwise crash without it. The block is given back at once, for them.
void RequireEncoderHeadroom() {
    void* volatile probe = std::malloc(kEncoderHeadroom);  // volatile: the call is the point
    const bool available = probe != nullptr;
    std::free(probe);
    if (!available) throw std::bad_alloc();
}

// How the sink's writes failed, if they did; running out of memory is thrown as it would have been.
std::optional<EncodedAudioResult> SinkFailure(const Sink& sink) {
    if (sink.outOfMemory) throw std::bad_alloc();
    if (sink.failed.outcome != FileOutcome::Written) return EncodedAudioResult{sink.failed, {}};
    return std::nullopt;
}

}  // namespace

bool EncodedAudioAvailable() { return true; }

EncodedAudioResult EncodedAudioWrite(StagedFile* file, AudioFileFormat format, const SynthesisRequest& request,
                                     const SynthesisPlan& plan, std::vector<CharacterSpan>* spans) {
    // Everything that grows is taken before the encoder starts, so that what is left stays its.
    if (spans != nullptr) spans->reserve(static_cast<std::size_t>(plan.measurement.characters));
    SynthesisStream stream(request, plan, spans);
    std::vector<short> shorts;
    ToShorts(stream.Next(kBlockSamples), plan.format, shorts);
    RequireEncoderHeadroom();

    Sink sink;
    sink.file = file;
    SF_VIRTUAL_IO io{SinkLength, SinkSeek, SinkRead, SinkWrite, SinkTell};
    SF_INFO info{};
    info.samplerate = plan.format.rate;
    info.channels = 1;
    info.format = SndfileFormat(format, plan.format);
    SndfileCloser encoder{sf_open_virtual(&io, SFM_WRITE, &info, &sink)};
    if (encoder.file == nullptr) {
        // The encoder refused to start: a libsndfile without this codec or rate, or one short of memory.
        const std::string why = sf_error(nullptr) != SF_ERR_NO_ERROR ? sf_strerror(nullptr) : "it did not start";
        if (const auto failed = SinkFailure(sink)) return *failed;  // the header's first bytes could not be kept
        return {{FileOutcome::WriteFailed, EIO}, why};
    }
    for (; !shorts.empty(); ToShorts(stream.Next(kBlockSamples), plan.format, shorts)) {
        const auto count = static_cast<sf_count_t>(shorts.size());
        if (sf_write_short(encoder.file, shorts.data(), count) != count) {
            const std::string why = sf_strerror(encoder.file);
            encoder.Close();
            if (const auto failed = SinkFailure(sink)) return *failed;
            return {{FileOutcome::WriteFailed, EIO}, why};
        }
    }
    const int closed = encoder.Close();
    if (const auto failed = SinkFailure(sink)) return *failed;
    if (closed != 0) return {{FileOutcome::WriteFailed, EIO}, sf_error_number(closed)};
    return {file != nullptr ? file->Finish() : FileResult{}, {}};
}
