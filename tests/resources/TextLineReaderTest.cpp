#include "resources/AsciiNumber.h"
#include "resources/TextLineReader.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

namespace cm {
namespace {

std::vector<std::string> Lines(const std::string& text) {
    TextLineReader reader;
    std::vector<std::string> lines;
    if (!reader.Attach(text.data(), text.size())) return lines;
    std::string line;
    while (reader.ReadLine(line)) lines.push_back(line);
    return lines;
}

using L = std::vector<std::string>;

TEST(TextLineReaderLines, LineEndRules) {
    EXPECT_EQ(Lines("A\r\nB"), L{"A"}) << "an unterminated last line is never returned";
    EXPECT_EQ(Lines("A\r\nB\r\n"), (L{"A", "B"}));
    EXPECT_EQ(Lines("A\n\nB\n"), (L{"A", "B"})) << "LF LF is one line end";
    EXPECT_EQ(Lines("A\n\n\nB\n"), (L{"A", "", "B"}));
    EXPECT_EQ(Lines("A\r\n\r\nB\n"), (L{"A", "", "B"})) << "CR LF CR LF gives one empty line";
    EXPECT_EQ(Lines("A\rB\r"), (L{"A", "B"}));
    EXPECT_EQ(Lines("A\r\rB\r"), (L{"A", "", "B"}));
    EXPECT_EQ(Lines(std::string("A\0B\0", 4)), (L{"A", "B"}));
    EXPECT_EQ(Lines("\n"), L{""});
    EXPECT_EQ(Lines("no terminator"), L{});
}

TEST(TextLineReaderLines, AttachRefusesNothingToRead) {
    TextLineReader reader;
    EXPECT_FALSE(reader.Attach(nullptr, 5));
    EXPECT_FALSE(reader.Attach("x\n", 0));
    EXPECT_FALSE(reader.ReadLine());
    EXPECT_EQ(reader.GetLine(), nullptr);
}

TEST(TextLineReaderLines, BoundedCopyTruncatesAndFailureClearsTheLine) {
    const std::string text = "LoadObject objects\\ship.lwo\nrest";
    TextLineReader reader;
    ASSERT_TRUE(reader.Attach(text.data(), text.size()));
    char small[8];
    std::fill(std::begin(small), std::end(small), '#');
    ASSERT_TRUE(reader.ReadLine(std::span<char>(small, 5)));
    EXPECT_STREQ(small, "Load");
    EXPECT_EQ(small[5], '#') << "nothing written past the given room";
    EXPECT_STREQ(reader.GetLine(), "LoadObject objects\\ship.lwo");
    EXPECT_EQ(reader.GetTokenCount(), 2u);

    EXPECT_FALSE(reader.ReadLine(std::span<char>(small, 8)));
    EXPECT_EQ(small[0], 'L') << "a failed read leaves the destination alone";
    EXPECT_EQ(reader.GetLine(), nullptr);
    EXPECT_EQ(reader.GetTokenCount(), 0u);
    EXPECT_FALSE(reader.NextToken());
}

constexpr const char* kSceneKeywords =
    "FirstFrame LastFrame FrameStep FramesPerSecond LoadObject AddNullObject ShowCamera AddLight AmbientColor "
    "AmbIntensity";

int KeywordOf(const std::string& line, const char* list = kSceneKeywords) {
    TextLineReader reader;
    const std::string text = line + "\n";
    reader.Attach(text.data(), text.size());
    reader.ReadLine();
    return reader.FindKeyword(list);
}

TEST(TextLineReaderKeywords, LatestKeywordInTheListWinsAnywhereInTheLine) {
    EXPECT_EQ(KeywordOf("LoadObject objects\\ship.lwo"), 4);
    EXPECT_EQ(KeywordOf("  \tloadobject\t x"), 4) << "case and leading separators ignored";
    EXPECT_EQ(KeywordOf("AddLight ShowCamera"), 7);
    EXPECT_EQ(KeywordOf("ShowCamera AddLight"), 7);
    EXPECT_EQ(KeywordOf("x y FirstFrame"), 0);
    EXPECT_EQ(KeywordOf("LoadObjects FirstFrame2"), -1) << "whole tokens only";
    EXPECT_EQ(KeywordOf(""), -1);
    EXPECT_EQ(KeywordOf("LoadObject", nullptr), -1);
    EXPECT_EQ(KeywordOf("b", "  a \t b  "), 1);

    TextLineReader reader;
    EXPECT_EQ(reader.FindKeyword(kSceneKeywords), -1);
}

TEST(TextLineReaderTokens, ConvertsInOrderAndStopsAtTheEnd) {
    const std::string text = "12 0.5 abc -7x 1e3 \t name.lwo  \n";
    TextLineReader reader;
    ASSERT_TRUE(reader.Attach(text.data(), text.size()));
    ASSERT_TRUE(reader.ReadLine());
    ASSERT_EQ(reader.GetTokenCount(), 6u);
    std::int32_t i = 0;
    float f = -1.0f;
    std::string s;
    ASSERT_TRUE(reader.NextToken(i));
    EXPECT_EQ(i, 12);
    ASSERT_TRUE(reader.NextToken(f));
    EXPECT_EQ(f, 0.5f);
    ASSERT_TRUE(reader.NextToken(f));
    EXPECT_EQ(f, 0.0f) << "letters read as 0";
    ASSERT_TRUE(reader.NextToken(i));
    EXPECT_EQ(i, -7);
    ASSERT_TRUE(reader.NextToken());  // skipped
    ASSERT_TRUE(reader.NextToken(s));
    EXPECT_EQ(s, "name.lwo");
    i = 99;
    EXPECT_FALSE(reader.NextToken(i));
    EXPECT_EQ(i, 99) << "nothing stored past the last token";

    // A new line restarts the cursor.
    EXPECT_FALSE(reader.ReadLine());
    EXPECT_FALSE(reader.NextToken(s));
}

TEST(AsciiNumber, ParsesLikeTheCRuntimeWithoutItsUndefinedCorners) {
    EXPECT_EQ(AsciiToInt(" +42abc"), 42);
    EXPECT_EQ(AsciiToInt("-0012"), -12);
    EXPECT_EQ(AsciiToInt("x1"), 0);
    EXPECT_EQ(AsciiToInt("99999999999999999999"), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(AsciiToInt("-2147483648"), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(AsciiToInt("-99999999999"), std::numeric_limits<std::int32_t>::min());

    EXPECT_EQ(AsciiToFloat("-1.25e2xyz"), -125.0f);
    EXPECT_EQ(AsciiToFloat("0x1p-1"), 0.5f);
    EXPECT_EQ(AsciiToFloat(".5"), 0.5f);
    EXPECT_EQ(AsciiToFloat("1e39"), std::numeric_limits<float>::infinity());
    EXPECT_EQ(AsciiToFloat("-1e300"), -std::numeric_limits<float>::infinity());
    EXPECT_EQ(AsciiToFloat("1e-50"), 0.0f);
    EXPECT_TRUE(std::isnan(AsciiToFloat("nan")));
    // Rounded once from the decimal text through double, as atof into a float does.
    EXPECT_EQ(AsciiToFloat("0.1"), static_cast<float>(0.1));
}

// A locale whose decimal mark is a comma, built with localedef into a scratch folder; skipped
// where the system has no locale sources.
TEST(AsciiNumber, IgnoresACommaDecimalLocale) {
    const auto dir = std::filesystem::temp_directory_path() / "cm_locale_test";
    std::filesystem::create_directories(dir);
    const std::string command = "localedef -i de_DE -f UTF-8 " + (dir / "de_DE.UTF-8").string() + " >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) GTEST_SKIP() << "localedef cannot build de_DE here";
    setenv("LOCPATH", dir.c_str(), 1);
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr) GTEST_SKIP() << "locale not loadable";
    const double affected = std::atof("0.5");

    const std::string text = "0.5 1.25\n";
    TextLineReader reader;
    reader.Attach(text.data(), text.size());
    reader.ReadLine();
    float a = 0, b = 0;
    reader.NextToken(a);
    reader.NextToken(b);
    std::setlocale(LC_NUMERIC, "C");
    unsetenv("LOCPATH");
    std::filesystem::remove_all(dir);

    EXPECT_EQ(affected, 0.0) << "the locale should really change what atof reads";
    EXPECT_EQ(a, 0.5f);
    EXPECT_EQ(b, 1.25f);
}

}  // namespace
}  // namespace cm
