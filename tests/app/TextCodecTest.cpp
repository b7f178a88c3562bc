#include "app/TextCodec.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

namespace velkar {
namespace {

// Every character set a codec can take.
const char* const kCharsets[] = {
    "WINDOWS-1250", "WINDOWS-1251", "WINDOWS-1252", "WINDOWS-1253", "WINDOWS-1254",
    "WINDOWS-1255", "WINDOWS-1256", "WINDOWS-1257", "WINDOWS-1258", "ISO-8859-1",
    "ISO-8859-2",   "ISO-8859-3",   "ISO-8859-4",   "ISO-8859-5",   "ISO-8859-6",
    "ISO-8859-7",   "ISO-8859-8",   "ISO-8859-9",   "ISO-8859-10",  "ISO-8859-11",
    "ISO-8859-13",  "ISO-8859-14",  "ISO-8859-15",  "ISO-8859-16",  "KOI8-R",
    "KOI8-U",       "IBM852",       "IBM855",       "IBM866",       "MAC-CENTRALEUROPE",
    "MAC-CYRILLIC", "TIS-620",      "GB18030",      "BIG5",         "SHIFT_JIS",
    "EUC-JP",       "EUC-KR"};

std::string ReadCorpusFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::string AllBytes() {
    std::string bytes;
    for (int b = 1; b < 256; ++b)
        if (b != '\r' && b != '\n')
            bytes += static_cast<char>(b);
    return bytes;
}

TEST(Utf8Validity, AcceptsWellFormedTextOnly) {
    EXPECT_TRUE(IsValidUtf8(""));
    EXPECT_TRUE(IsValidUtf8("plain ASCII"));
    EXPECT_TRUE(IsValidUtf8("\xCE\x93\xCE\xB5\xCE\xB9\xCE\xAC")); // Greek
    EXPECT_TRUE(IsValidUtf8("\xF0\x9F\x98\x80"));                 // outside the BMP
    EXPECT_FALSE(IsValidUtf8("caf\xE9"));                         // Latin-1 e acute
    EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));                        // overlong "/"
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));                    // a surrogate
    EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));                // above U+10FFFF
    EXPECT_FALSE(IsValidUtf8("\xCE"));                            // cut short
}

TEST(TextCodecChoice, ValidUtf8DocumentsAreUtf8WhateverTheGuess) {
    EXPECT_TRUE(ChooseCodec({"abc", "\xCE\x93"}, "WINDOWS-1252").IsUtf8());
}

TEST(TextCodecChoice, OtherDocumentsTakeTheGuessedCodePage) {
    EXPECT_EQ(ChooseCodec({"caf\xE9"}, "WINDOWS-1252").Name(), "WINDOWS-1252");
    EXPECT_EQ(ChooseCodec({"caf\xE9"}, "iso-8859-2").Name(), "ISO-8859-2");
    EXPECT_EQ(ChooseCodec({"caf\xE9"}, "cp1251").Name(), "WINDOWS-1251");
    EXPECT_EQ(ChooseCodec({"\xD7\xD6"}, "GB2312").Name(), "GB18030");
    EXPECT_EQ(ChooseCodec({"\xD7\xD6"}, "UHC").Name(), "EUC-KR");
    EXPECT_EQ(ChooseCodec({"\x8E\x9A"}, "SHIFT_JIS").Name(), "SHIFT_JIS");
}

TEST(TextCodecChoice, ReadsGuessesLedAstrayByCurlyQuotesAsWindowsCodePages) {
    // Curly quotes at 0x93 and 0x94 are control codes in ISO-8859-1.
    const TextCodec codec = ChooseCodec({"\x93Hi\x94"}, "ISO-8859-1");
    EXPECT_EQ(codec.Name(), "WINDOWS-1252");
    EXPECT_EQ(codec.Decode("\x93Hi\x94"), u"“Hi”");
    EXPECT_EQ(ChooseCodec({"\x92"}, "MAC-CENTRALEUROPE").Name(), "WINDOWS-1252");
    EXPECT_EQ(ChooseCodec({"\x92"}, "ISO-8859-9").Name(), "WINDOWS-1254");
    EXPECT_EQ(ChooseCodec({"\x92"}, "MAC-CYRILLIC").Name(), "WINDOWS-1251");
    EXPECT_EQ(TextCodec::CodePage("ISO-8859-1").Decode("\x93"), u"\u0093");
}

