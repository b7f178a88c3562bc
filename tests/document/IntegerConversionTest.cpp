#include "document/IntegerConversion.h"
#include "document/Errors.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace velkar {
namespace {

struct Case {
    const char* text;
    std::int32_t value;
};

class IntegerConversionAccepts : public testing::TestWithParam<Case> {};

TEST_P(IntegerConversionAccepts, ReadsValue) {
    EXPECT_EQ(StrToInt(GetParam().text), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(Forms, IntegerConversionAccepts,
                         testing::Values(Case{"0", 0}, Case{"  42", 42}, Case{"+7", 7},
                                         Case{"-15", -15}, Case{"007", 7}, Case{"$1F", 31},
                                         Case{"x1f", 31}, Case{"X10", 16}, Case{"0x10", 16},
                                         Case{"0XfF", 255}, Case{" $7FFFFFFF", 2147483647},
                                         Case{"2147483647", 2147483647},
                                         Case{"-2147483648", -2147483647 - 1}));

class IntegerConversionRejects : public testing::TestWithParam<const char*> {};

TEST_P(IntegerConversionRejects, ThrowsWithFieldInMessage) {
    const std::string text = GetParam();
    EXPECT_THAT([&] { StrToInt(text); }, testing::ThrowsMessage<ConversionError>(testing::StrEq(
                                             "'" + text + "' is not a valid integer value")));
}

INSTANTIATE_TEST_SUITE_P(Forms, IntegerConversionRejects,
                         testing::Values("", "   ", "12 ", "1a", "-", "+", "$", "0x", "-$10",
                                         "+0x5", "2147483648", "-2147483649", "$80000000",
                                         "99999999999999999999", "1.5", "\t5", "٣"));

} // namespace
} // namespace velkar
