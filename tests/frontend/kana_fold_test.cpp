#include "frontend/kana_fold.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "frontend/code_page.h"

namespace {

std::string Utf8(char32_t c) {
    if (c < 0x80) return std::string(1, static_cast<char>(c));
    return {static_cast<char>(0xE0 | (c >> 12)), static_cast<char>(0x80 | ((c >> 6) & 0x3F)),
            static_cast<char>(0x80 | (c & 0x3F))};
}

// The characters of well-formed UTF-8 text.
std::vector<std::string> Characters(std::string_view utf8) {
    std::vector<std::string> characters;
    for (const char b : utf8) {
        if ((static_cast<unsigned char>(b) & 0xC0) != 0x80) characters.emplace_back();
        characters.back() += b;
    }
    return characters;
}

TEST(FoldKana, Sentences) {
    const std::pair<std::string, std::string> cases[] = {
        {"ガッコウへ　いきます。ＡＢＣ１２３", "ｶﾞﾂｺｳﾍ　ｲｷﾏｽ｡ABC123"},
        {"「ぱぴぷぺぽ」、ゔぁいおりん・けーき！？", "｢ﾊﾟﾋﾟﾌﾟﾍﾟﾎﾟ｣､ｳﾞｱｲｵﾘﾝ･ｹｰｷ!?"},
        {"か゛は゜カ\u3099ハ\u309Aｶ\u3099ー\u309Aヷヺ", "ｶﾞﾊﾟｶﾞﾊﾟｶﾞｰﾟﾜﾞｦﾞ"},
        // Every plain and small kana and every mark, in both scripts.
        {"アイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホマミムメモヤユヨラリルレロワヲン",
         "ｱｲｳｴｵｶｷｸｹｺｻｼｽｾｿﾀﾁﾂﾃﾄﾅﾆﾇﾈﾉﾊﾋﾌﾍﾎﾏﾐﾑﾒﾓﾔﾕﾖﾗﾘﾙﾚﾛﾜｦﾝ"},
        {"あいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほまみむめもやゆよらりるれろわをん",
         "ｱｲｳｴｵｶｷｸｹｺｻｼｽｾｿﾀﾁﾂﾃﾄﾅﾆﾇﾈﾉﾊﾋﾌﾍﾎﾏﾐﾑﾒﾓﾔﾕﾖﾗﾘﾙﾚﾛﾜｦﾝ"},
        {"、。「」・ー゛゜", "､｡｢｣･ｰﾞﾟ"},
        // Wabun sends a small kana as its full-size kana, whether typed full-width or half-width.
        {"ァィゥェォッャュョヮぁぃぅぇぉっゃゅょゎｧｨｩｪｫｯｬｭｮ", "ｱｲｳｴｵﾂﾔﾕﾖﾜｱｲｳｴｵﾂﾔﾕﾖﾜｱｲｳｴｵﾂﾔﾕﾖ"},
        // No half-width form, a combining mark after no kana, and no kana at all: kept as typed.
        {"ゐゑゕゖヰヱヵヶヸヹゝヾ A\u3099 \u3099漢字←￥〜～＼", "ゐゑゕゖヰヱヵヶヸヹゝヾ A\u3099 \u3099漢字←￥〜~\\"},
    };
    for (const auto& [typed, folded] : cases) EXPECT_EQ(FoldKana(typed).utf8, folded) << typed;
}

TEST(FoldKana, VoicedKanaAreTheBaseKanaAndAMark) {
    struct Row {
        std::string voiced, base, mark, combiningMark;
    };
    const Row rows[] = {
        {"がぎぐげござじずぜぞだぢづでどばびぶべぼゔ", "かきくけこさしすせそたちつてとはひふへほう", "ﾞ", "\u3099"},
        {"ガギグゲゴザジズゼゾダヂヅデドバビブベボヴヷヺ", "カキクケコサシスセソタチツテトハヒフヘホウワヲ", "ﾞ", "\u3099"},
        {"ぱぴぷぺぽパピプペポ", "はひふへほハヒフヘホ", "ﾟ", "\u309A"},
    };
    for (const Row& row : rows) {
        const auto voiced = Characters(row.voiced);
        const auto base = Characters(row.base);
        ASSERT_EQ(voiced.size(), base.size());
        for (std::size_t k = 0; k < voiced.size(); ++k) {
            const std::string expected = FoldKana(base[k]).utf8 + row.mark;
            EXPECT_EQ(FoldKana(voiced[k]).utf8, expected) << voiced[k];
            EXPECT_EQ(FoldKana(base[k] + row.combiningMark).utf8, expected) << base[k] << " and a mark";
        }
    }
}

TEST(FoldKana, EachCharacterLeadsBackToTheCharacterAsTyped) {
    struct Row {
        std::string typed, folded;
        std::vector<std::size_t> origin;
        std::vector<std::string> asTyped;
    };
    const Row rows[] = {
        {"aガb", "aｶﾞb", {0, 1, 1, 2}, {"a", "ガ", "ガ", "b"}},
        {"aカ\u3099ぽ", "aｶﾞﾎﾟ", {0, 1, 1, 2, 2}, {"a", "カ\u3099", "カ\u3099", "ぽ", "ぽ"}},
        // Bytes that are not UTF-8 (stray, cut short, overlong, a surrogate) pass one by one.
        {"\xFF" "ア\x80", "\xFF" "ｱ\x80", {0, 1, 2}, {"\xFF", "ア", "\x80"}},
        {"\xE3\x82" "ア\xC0\xAF\xED\xA0\x80", "\xE3\x82" "ｱ\xC0\xAF\xED\xA0\x80", {0, 1, 2, 3, 4, 5, 6, 7},
         {"\xE3", "\x82", "ア", "\xC0", "\xAF", "\xED", "\xA0", "\x80"}},
    };
    for (const Row& row : rows) {
        const FoldedText folded = FoldKana(row.typed);
        EXPECT_EQ(folded.utf8, row.folded);
        EXPECT_EQ(folded.origin, row.origin) << row.typed;
        std::vector<std::string> asTyped;
        for (std::size_t k = 0; k < folded.origin.size(); ++k) {
            asTyped.emplace_back(TypedCharacter(row.typed, folded, k));
        }
        EXPECT_EQ(asTyped, row.asTyped);
    }
}

// Whatever a kana or a Japanese mark folds to is single bytes of half-width katakana in code page
// 932; only the kana with no half-width form stay as typed.
TEST(FoldKana, KanaFoldToHalfWidthBytesOrStayAsTyped) {
    std::vector<char32_t> typed = {0x3001, 0x3002, 0x300C, 0x300D, 0x309B, 0x309C};
    for (char32_t c = 0x3041; c <= 0x3096; ++c) typed.push_back(c);
    for (char32_t c = 0x30A1; c <= 0x30FC; ++c) typed.push_back(c);
    std::string kept;
    for (const char32_t c : typed) {
        const std::string folded = FoldKana(Utf8(c)).utf8;
        if (folded == Utf8(c)) {
            kept += folded;
            continue;
        }
        for (const std::string& character : Characters(folded)) {
            const auto bytes = Cp932FromUtf8Character(character);
            ASSERT_TRUE(bytes && bytes->size() == 1) << Utf8(c) << " folds to " << folded;
            EXPECT_GE(static_cast<unsigned char>((*bytes)[0]), 0xA1) << Utf8(c);
            EXPECT_LE(static_cast<unsigned char>((*bytes)[0]), 0xDF) << Utf8(c);
        }
    }
    EXPECT_EQ(kept, "ゐゑゕゖヰヱヵヶヸヹ");
    for (char32_t c = 0xFF01; c <= 0xFF5E; ++c) EXPECT_EQ(FoldKana(Utf8(c)).utf8, Utf8(c - 0xFEE0));
}

}  // namespace