TEST(TextCodecChoice, FallsBackToWindows1253) {
    EXPECT_EQ(ChooseCodec({"caf\xE9"}, "").Name(), "WINDOWS-1253");
    EXPECT_EQ(ChooseCodec({"caf\xE9"}, "ISO-2022-JP").Name(), "WINDOWS-1253");
    EXPECT_EQ(ChooseCodec({"caf\xE9"}, "UTF-8").Name(), "WINDOWS-1253");
}

TEST(TextCodecDecoding, ShowsTheLettersOfEachCodePage) {
    EXPECT_EQ(TextCodec::CodePage("WINDOWS-1253").Decode("\xC3\xE5\xE9\xDC"), u"Γειά");
    EXPECT_EQ(TextCodec::CodePage("WINDOWS-1251").Decode("\xCF\xF0\xE8"), u"При");
    EXPECT_EQ(TextCodec::CodePage("WINDOWS-1252").Decode("\x93\xE9\x94"), u"“é”");
    EXPECT_EQ(TextCodec::CodePage("WINDOWS-1250").Decode("\xB9\xE6"), u"ąć");
    EXPECT_EQ(TextCodec::CodePage("WINDOWS-1255").Decode("\xF9\xEC"), u"של");
    EXPECT_EQ(TextCodec().Decode("\xCE\x93\xF0\x9F\x98\x80"), u"Γ\U0001F600");
    EXPECT_EQ(TextCodec::CodePage("GB18030").Decode("\xD7\xD6\xC4\xBB \x90\x30\x81\x30"),
              u"字幕 \U00010000");
    EXPECT_EQ(TextCodec::CodePage("BIG5").Decode("\xA6r\xB9\xF5"), u"字幕");
    EXPECT_EQ(TextCodec::CodePage("SHIFT_JIS").Decode("\x8E\x9A\x96\x8B\\N"), u"字幕\\N");
    EXPECT_EQ(TextCodec::CodePage("EUC-JP").Decode("\xBB\xFA\xCB\xEB"), u"字幕");
    EXPECT_EQ(TextCodec::CodePage("EUC-KR").Decode("\xC0\xDA\xB8\xB7"), u"자막");
}

struct CorpusText {
    const char* file;
    const char* guess; // the character-set detector's answer for the file
    const char* text;  // a line of the file, as `iconv -f guess -t UTF-8` reads it
};

class EastAsianCorpusFiles : public testing::TestWithParam<CorpusText> {};

TEST_P(EastAsianCorpusFiles, ShowTheirText) {
    const LineStore lines = LineStore::Split(
        ReadCorpusFile(std::filesystem::path(VELKAR_CORPUS_DIR) / GetParam().file));
    const TextCodec codec = ChooseCodec(lines, GetParam().guess);
    const std::string expected = GetParam().text;
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&](std::string_view line) {
        return TextCodec().Encode(codec.Decode(line)) == expected;
    })) << codec.Name();
}

INSTANTIATE_TEST_SUITE_P(
    Files, EastAsianCorpusFiles,
    testing::Values(
        CorpusText{"srt/cdown-srt-gb2312.srt", "GB18030", "宇宙守护神  保护我们远离邪恶"},
        CorpusText{"ass/subtitleeditor-ass-eucjp.ass", "EUC-JP",
                   "Dialogue: 0,0:00:15.04,0:00:18.04,Default,,0000,0000,0000,,左に見えるのは…"},
        CorpusText{"mpl2/subtitleeditor-mpl2-eucjp.txt", "EUC-JP", "[187][203]右に見えるのは…"},
        CorpusText{"ass/aegisub-libssf-demo-v4-karaoke-shiftjis-fe.ssa", "SHIFT_JIS",
                   "Dialogue: Marked=0,0:01:52.00,0:02:00.00,ShiftJIS,,0000,0000,0000,!Effect,"
                   "{\\a7\\q1\\c&HFFFF00&\\fe0}[Naru]{\\fe128}何よ！"}));

