// The text value of the program (ANSI bytes) and the conversions between texts and numbers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// A sequence of bytes in the ANSI code page, without zero bytes. A missing text and the
// empty text are the same value.
using Text = std::string;

// Signed decimal, as wsprintfA gives it for "%d".
Text IntegerToText(int32_t value);

// Replaces the full-width forms of ASCII characters (and a few look-alikes) by their ASCII
// bytes; any other double-byte pair is kept, and a lead byte at the very end is dropped.
Text FoldFullWidth(const Text& text);

// Reads a decimal number from the start of the folded text as atof does in the "C" locale,
// with d and D accepted as exponent letters. No digits in that place give 0.
double TextToNumber(const Text& text);

// Drops the fraction toward zero; out of range, infinities and NaN give INT64_MIN.
int64_t TruncateToInteger(double number);

// The bytes up to the first zero byte, or all of them.
Text BytesToText(const uint8_t* bytes, size_t count);

// N blanks; N below 1 gives the empty text.
Text BlankText(int32_t count);
