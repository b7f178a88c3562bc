#include "document/TimeCode.h"
#include "document/Errors.h"
#include "document/formats/ClockText.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <random>
#include <regex>
#include <tuple>

namespace velkar {
namespace {

using testing::StrEq;
using testing::ThrowsMessage;

struct TextCase {
    SubtitleFormat format;
    std::int32_t value;
    const char* text;
};

class TimeToTextForms : public testing::TestWithParam<TextCase> {};

TEST_P(TimeToTextForms, WritesValue) {
    EXPECT_EQ(TimeToText(GetParam().format, GetParam().value), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Boundaries, TimeToTextForms,
    testing::Values(
        TextCase{sfSubRip, 0, "00:00:00,000"}, TextCase{sfSubRip, 3723045, "01:02:03,045"},
        TextCase{sfSubRip, 86399999, "23:59:59,999"}, TextCase{sfSubViewer2, 1050, "00:00:01.05"},
        // Hundredths round to nearest, ties to even.
        TextCase{sfSubViewer2, 1015, "00:00:01.02"}, TextCase{sfSubViewer2, 1025, "00:00:01.02"},
        TextCase{sfSubViewer2, 5, "00:00:00.00"}, TextCase{sfSubViewer2, 1026, "00:00:01.03"},
        TextCase{sfSubViewer2, 1985, "00:00:01.98"},
        // 995 ms and more carry into the seconds, minutes and hours.
        TextCase{sfSubViewer2, 1995, "00:00:02.00"}, TextCase{sfSubViewer2, 59995, "00:01:00.00"},
        TextCase{sfSubViewer2, 3599996, "01:00:00.00"},
        TextCase{sfSubViewer2, 86399994, "23:59:59.99"},
        // sfUnknown and sfDamaged use the hundredths form too.
        TextCase{sfUnknown, 62340, "00:01:02.34"}, TextCase{sfDamaged, 0, "00:00:00.00"},
        TextCase{sfMicroDVD, 1234, "1234"}, TextCase{sfMicroDVD, -1, "-1"},
        TextCase{sfMicroDVD, 86400000, "86400000"},
        TextCase{sfMicroDVD, -2147483647 - 1, "-2147483648"}));

class TimeToTextOutsideADay : public testing::TestWithParam<TextCase> {};

TEST_P(TimeToTextOutsideADay, Fails) {
    EXPECT_THAT([&] { TimeToText(GetParam().format, GetParam().value); },
                ThrowsMessage<TimeEncodeError>(StrEq("Invalid argument to time encode")));
}

INSTANTIATE_TEST_SUITE_P(
    Boundaries, TimeToTextOutsideADay,
    testing::Values(TextCase{sfSubRip, -1, ""}, TextCase{sfSubRip, 86400000, ""},
                    TextCase{sfSubViewer2, -1, ""}, TextCase{sfSubViewer2, 86400000, ""},
                    // A carry that reaches 24 hours.
                    TextCase{sfSubViewer2, 86399995, ""}, TextCase{sfUnknown, 2147483647, ""}));

TEST(AppendTimeText, AppendsAfterExistingText) {
    std::string text = "{";
    AppendTimeText(text, sfSubViewer2, 3599996);
    AppendTimeText(text, sfMicroDVD, 7);
    EXPECT_EQ(text, "{01:00:00.007");
}

class TextToTimeForms : public testing::TestWithParam<TextCase> {};

TEST_P(TextToTimeForms, ReadsValue) {
    EXPECT_EQ(TextToTime(GetParam().format, GetParam().text), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, TextToTimeForms,
    testing::Values(
        TextCase{sfSubRip, 3600000, " 1:00:00,000"}, TextCase{sfSubRip, 3723045, "01:02:03,045"},
        // Separators are not looked at.
        TextCase{sfSubRip, 3723045, "01x02y03z045"}, TextCase{sfMicroDVD, 125, "      125"},
        TextCase{sfMicroDVD, 0, ""}, TextCase{sfMicroDVD, 105, "1 5"},
        TextCase{sfMicroDVD, -12, "-12"}, TextCase{sfSubViewer2, 62340, "00:01:02.34"},
        TextCase{sfSubViewer2, 3600000, " 1:00:00.00"},
        // A one-digit hour, with or without its blank.
        TextCase{sfSubRip, 3600000, "1:00:00,000"}, TextCase{sfSubRip, 3600000, "1 :00:00,000"},
        TextCase{sfSubRip, 35999999, "9:59:59,999"}, TextCase{sfSubViewer2, 3600000, "1:00:00.00"},
        TextCase{sfSubViewer2, 7200000, "2 :00:00.00"}, TextCase{sfUnknown, 0, "not looked at"},
        TextCase{sfDamaged, 0, "12:00:00.00"}));

TEST(TextToTime, FieldThatIsNotANumberNamesTheField) {
    EXPECT_THAT([] { TextToTime(sfSubRip, "00:0 :00,000"); },
                ThrowsMessage<ConversionError>(StrEq("'0 ' is not a valid integer value")));
    EXPECT_THAT([] { TextToTime(sfSubViewer2, "00:00:00.  "); },
                ThrowsMessage<ConversionError>(StrEq("'  ' is not a valid integer value")));
    EXPECT_THAT([] { TextToTime(sfMicroDVD, "12a"); },
                ThrowsMessage<ConversionError>(StrEq("'12a' is not a valid integer value")));
    // A text too short for its fields gives empty fields.
    EXPECT_THAT([] { TextToTime(sfSubRip, "00:00:01"); },
                ThrowsMessage<ConversionError>(StrEq("'' is not a valid integer value")));
}

TEST(CanEncode, AgreesWithTimeToTextAtTheEdgesOfTheDay) {
    for (SubtitleFormat f : {sfMicroDVD, sfSubRip, sfSubViewer2, sfUnknown}) {
        for (std::int32_t v : {-2147483647 - 1, -1, 0, 86399989, 86399994, 86399995, 86399999,
                               86400000, 2147483647}) {
            bool encodes = true;
            try {
                TimeToText(f, v);
            } catch (const TimeEncodeError&) {
                encodes = false;
            }
            EXPECT_EQ(CanEncode(f, v), encodes) << "format " << int(f) << " value " << v;
        }
    }
}

TEST(TimeCodes, ClockFormsRoundTripEveryFieldBoundary) {
    for (std::int32_t v : {0, 999, 1000, 59999, 60000, 3599999, 3600000, 86399999}) {
        EXPECT_EQ(TextToTime(sfSubRip, TimeToText(sfSubRip, v)), v);
        const std::int32_t hundredths = v / 10 * 10;
        EXPECT_EQ(TextToTime(sfSubViewer2, TimeToText(sfSubViewer2, hundredths)), hundredths);
    }
}

// The rule of a file's open clock as a pattern: sign, hours, minutes, seconds, fraction.
const std::regex& Pattern(int minHours, char separator, int fractionDigits) {
    static std::map<std::tuple<int, char, int>, std::regex> patterns;
    auto [it, added] = patterns.try_emplace({minHours, separator, fractionDigits});
    if (added)
        it->second = std::regex("(-?)(?:(\\d{" + std::to_string(std::max(minHours, 1)) + ",12}):)" +
                                (minHours == 0 ? "?" : "") + "(\\d\\d):(\\d\\d)[" + separator +
                                "](\\d{" + std::to_string(fractionDigits) + "})");
    return it->second;
}

// A file's open clock against its rule written as a pattern: random clocks, whole and with a
// character changed, dropped or added, for each hour minimum, separator and fraction length.
TEST(ReadFileClock, ReadsExactlyWhatItsPatternMatches) {
    std::mt19937 random(29);
    const std::string noise = "0123456789:.,- a";
    for (int round = 0; round < 30000; ++round) {
        const int minHours = static_cast<int>(random() % 3);
        const char separator = random() % 4 == 0 ? ',' : '.';
        const int fractionDigits = 2 + static_cast<int>(random() % 2);
        const auto digits = [&](int n) {
            std::string d;
            for (int k = 0; k < n; ++k)
                d += static_cast<char>('0' + random() % 10);
            return d;
        };
        const int hourDigits = static_cast<int>(random() % 14);
        std::string text = (random() % 8 == 0 ? "-" : "") +
                           (hourDigits > 0 ? digits(hourDigits) + ":" : std::string()) + digits(2) +
                           ":" + digits(2) + separator + digits(fractionDigits);
        if (random() % 2 == 0) {
            const std::size_t at = random() % text.size();
            switch (random() % 3) {
            case 0:
                text[at] = noise[random() % noise.size()];
                break;
            case 1:
                text.erase(at, 1);
                break;
            default:
                text.insert(at, 1, noise[random() % noise.size()]);
            }
        }
        const std::regex& rule = Pattern(minHours, separator, fractionDigits);
        std::smatch m;
        bool expectedOk = std::regex_match(text, m, rule);
        std::int64_t expected = 0;
        if (expectedOk) {
            expected = (m[2].matched ? std::stoll(m[2]) : 0) * 3600000 + std::stoll(m[3]) * 60000 +
                       std::stoll(m[4]) * 1000 + std::stoll(m[5]) * (fractionDigits == 2 ? 10 : 1);
            if (m[1].length() > 0)
                expected = -expected;
            expectedOk = expected >= -kMaxTimeValue && expected <= kMaxTimeValue;
        }
        bool ok = false;
        const TimeValue value = ReadFileClock(text, minHours, separator, fractionDigits, ok);
        ASSERT_EQ(ok, expectedOk) << text << " " << minHours << " " << fractionDigits;
        if (ok) {
            ASSERT_EQ(value, expected) << text;
        }
    }
}

} // namespace
} // namespace velkar
