// The encoders of libsndfile, writing through a FileStream: libsndfile's virtual I/O hands each
// piece of the file to it, and goes back through it to finish a header (FLAC, MP3).
#include <sndfile.h>

#include <cerrno>
#include <cstdint>
#include <utility>
#include <vector>

#include "cli/encoded_audio.h"

namespace {

constexpr std::size_t kBlockSamples = 4096;

// The file under libsndfile, and the system's error of the first write that failed.
struct Sink {
    FileStream file;
    FileResult failed;
};

sf_count_t SinkLength(void* sink) { return static_cast<Sink*>(sink)->file.Size(); }

sf_count_t SinkSeek(sf_count_t offset, int whence, void* sink) {
    FileStream& file = static_cast<Sink*>(sink)->file;
    const sf_count_t base = whence == SEEK_CUR ? file.Position() : whence == SEEK_END ? file.Size() : 0;
    return file.Seek(base + offset) ? file.Position() : -1;
}

sf_count_t SinkRead(void*, sf_count_t, void*) { return 0; }  // an encoder that only writes never reads

sf_count_t SinkWrite(const void* bytes, sf_count_t count, void* sink) {
    Sink& s = *static_cast<Sink*>(sink);
    if (s.failed.outcome != FileOutcome::Written) return 0;
    s.failed = s.file.Write({static_cast<const uint8_t*>(bytes), static_cast<std::size_t>(count)});
    return s.failed.outcome == FileOutcome::Written ? count : 0;
}

sf_count_t SinkTell(void* sink) { return static_cast<Sink*>(sink)->file.Position(); }

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

}  // namespace

bool EncodedAudioAvailable() { return true; }

EncodedAudioResult EncodedAudioWrite(const char* path, AudioFileFormat format, const SynthesisRequest& request,
                                     const SynthesisPlan& plan, std::vector<CharacterSpan>* spans) {
    Sink sink;
    if (path == nullptr) {
        sink.file.OpenStandardOutput();
    } else if (const FileResult opened = sink.file.Open(path); opened.outcome != FileOutcome::Written) {
        return {opened, {}};
    }
    SF_VIRTUAL_IO io{SinkLength, SinkSeek, SinkRead, SinkWrite, SinkTell};
    SF_INFO info{};
    info.samplerate = plan.format.rate;
    info.channels = 1;
    info.format = SndfileFormat(format, plan.format);
    SndfileCloser encoder{sf_open_virtual(&io, SFM_WRITE, &info, &sink)};
    if (encoder.file == nullptr) return {sink.failed, sf_strerror(nullptr)};

    SynthesisStream stream(request, plan, spans);
    std::vector<short> shorts;
    for (auto block = stream.Next(kBlockSamples); !block.empty(); block = stream.Next(kBlockSamples)) {
        ToShorts(block, plan.format, shorts);
        const auto count = static_cast<sf_count_t>(shorts.size());
        if (sf_write_short(encoder.file, shorts.data(), count) != count) {
            if (sink.failed.outcome != FileOutcome::Written) return {sink.failed, {}};
            return {{FileOutcome::WriteFailed, EIO}, sf_strerror(encoder.file)};
        }
    }
    const int closed = encoder.Close();
    if (sink.failed.outcome != FileOutcome::Written) return {sink.failed, {}};
    if (closed != 0) return {{FileOutcome::WriteFailed, EIO}, sf_error_number(closed)};
    return {sink.file.Commit(), {}};
}
