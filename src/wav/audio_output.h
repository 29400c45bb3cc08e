// Saving the audio image: the front end's destination (the save dialog's file, say), the file
// written in one piece (file_output.h says what a failure leaves), and the message that tells the
// user how it went.
#pragma once

#include "morse/form.h"
#include "wav/audio_image.h"

// Releases the image on every way out; it must not be used afterwards.
SaveOutcome AudioImageSave(AudioImage& image, Form& form);
