#include "app/TextCodec.h"

#include <gtest/gtest.h>

namespace velkar {
namespace {

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
    EXPECT_EQ(ChooseCodec({"caf\xE9"}, "GB18030").Name(), "WINDOWS-1253");
    EXPECT_EQ(ChooseCodec({"caf\xE9"}, "UTF-8").Name(), "WINDOWS-1253");
}

TEST(TextCodecDecoding, ShowsTheLettersOfEachCodePage) {
    EXPECT_EQ(TextCodec::CodePage("WINDOWS-1253").Decode("\xC3\xE5\xE9\xDC"), u"Γειά");
    EXPECT_EQ(TextCodec::CodePage("WINDOWS-1251").Decode("\xCF\xF0\xE8"), u"При");
    EXPECT_EQ(TextCodec::CodePage("WINDOWS-1252").Decode("\x93\xE9\x94"), u"“é”");
    EXPECT_EQ(TextCodec::CodePage("WINDOWS-1250").Decode("\xB9\xE6"), u"ąć");
    EXPECT_EQ(TextCodec::CodePage("WINDOWS-1255").Decode("\xF9\xEC"), u"של");
    EXPECT_EQ(TextCodec().Decode("\xCE\x93\xF0\x9F\x98\x80"), u"Γ\U0001F600");
}

TEST(TextCodecDecoding, UndefinedBytesShowAsPrivateUseCharacters) {
    // 0x81 and 0xAA have no character in Windows-1253.
    EXPECT_EQ(TextCodec::CodePage("WINDOWS-1253").Decode("\x81\xAA"), u"\uF781\uF7AA");
}

class TextCodecRoundTrip : public testing::TestWithParam<const char*> {};

TEST_P(TextCodecRoundTrip, EveryByteComesBackUnchanged) {
    const TextCodec codec = TextCodec::CodePage(GetParam());
    ASSERT_EQ(codec.Name(), GetParam());
    const std::string bytes = AllBytes();
    EXPECT_EQ(codec.Encode(codec.Decode(bytes)), bytes);
}

INSTANTIATE_TEST_SUITE_P(CodePages, TextCodecRoundTrip,
                         testing::Values("WINDOWS-1250", "WINDOWS-1251", "WINDOWS-1252",
                                         "WINDOWS-1253", "WINDOWS-1255", "WINDOWS-1256",
                                         "WINDOWS-1258", "ISO-8859-2", "ISO-8859-7", "ISO-8859-8",
                                         "KOI8-R", "IBM866", "MAC-CYRILLIC", "TIS-620"));

TEST(TextCodecEncoding, Utf8TextComesBackUnchanged) {
    const std::string bytes = "\xCE\x93\xCE\xB5\xCE\xB9\xCE\xAC \xF0\x9F\x98\x80 \xC2\xA0 tab\t.";
    EXPECT_EQ(TextCodec().Encode(TextCodec().Decode(bytes)), bytes);
}

TEST(TextCodecEncoding, CharactersTheCodePageLacksBecomeQuestionMarks) {
    EXPECT_EQ(TextCodec::CodePage("WINDOWS-1252").Encode(u"aΓb"), "a?b");
}

TEST(TextCodecEncoding, ALoneSurrogateBecomesTheReplacementCharacter) {
    const std::u16string lone(1, char16_t(0xD800));
    EXPECT_EQ(TextCodec().Encode(lone), "\xEF\xBF\xBD");
}

} // namespace
} // namespace velkar
