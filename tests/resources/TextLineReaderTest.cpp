#include "common/ScratchLocale.h"
#include "resources/AsciiNumber.h"
#include "resources/TextLineReader.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <tuple>

namespace cm {
namespace {

using Lines = std::vector<std::string>;

Lines ReadAllLines(const std::string& text) {
    TextLineReader reader;
    Lines lines;
    std::string line;
    if (reader.Attach(text.data(), text.size()))
        while (reader.ReadLine(line)) lines.push_back(line);
    return lines;
}

TEST(TextLineReader, LineEndRules) {
    EXPECT_EQ(ReadAllLines("A\r\nB"), Lines{"A"}) << "an unterminated last line is never returned";
    EXPECT_EQ(ReadAllLines("A\n\nB\n"), (Lines{"A", "B"})) << "LF LF is one line end";
    EXPECT_EQ(ReadAllLines("A\n\n\nB\n"), (Lines{"A", "", "B"}));
    EXPECT_EQ(ReadAllLines("A\r\n\r\nB\n"), (Lines{"A", "", "B"})) << "CR LF CR LF gives one empty line";
    EXPECT_EQ(ReadAllLines("A\r\rB\r"), (Lines{"A", "", "B"}));
    EXPECT_EQ(ReadAllLines(std::string("A\0B\0", 4)), (Lines{"A", "B"}));
    EXPECT_EQ(ReadAllLines(""), Lines{});
}

TEST(TextLineReader, BoundedCopyTruncatesFailureLeavesNoLineAndTokensConvertInOrder) {
    const std::string text = "LoadObject objects\\ship.lwo\nrest";
    TextLineReader reader;
    ASSERT_TRUE(reader.Attach(text.data(), text.size()));
    char small[8] = "#######";
    ASSERT_TRUE(reader.ReadLine(std::span<char>(small, 5)));
    EXPECT_STREQ(small, "Load");
    EXPECT_EQ(small[5], '#') << "nothing written past the given room";
    EXPECT_EQ(reader.GetTokenCount(), 2u);
    EXPECT_FALSE(reader.ReadLine(std::span<char>(small, 8)));
    EXPECT_EQ(small[0], 'L') << "a failed read leaves the destination alone";
    EXPECT_EQ(reader.GetLine(), nullptr);
    EXPECT_FALSE(reader.NextToken());

    // Tokens convert in order and stop at the end.
    const std::string tokens = "12 0.5 abc -7x 1e3 \t name.lwo  \n";
    ASSERT_TRUE(reader.Attach(tokens.data(), tokens.size()));
    ASSERT_TRUE(reader.ReadLine());
    std::int32_t i = 0, j = 0;
    float f = -1.0f, g = -1.0f;
    std::string s;
    ASSERT_TRUE(reader.NextToken(i) && reader.NextToken(f) && reader.NextToken(g) && reader.NextToken(j) &&
                reader.NextToken() && reader.NextToken(s));
    EXPECT_EQ(std::tie(i, f, g, j, s), std::make_tuple(12, 0.5f, 0.0f, -7, std::string("name.lwo")))
        << "letters read as 0";
    EXPECT_FALSE(reader.NextToken(i));
    EXPECT_EQ(i, 12) << "nothing stored past the last token";
}

int KeywordOf(const std::string& line, const char* list) {
    TextLineReader reader;
    const std::string text = line + "\n";
    reader.Attach(text.data(), text.size());
    reader.ReadLine();
    return reader.FindKeyword(list);
}

TEST(TextLineReader, FindKeywordLatestInTheListWinsAnywhereInTheLine) {
    const char* scene = "FirstFrame LastFrame FrameStep FramesPerSecond LoadObject AddNullObject ShowCamera "
                        "AddLight AmbientColor AmbIntensity";
    EXPECT_EQ(KeywordOf("LoadObject objects\\ship.lwo", scene), 4);
    EXPECT_EQ(KeywordOf(" \tloadobject x", scene), 4);
    EXPECT_EQ(KeywordOf("AddLight ShowCamera", scene), 7);
    EXPECT_EQ(KeywordOf("ShowCamera AddLight", scene), 7);
    EXPECT_EQ(KeywordOf("LoadObjects FirstFrame2", scene), -1) << "whole tokens only";
    EXPECT_EQ(KeywordOf("LoadObject", nullptr), -1);
    EXPECT_EQ(KeywordOf("b", "  a \t b  "), 1);
}

TEST(AsciiNumber, ReadsDecimalOnlyWithoutTheCRuntimesUndefinedCorners) {
    EXPECT_EQ(AsciiToInt(" +42abc"), 42);
    EXPECT_EQ(AsciiToInt("99999999999999999999"), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(AsciiToInt("-2147483648"), std::numeric_limits<std::int32_t>::min());
    // Words, special values and hexadecimal are not decimal numbers: they read 0 (the leading 0
    // of "0x10"), never infinity, NaN or 16.
    for (const char* word : {"inf", "-INF", "nan", "NaN(1)", "infinity", "0x10", "0x1p-1", "e5", ".", "+", "Ice"})
        EXPECT_EQ(AsciiToFloat(word), 0.0f) << word;
    EXPECT_EQ(AsciiToFloat(" -.5e1x"), -5.0f);
    EXPECT_EQ(AsciiToFloat("5.e"), 5.0f) << "an exponent without digits is not part of the number";
    EXPECT_EQ(AsciiToFloat("2E-1"), 0.2f);
    EXPECT_EQ(AsciiToFloat("1e39"), std::numeric_limits<float>::infinity());
    EXPECT_EQ(AsciiToFloat("-1e300"), -std::numeric_limits<float>::infinity());
    EXPECT_EQ(AsciiToFloat("0.1"), static_cast<float>(0.1)) << "rounded once, through double, as atof";
}

TEST(AsciiNumber, IgnoresACommaDecimalLocale) {
    test::ScratchLocale german("de_DE");
    if (!german.Select(LC_NUMERIC)) GTEST_SKIP() << "cannot build or load de_DE here";
    EXPECT_EQ(std::atof("0.5"), 0.0) << "the locale should really change what atof reads";
    EXPECT_EQ(AsciiToFloat("1.25"), 1.25f);
}

}  // namespace
}  // namespace cm
