// The text and number conversions: the cases that matter, a round trip over the 32-bit range,
// and TextToNumber against the C library's atof on generated inputs.
#include <gtest/gtest.h>

#include <windows.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <random>

#include "app/text.h"

namespace {

TEST(IntegerToText, WritesSignedDecimal) {
  const struct { int32_t value; const char* text; } cases[] = {
      {0, "0"}, {-5, "-5"}, {7, "7"}, {1000, "1000"},
      {INT32_MAX, "2147483647"}, {INT32_MIN, "-2147483648"}, {-1, "-1"},
  };
  for (const auto& c : cases) EXPECT_EQ(IntegerToText(c.value), c.text) << c.value;
}

TEST(FoldFullWidth, ReplacesFullWidthFormsAndKeepsOtherPairs) {
  const struct { const char* in; const char* out; } cases[] = {
      {"\xA3\xB1\xA3\xB2\xA3\xB3", "123"},     // full-width digits
      {"\xA3\xAD\xA3\xAE\xA3\xC5", "-.E"},     // sign, point, letter
      {"\xA1\xA1", " "},                       // ideographic space
      {"\xA1\xAB", "~"},
      {"\xA1\xEE\xA1\xEF", "**"},              // the two stars
      {"\xA3\xA1\xA3\xFE", "!~"},              // both ends of the range
      {"\xA3\xA0", "\xA3\xA0"},                // just below it: kept
      {"\xD6\xD0" "1", "\xD6\xD0" "1"},        // an ordinary character is kept
      {"12\xA3", "12"},                        // a lead byte at the end is dropped
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(FoldFullWidth(c.in), c.out) << c.in;
}

TEST(TextToNumber, ReadsTheLeadingDecimalNumber) {
  const struct { const char* text; double value; } cases[] = {
      {"", 0}, {"   42abc", 42}, {"\xA3\xB1\xA3\xB2\xA3\xB3", 123}, {"0x1F", 0},
      {"1e3", 1000}, {"1d3", 1000}, {"1D3", 1000}, {"1E+3", 1000}, {"5e-1", 0.5},
      {".5", 0.5}, {"5.", 5}, {"abc", 0}, {"-", 0}, {".", 0}, {"+.e3", 0},
      {"1e", 1}, {"1e+", 1}, {"2d-x", 2}, {"\t\n\v\f\r 7", 7}, {"-12.25", -12.25},
      {"+8", 8}, {"inf", 0}, {"nan", 0}, {"1.5.5", 1.5}, {"--1", 0},
      {"\xA1\xA1\xA3\xAD\xA3\xB4", -4},        // ideographic space, full-width minus and 4
      {"999999999999999", 999999999999999.0},  // 15 digits convert exactly
      {"4294967295", 4294967295.0},
  };
  for (const auto& c : cases) EXPECT_EQ(TextToNumber(c.text), c.value) << c.text;
}

TEST(TruncateToInteger, DropsTheFractionAndMapsTheUnrepresentableToTheMinimum) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const struct { double number; int64_t value; } cases[] = {
      {2.9, 2}, {-2.9, -2}, {-0.5, 0}, {0, 0}, {4294967295.0, 4294967295LL},
      {9223372036854774784.0, 9223372036854774784LL},   // the largest double below 2^63
      {-9223372036854775808.0, INT64_MIN},
      {9223372036854775808.0, INT64_MIN}, {1e19, INT64_MIN}, {-1e19, INT64_MIN},
      {nan, INT64_MIN}, {inf, INT64_MIN}, {-inf, INT64_MIN},
  };
  for (const auto& c : cases) EXPECT_EQ(TruncateToInteger(c.number), c.value) << c.number;
}

TEST(BytesToText, StopsAtTheFirstZeroByte) {
  const uint8_t abzc[] = {'A', 'B', 0, 'C'};
  EXPECT_EQ(BytesToText(abzc, sizeof abzc), "AB");
  EXPECT_EQ(BytesToText(abzc, 0), "");
  const uint8_t leadingZero[] = {0, 'A'};
  EXPECT_EQ(BytesToText(leadingZero, sizeof leadingZero), "");
  uint8_t full[256];
  for (int i = 0; i < 256; ++i) full[i] = static_cast<uint8_t>(1 + i % 255);
  EXPECT_EQ(BytesToText(full, sizeof full).size(), 256u);
}

TEST(BlankText, GivesThatManyBlanks) {
  EXPECT_EQ(BlankText(0), "");
  EXPECT_EQ(BlankText(-3), "");
  EXPECT_EQ(BlankText(1), " ");
  EXPECT_EQ(BlankText(255), std::string(255, ' '));
}

// A window handle travels as decimal text and back: every 32-bit pattern must survive.
TEST(Conversions, RoundTripKeepsEvery32BitValue) {
  auto roundTrip = [](int32_t v) {
    return static_cast<int32_t>(static_cast<uint32_t>(TruncateToInteger(TextToNumber(IntegerToText(v)))));
  };
  for (int32_t v : {INT32_MIN, INT32_MIN + 1, -1, 0, 1, INT32_MAX - 1, INT32_MAX}) EXPECT_EQ(roundTrip(v), v);
  std::mt19937 random(20261211);
  for (int i = 0; i < 200000; ++i) {
    const auto v = static_cast<int32_t>(random());
    ASSERT_EQ(roundTrip(v), v);
  }
}

// The C library's own atof as the platform ships it (msvcrt), reached by name so that no
// replacement of the compiler's runtime can stand in for it.
using AtofFunction = double(__cdecl*)(const char*);

TEST(TextToNumber, AgreesWithTheCLibrarysAtof) {
  const auto atof = reinterpret_cast<AtofFunction>(
      reinterpret_cast<void*>(GetProcAddress(LoadLibraryA("msvcrt.dll"), "atof")));
  ASSERT_NE(atof, nullptr);
  // No letters that could spell a word: msvcrt itself reads no words, but that is not what is
  // compared here.
  static const char kAlphabet[] = " \t+-.0123456789eEdDxab";
  std::mt19937 random(7);
  for (int i = 0; i < 100000; ++i) {
    std::string text;
    const int length = 1 + static_cast<int>(random() % 14);
    for (int k = 0; k < length; ++k) text += kAlphabet[random() % (sizeof kAlphabet - 1)];
    const double expected = atof(text.c_str());
    const double actual = TextToNumber(text);
    ASSERT_TRUE(expected == actual || (std::isnan(expected) && std::isnan(actual)))
        << '"' << text << "\": atof " << expected << ", TextToNumber " << actual;
  }
}

}  // namespace
