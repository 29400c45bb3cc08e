#include "cli/encoded_audio.h"

#include <gtest/gtest.h>

#include "support/temp_folder.h"

namespace {

// An encoder that does not start (Opus offered a rate it does not take) leaves a failed file,
// never one reported as written: the options keep such a rate away, and the writer must not
// count on them.
TEST(EncodedAudioWrite, AnEncoderThatDoesNotStartIsAFailedFile) {
    TempFolder folder;
    SynthesisRequest request;
    request.message = "E";
    request.dotLength = 100;
    request.frequency = 1000;
    request.volume = 50;
    request.format = {11025, 16};
    const SynthesisPlan plan = SynthesisPlanMake(request);
    ASSERT_FALSE(plan.refusal);
    StagedFile file;
    ASSERT_EQ(file.Begin((folder / "a.opus").string().c_str()).outcome, FileOutcome::Written);
    const EncodedAudioResult result = EncodedAudioWrite(&file, AudioFileFormat::Opus, request, plan, nullptr);
    EXPECT_NE(result.file.outcome, FileOutcome::Written);
    EXPECT_NE(result.encoderError, "");
}

}  // namespace