TEST(TextCodecDecoding, UndefinedBytesShowAsPrivateUseCharacters) {
    // 0x81 and 0xAA have no character in Windows-1253.
    EXPECT_EQ(TextCodec::CodePage("WINDOWS-1253").Decode("\x81\xAA"), u"\uF781\uF7AA");
    // A lead byte without its second byte, and one followed by a byte that cannot follow it.
    EXPECT_EQ(TextCodec::CodePage("SHIFT_JIS").Decode("a\x8E"), u"a\uF78E");
    EXPECT_EQ(TextCodec::CodePage("SHIFT_JIS").Decode("\x8E\x20"), u"\uF78E ");
    // GB18030 holds every character, the private-use ones that stand for bytes too: those show
    // byte by byte.
    EXPECT_EQ(TextCodec::CodePage("GB18030").Decode("\x83\x39\xD8\x38"), u"\uF783"
                                                                         u"9"
                                                                         u"\uF7D8"
                                                                         u"8");
}

class TextCodecRoundTrip : public testing::TestWithParam<const char*> {};

TEST_P(TextCodecRoundTrip, EveryByteComesBackUnchanged) {
    const TextCodec codec = TextCodec::CodePage(GetParam());
    ASSERT_EQ(codec.Name(), GetParam());
    const std::string bytes = AllBytes();
    EXPECT_EQ(codec.Encode(codec.Decode(bytes)), bytes);
}

TEST_P(TextCodecRoundTrip, RandomBytesComeBackUnchanged) {
    const TextCodec codec = TextCodec::CodePage(GetParam());
    std::mt19937 random(20261211);
    std::uniform_int_distribution<int> length(0, 48);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int i = 0; i < 3000; ++i) {
        std::string bytes(static_cast<std::size_t>(length(random)), ' ');
        for (char& b : bytes)
            b = static_cast<char>(byte(random));
        ASSERT_EQ(codec.Encode(codec.Decode(bytes)), bytes) << testing::PrintToString(bytes);
    }
}

TEST_P(TextCodecRoundTrip, EveryCorpusLineComesBackUnchanged) {
    const TextCodec codec = TextCodec::CodePage(GetParam());
    for (const auto& entry :
         std::filesystem::recursive_directory_iterator(std::filesystem::path(VELKAR_CORPUS_DIR))) {
        if (!entry.is_regular_file() || entry.path().extension() == ".avi")
            continue;
        for (std::string_view line : LineStore::Split(ReadCorpusFile(entry.path())))
            ASSERT_EQ(codec.Encode(codec.Decode(line)), line) << entry.path();
    }
}

INSTANTIATE_TEST_SUITE_P(Charsets, TextCodecRoundTrip, testing::ValuesIn(kCharsets),
                         [](const testing::TestParamInfo<const char*>& info) {
                             std::string name = info.param;
                             std::replace_if(
                                 name.begin(), name.end(),
                                 [](char c) {
                                     return !std::isalnum(static_cast<unsigned char>(c));
                                 },
                                 '_');
                             return name;
                         });

TEST(TextCodecEncoding, Utf8TextComesBackUnchanged) {
    const std::string bytes = "\xCE\x93\xCE\xB5\xCE\xB9\xCE\xAC \xF0\x9F\x98\x80 \xC2\xA0 tab\t.";
    EXPECT_EQ(TextCodec().Encode(TextCodec().Decode(bytes)), bytes);
}

TEST(TextCodecEncoding, CharactersTheCodePageLacksBecomeQuestionMarks) {
    EXPECT_EQ(TextCodec::CodePage("WINDOWS-1252").Encode(u"aΓb"), "a?b");
    EXPECT_EQ(TextCodec::CodePage("SHIFT_JIS").Encode(u"a자b"), "a?b");
    EXPECT_EQ(TextCodec::CodePage("EUC-KR").Encode(u"자\U0001F600"), "\xC0\xDA?");
}

TEST(TextCodecEncoding, ALoneSurrogateBecomesTheReplacementCharacter) {
    const std::u16string lone(1, char16_t(0xD800));
    EXPECT_EQ(TextCodec().Encode(lone), "\xEF\xBF\xBD");
}

} // namespace
} // namespace velkar
