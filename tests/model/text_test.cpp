// Formatting x:w:d and parsing what users type.
#include "model/text.h"

#include <gtest/gtest.h>

#include <string>

using namespace corvane;

TEST(Text, FixedWidthFormats)
{
    EXPECT_EQ(fixed(12.5, 9, 2), "    12.50");
    EXPECT_EQ(fixed(-3.14159, 0, 3), "-3.142");
    EXPECT_EQ(fixed(123456.5, 4, 1), "123456.5");   // widens when needed
    EXPECT_EQ(fixed(-0.0, 6, 2), "  0.00");
    EXPECT_EQ(fixed(1e300, 3, 2).size(), 304u);
    EXPECT_EQ(integer(42, 5), "   42");
    EXPECT_EQ(roundHalfEven(2.5), 2);
    EXPECT_EQ(roundHalfEven(3.5), 4);
    EXPECT_EQ(roundHalfEven(-2.5), -2);
    EXPECT_EQ(roundHalfEven(12.6), 13);
}

TEST(Text, ParseNumberAcceptsNumbersOnly)
{
    EXPECT_EQ(parseNumber("  2.5 "), 2.5);
    EXPECT_EQ(parseNumber("-0"), 0.0);
    EXPECT_EQ(parseNumber("1e3"), 1000.0);
    EXPECT_EQ(parseNumber("+.5"), 0.5);
    for (const char* bad : {"", "   ", "abc", "1e999", "nan", "inf", "-inf", "0x10", "1,5",
                            "2.5x", "1 2", "--1"})
        EXPECT_FALSE(parseNumber(bad).has_value()) << bad;
    EXPECT_FALSE(parseNumber(std::string(10000, '7')).has_value());
}

TEST(Text, SplitFieldsAtBlanks)
{
    const auto f = splitFields("  1.0\t 2.5   abc \r");
    ASSERT_EQ(f.size(), 3u);
    EXPECT_EQ(f[0], "1.0");
    EXPECT_EQ(f[1], "2.5");
    EXPECT_EQ(f[2], "abc");
    EXPECT_TRUE(splitFields("   ").empty());
}
