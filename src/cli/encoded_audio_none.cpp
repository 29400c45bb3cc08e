// A build without libsndfile: WAV is the only format, and the options say so before a run.
#include <cerrno>

#include "cli/encoded_audio.h"

bool EncodedAudioAvailable() { return false; }

EncodedAudioResult EncodedAudioWrite(StagedFile*, AudioFileFormat, const SynthesisRequest&, const SynthesisPlan&,
                                     std::vector<CharacterSpan>*) {
    return {{FileOutcome::OpenFailed, ENOSYS}, "this build has no encoder"};
}
