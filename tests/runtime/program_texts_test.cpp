// Each of the program's texts, decoded from its code page 932 bytes by the platform's own
// conversion, reads as its UTF-8 form: a wrong byte in any literal shows here.
#include "runtime/program_texts.h"

#include <gtest/gtest.h>

#include "frontend/code_page.h"

namespace {

TEST(ProgramTexts, EveryTextDecodesToItsUtf8Form) {
    for (const ProgramText* text : kProgramTexts) {
        EXPECT_EQ(Utf8FromCp932(text->cp932), text->utf8);
        for (const char* byte = text->cp932; *byte != '\0'; ++byte) {
            EXPECT_NE(static_cast<unsigned char>(*byte), 0xEF) << text->utf8 << ": UTF-8 bytes in a code page 932 text";
        }
    }
}

}  // namespace
