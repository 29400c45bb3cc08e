// Failures made on purpose, for tests: the platform layer asks here before each step that can
// fail, and fails as the system would when a test has armed that step. Disarmed, each question
// costs a load and a branch.
#pragma once

enum class FaultStep {
    CreateTemporary,  // making the temporary file beside the target
    Write,            // a write call that fails
    ShortWrite,       // a write call that takes only half of what it is given
    Flush,            // flushing the file to disk
    Close,            // closing the file
    Replace,          // moving the temporary file over the target
    Allocation,       // a block from the heap: a text value, the registry, the audio image
};

// Arms `step` to fail at its `occurrence`-th call from now (1 is the next), with the system's
// error code `error` (errno on POSIX, a GetLastError() code on Windows).
void FaultArm(FaultStep step, int occurrence, int error);
void FaultDisarmAll();

// For the platform layer: whether this call of `step` is to fail, and with which error.
bool FaultFires(FaultStep step, int& error);
