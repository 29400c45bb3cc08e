// Each of the program's texts, decoded from its code page 932 bytes by the platform's own
// conversion, reads as its UTF-8 form: a wrong byte in any literal shows here.
#include "runtime/program_texts.h"

#include <gtest/gtest.h>

#include <iterator>
#include <string_view>
#include <utility>

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

// The texts as the window's design gives them, written out here and not read from the program:
// a text changed in both its forms still shows.
TEST(ProgramTexts, EveryTextIsTheDesignsText) {
    const std::pair<const ProgramText*, std::string_view> designed[] = {
        {&kMessageLabel, "↓モールス信号にする文章(半角文字のみ)"},
        {&kDotLabel, "1短点あたりのミリ秒数:"},
        {&kFrequencyLabel, "周波数(Hz):"},
        {&kVolumeLabel, "音量(0～127の整数):"},
        {&kCreateButton, "作成!!"},
        {&kSaveDialogTitle, "wavファイル出力"},
        {&kWavFilterName, "wavファイル(*.wav)"},
        {&kDoneCaption, "完了"},
        {&kSorryCaption, "残念"},
        {&kWrittenText, "wavファイルを出力しました。"},
        {&kOpenFailedText, "ファイルオープンに失敗!"},
        {&kWriteFailedText, "ファイルの書き込みに失敗!"},
        {&kNothingToSoundText, "モールス信号にできる文字がありません。"},
        {&kTooLongText, "音声が長すぎます。"},
        {&kOutOfMemoryText, "メモリが足りません。"},
        {&kNoMainWindowText, "メインウィンドウを作成できませんでした。"},
        {&kUnknownTextReleased, "未知の文字列が解放されようとしました。\r\n"},
    };
    ASSERT_EQ(std::size(designed), std::size(kProgramTexts));
    for (const auto& [text, utf8] : designed) EXPECT_EQ(std::string_view(text->utf8), utf8);
}

}  // namespace
