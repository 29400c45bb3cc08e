// The folding is a table, the same code on every platform. ICU's transliterators ("Hiragana-Katakana;
// Fullwidth-Halfwidth") and LCMapStringEx (LCMAP_HALFWIDTH | LCMAP_KATAKANA, as Wine implements it)
// agree on the plain, small, voiced and semi-voiced kana, but neither folds as this program needs.
// Both turn the ideographic space into a blank, ← ↑ → ↓ ■ ○ │ into half-width forms that code page
// 932 lacks, and ￠ ￡ ￥ into Latin-1. ICU keeps ゛ ゜, spells out ㋐ ㌀ ゟ ヿ and decomposes accents
// of other scripts; LCMapStringEx keeps ＼ and turns curly quotes into ASCII and Hangul letters into
// half-width ones. They disagree on ゕ ゖ ヸ ヹ ゞ ヾ as well. Either would need a filter and
// exceptions on top, and the two platforms would still answer from different tables.
#include "frontend/kana_fold.h"

#include <algorithm>
#include <array>

#include "frontend/utf8.h"

namespace {

struct FoldRow {
    char16_t typed;
    // cppcheck-suppress unusedStructMember ; read through the row that std::lower_bound finds
    std::string_view folded;
};

// Every character that folds to half-width katakana or its marks, in code point order. Hiragana
// fold through the katakana 0x60 above them. Wabun sends a small kana as its full-size kana, so
// ァ ィ ゥ ェ ォ ッ ャ ュ ョ ヮ, and the half-width ｧ to ｯ, fold to the full-size half-width kana.
// ヰ ヱ ヵ ヶ ヸ ヹ have no row: code page 932 has no half-width form for them, and a near one
// (ｲ for ヰ, ｶ for ヵ, ｹ for ヶ, which is also read "ga") would send a different character, so
// they stay as typed and the caller reports them.
constexpr FoldRow kRows[] = {
    {u'、', "､"}, {u'。', "｡"}, {u'「', "｢"}, {u'」', "｣"}, {u'゛', "ﾞ"}, {u'゜', "ﾟ"},
    {u'ァ', "ｱ"}, {u'ア', "ｱ"}, {u'ィ', "ｲ"}, {u'イ', "ｲ"}, {u'ゥ', "ｳ"},
    {u'ウ', "ｳ"}, {u'ェ', "ｴ"}, {u'エ', "ｴ"}, {u'ォ', "ｵ"}, {u'オ', "ｵ"},
    {u'カ', "ｶ"}, {u'ガ', "ｶﾞ"}, {u'キ', "ｷ"}, {u'ギ', "ｷﾞ"}, {u'ク', "ｸ"},
    {u'グ', "ｸﾞ"}, {u'ケ', "ｹ"}, {u'ゲ', "ｹﾞ"}, {u'コ', "ｺ"}, {u'ゴ', "ｺﾞ"},
    {u'サ', "ｻ"}, {u'ザ', "ｻﾞ"}, {u'シ', "ｼ"}, {u'ジ', "ｼﾞ"}, {u'ス', "ｽ"},
    {u'ズ', "ｽﾞ"}, {u'セ', "ｾ"}, {u'ゼ', "ｾﾞ"}, {u'ソ', "ｿ"}, {u'ゾ', "ｿﾞ"},
    {u'タ', "ﾀ"}, {u'ダ', "ﾀﾞ"}, {u'チ', "ﾁ"}, {u'ヂ', "ﾁﾞ"}, {u'ッ', "ﾂ"}, {u'ツ', "ﾂ"},
    {u'ヅ', "ﾂﾞ"}, {u'テ', "ﾃ"}, {u'デ', "ﾃﾞ"}, {u'ト', "ﾄ"}, {u'ド', "ﾄﾞ"},
    {u'ナ', "ﾅ"}, {u'ニ', "ﾆ"}, {u'ヌ', "ﾇ"}, {u'ネ', "ﾈ"}, {u'ノ', "ﾉ"},
    {u'ハ', "ﾊ"}, {u'バ', "ﾊﾞ"}, {u'パ', "ﾊﾟ"}, {u'ヒ', "ﾋ"}, {u'ビ', "ﾋﾞ"},
    {u'ピ', "ﾋﾟ"}, {u'フ', "ﾌ"}, {u'ブ', "ﾌﾞ"}, {u'プ', "ﾌﾟ"}, {u'ヘ', "ﾍ"},
    {u'ベ', "ﾍﾞ"}, {u'ペ', "ﾍﾟ"}, {u'ホ', "ﾎ"}, {u'ボ', "ﾎﾞ"}, {u'ポ', "ﾎﾟ"},
    {u'マ', "ﾏ"}, {u'ミ', "ﾐ"}, {u'ム', "ﾑ"}, {u'メ', "ﾒ"}, {u'モ', "ﾓ"},
    {u'ャ', "ﾔ"}, {u'ヤ', "ﾔ"}, {u'ュ', "ﾕ"}, {u'ユ', "ﾕ"}, {u'ョ', "ﾖ"}, {u'ヨ', "ﾖ"},
    {u'ラ', "ﾗ"}, {u'リ', "ﾘ"}, {u'ル', "ﾙ"}, {u'レ', "ﾚ"}, {u'ロ', "ﾛ"},
    {u'ヮ', "ﾜ"}, {u'ワ', "ﾜ"}, {u'ヲ', "ｦ"}, {u'ン', "ﾝ"}, {u'ヴ', "ｳﾞ"}, {u'ヷ', "ﾜﾞ"}, {u'ヺ', "ｦﾞ"},
    {u'・', "･"}, {u'ー', "ｰ"},
    {u'ｧ', "ｱ"}, {u'ｨ', "ｲ"}, {u'ｩ', "ｳ"}, {u'ｪ', "ｴ"}, {u'ｫ', "ｵ"},
    {u'ｬ', "ﾔ"}, {u'ｭ', "ﾕ"}, {u'ｮ', "ﾖ"}, {u'ｯ', "ﾂ"},
};

constexpr bool Ascending() {
    for (std::size_t k = 1; k < std::size(kRows); ++k) {
        if (kRows[k - 1].typed >= kRows[k].typed) return false;
    }
    return true;
}
static_assert(Ascending(), "the rows are searched by halving");

constexpr char32_t kVoicedMark = 0x3099;      // combining: カ followed by it is ガ
constexpr char32_t kSemiVoicedMark = 0x309A;  // combining: ハ followed by it is パ

// U+FF01 to U+FF5E, the full-width forms of ASCII 0x21 to 0x7E.
constexpr std::array<char, 94> MakeAscii() {
    std::array<char, 94> ascii{};
    for (std::size_t k = 0; k < ascii.size(); ++k) ascii[k] = static_cast<char>(0x21 + k);
    return ascii;
}
constexpr std::array<char, 94> kAscii = MakeAscii();

// What a character folds to; empty when it stays as typed.
std::string_view FoldOf(char32_t c) {
    if (c >= 0xFF01 && c <= 0xFF5E) return {&kAscii[c - 0xFF01], 1};
    if (c >= 0x3041 && c <= 0x3096) c += 0x60;  // hiragana to katakana
    const auto row = std::lower_bound(std::begin(kRows), std::end(kRows), c,
                                      [](const FoldRow& r, char32_t typed) { return r.typed < typed; });
    return row != std::end(kRows) && row->typed == c ? row->folded : std::string_view();
}

// Whether text ends in a half-width katakana (ｦ to ﾝ, the small ones and ｰ included), which a
// combining voiced or semi-voiced mark may follow.
bool EndsInKana(std::string_view utf8) {
    char32_t c = 0;
    return utf8.size() >= 3 && Utf8Decode(utf8.substr(utf8.size() - 3), c) == 3 && c >= 0xFF66 && c <= 0xFF9D;
}

// Appends well-formed UTF-8, each of its characters coming from typed character `index`.
void Append(FoldedText& text, std::string_view utf8, std::size_t index) {
    text.utf8 += utf8;
    for (const char b : utf8) {
        if ((static_cast<unsigned char>(b) & 0xC0) != 0x80) text.origin.push_back(index);
    }
}

}  // namespace

