// The file formats velmora-cli writes: WAV by its own writer, the others (FLAC, Ogg Vorbis, Opus
// and MP3) encoded by libsndfile where the build has it (encoded_audio.h).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

enum class AudioFileFormat { Wav, Flac, OggVorbis, Opus, Mp3 };

// By the name --format takes: wav, flac, ogg (or vorbis), opus, mp3, in any case.
std::optional<AudioFileFormat> AudioFileFormatNamed(const std::string& name);
// By the extension of a path: .wav, .flac, .ogg (or .oga), .opus, .mp3, in any case; none for
// any other, which is written as WAV.
std::optional<AudioFileFormat> AudioFileFormatOfPath(const std::string& path);

const char* AudioFileFormatTitle(AudioFileFormat format);  // "Ogg Vorbis"
const char* AudioFileExtension(AudioFileFormat format);    // ".ogg", for the files of a batch

// FLAC and MP3 go back to finish their headers, which standard output cannot.
bool AudioFileFormatNeedsSeeking(AudioFileFormat format);
// Opus takes 8000, 12000, 16000, 24000 and 48000 samples per second only; the others any rate.
bool AudioFileFormatTakesRate(AudioFileFormat format, int32_t rate);
