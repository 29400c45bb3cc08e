// Saving the audio image: the save dialog, the file written in one piece, and the message that
// tells the user how it went.
#pragma once

#include "platform/form.h"
#include "wav/audio_image.h"

enum class SaveOutcome { Cancelled, Written, OpenFailed, WriteFailed };

// Releases the image on every way out; it must not be used afterwards.
SaveOutcome AudioImageSave(AudioImage& image, Form& form);
