// Every text the program shows, in code page 932, the program's code page, with its UTF-8 form
// beside it. The bytes are what the program uses; the UTF-8 form is what a reader sees, and a
// test decodes the bytes and compares the two. The Python tests read their texts from here too.
//
// One row per text: `inline constexpr ProgramText kName{"code page 932 bytes", "UTF-8 form"};`.
// A hexadecimal escape runs on over every hex digit after it, so a byte escape followed by a
// letter or digit that is a hex digit closes the literal and opens the next ("\x8E" "c").
#pragma once

struct ProgramText {
    const char* cp932;
    const char* utf8;
};

// The window's form.
inline constexpr ProgramText kMessageLabel{
    "\x81\xAB\x83\x82\x81[\x83\x8B\x83X\x90M\x8D\x86\x82\xC9\x82\xB7\x82\xE9\x95\xB6\x8F\xCD(\x94\xBC\x8Ap\x95\xB6"
    "\x8E\x9A\x82\xCC\x82\xDD)",
    "↓モールス信号にする文章(半角文字のみ)"};
inline constexpr ProgramText kDotLabel{"1\x92Z\x93_\x82\xA0\x82\xBD\x82\xE8\x82\xCC\x83~\x83\x8A\x95" "b\x90\x94:",
                                       "1短点あたりのミリ秒数:"};
inline constexpr ProgramText kFrequencyLabel{"\x8E\xFC\x94g\x90\x94(Hz):", "周波数(Hz):"};
inline constexpr ProgramText kVolumeLabel{"\x89\xB9\x97\xCA(0\x81`127\x82\xCC\x90\xAE\x90\x94):", "音量(0～127の整数):"};
inline constexpr ProgramText kCreateButton{"\x8D\xEC\x90\xAC!!", "作成!!"};

// The save dialog.
inline constexpr ProgramText kSaveDialogTitle{"wav\x83t\x83@\x83" "C\x83\x8B\x8Fo\x97\xCD", "wavファイル出力"};
inline constexpr ProgramText kWavFilterName{"wav\x83t\x83@\x83" "C\x83\x8B(*.wav)", "wavファイル(*.wav)"};

// The messages that end a run, and their captions.
inline constexpr ProgramText kDoneCaption{"\x8A\xAE\x97\xB9", "完了"};
inline constexpr ProgramText kSorryCaption{"\x8E" "c\x94O", "残念"};
inline constexpr ProgramText kWrittenText{
    "wav\x83t\x83@\x83" "C\x83\x8B\x82\xF0\x8Fo\x97\xCD\x82\xB5\x82\xDC\x82\xB5\x82\xBD\x81" "B",
    "wavファイルを出力しました。"};
inline constexpr ProgramText kOpenFailedText{"\x83t\x83@\x83" "C\x83\x8B\x83I\x81[\x83v\x83\x93\x82\xC9\x8E\xB8\x94s!",
                                             "ファイルオープンに失敗!"};
inline constexpr ProgramText kWriteFailedText{
    "\x83t\x83@\x83" "C\x83\x8B\x82\xCC\x8F\x91\x82\xAB\x8D\x9E\x82\xDD\x82\xC9\x8E\xB8\x94s!",
    "ファイルの書き込みに失敗!"};
inline constexpr ProgramText kNothingToSoundText{
    "\x83\x82\x81[\x83\x8B\x83X\x90M\x8D\x86\x82\xC9\x82\xC5\x82\xAB\x82\xE9\x95\xB6\x8E\x9A\x82\xAA"
    "\x82\xA0\x82\xE8\x82\xDC\x82\xB9\x82\xF1\x81" "B",
    "モールス信号にできる文字がありません。"};
inline constexpr ProgramText kTooLongText{"\x89\xB9\x90\xBA\x82\xAA\x92\xB7\x82\xB7\x82\xAC\x82\xDC\x82\xB7\x81" "B",
                                          "音声が長すぎます。"};
inline constexpr ProgramText kOutOfMemoryText{
    "\x83\x81\x83\x82\x83\x8A\x82\xAA\x91\xAB\x82\xE8\x82\xDC\x82\xB9\x82\xF1\x81" "B", "メモリが足りません。"};
inline constexpr ProgramText kNoMainWindowText{
    "\x83\x81\x83" "C\x83\x93\x83" "E\x83" "B\x83\x93\x83h\x83" "E\x82\xF0\x8D\xEC\x90\xAC\x82\xC5\x82\xAB\x82\xDC"
    "\x82\xB9\x82\xF1\x82\xC5\x82\xB5\x82\xBD\x81" "B",
    "メインウィンドウを作成できませんでした。"};

// The line a developer's debugger shows when a text value that was never made is released.
inline constexpr ProgramText kUnknownTextReleased{
    "\x96\xA2\x92m\x82\xCC\x95\xB6\x8E\x9A\x97\xF1\x82\xAA\x89\xF0\x95\xFA\x82\xB3\x82\xEA\x82\xE6"
    "\x82\xA4\x82\xC6\x82\xB5\x82\xDC\x82\xB5\x82\xBD\x81" "B\r\n",
    "未知の文字列が解放されようとしました。\r\n"};

// All of them, for the test that decodes each.
inline constexpr const ProgramText* kProgramTexts[] = {
    &kMessageLabel,   &kDotLabel,       &kFrequencyLabel,     &kVolumeLabel, &kCreateButton,    &kSaveDialogTitle,
    &kWavFilterName,  &kDoneCaption,    &kSorryCaption,       &kWrittenText, &kOpenFailedText,  &kWriteFailedText,
    &kNothingToSoundText, &kTooLongText, &kOutOfMemoryText, &kNoMainWindowText, &kUnknownTextReleased,
};
