// Audio in a format other than WAV, encoded as it is made: the core's samples go to the encoder
// block by block and the encoder's bytes to the file as they come, so that memory does not grow
// with the audio's length. Built on libsndfile where the build has it; a build without it (the
// Windows build) offers WAV alone, and the options refuse the rest before anything is made.
#pragma once

#include <string>
#include <vector>

#include "cli/audio_file_format.h"
#include "morse/synthesis.h"
#include "platform/file_output.h"

struct EncodedAudioResult {
    FileResult file;
    std::string encoderError;  // the encoder's own words when it, not the file, failed
};

bool EncodedAudioAvailable();

// Writes the audio of a request that can be made (its plan has no refusal) into `file`, begun on
// its target and left staged (finished, not committed), or to standard output for nullptr.
// `spans`, if given, receives one span per sounded character. Allocation failures throw
// std::bad_alloc.
EncodedAudioResult EncodedAudioWrite(StagedFile* file, AudioFileFormat format, const SynthesisRequest& request,
                                     const SynthesisPlan& plan, std::vector<CharacterSpan>* spans);