FoldedText FoldKana(std::string_view utf8) {
    FoldedText text;
    text.utf8.reserve(utf8.size());
    for (std::size_t at = 0; at < utf8.size();) {
        const std::size_t index = text.typedOffsets.size();
        text.typedOffsets.push_back(at);
        char32_t c = 0;
        const std::size_t n = Utf8Decode(utf8.substr(at), c);
        if (n == 0) {  // a byte that is not UTF-8, a character of its own even if it looks like a trailing byte
            text.utf8 += utf8[at];
            text.origin.push_back(index);
            ++at;
            continue;
        }
        std::string_view folded = FoldOf(c);
        if (folded.empty()) folded = utf8.substr(at, n);
        Append(text, folded, index);
        at += n;
        char32_t mark = 0;
        if (EndsInKana(folded) && Utf8Decode(utf8.substr(at), mark) != 0 &&
            (mark == kVoicedMark || mark == kSemiVoicedMark)) {
            Append(text, mark == kVoicedMark ? "ﾞ" : "ﾟ", index);
            at += 3;
        }
    }
    text.typedOffsets.push_back(utf8.size());
    return text;
}

std::string_view TypedCharacter(std::string_view input, const FoldedText& folded, std::size_t k) {
    const std::size_t index = folded.origin.at(k);
    const std::size_t begin = folded.typedOffsets.at(index);
    return input.substr(begin, folded.typedOffsets.at(index + 1) - begin);
}
