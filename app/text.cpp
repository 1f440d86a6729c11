// Conversions between texts and numbers, shared by every handler.
#include "app/text.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

Text IntegerToText(int32_t value) {
  char digits[12];
  char* end = digits + sizeof digits;
  char* p = end;
  // Work on the magnitude as unsigned, so that INT32_MIN needs no special case.
  uint32_t magnitude = value < 0 ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
  do {
    *--p = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  if (value < 0) *--p = '-';
  return Text(p, end);
}

Text FoldFullWidth(const Text& text) {
  Text folded;
  folded.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const auto first = static_cast<uint8_t>(text[i]);
    if (first < 0x80) {
      folded += static_cast<char>(first);
      continue;
    }
    if (i + 1 == text.size()) break;  // a lead byte without its second byte
    const auto second = static_cast<uint8_t>(text[++i]);
    if (first == 0xA1 && second == 0xA1) {
      folded += ' ';
    } else if (first == 0xA1 && second == 0xAB) {
      folded += '~';
    } else if (first == 0xA1 && (second == 0xEE || second == 0xEF)) {
      folded += '*';
    } else if (first == 0xA3 && second >= 0xA1 && second <= 0xFE) {
      folded += static_cast<char>(second - 0x80);
    } else {
      folded += static_cast<char>(first);
      folded += static_cast<char>(second);
    }
  }
  return folded;
}

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

}  // namespace

double TextToNumber(const Text& text) {
  const Text folded = FoldFullWidth(text);
  const char* p = folded.c_str();
  while (IsSpace(*p)) ++p;

  // Copy the part that forms a number into a plain form ("-12.5e3") that strtod reads the
  // same way on every C library: no hexadecimal, no words, the exponent letter as 'e'.
  Text number;
  if (*p == '+' || *p == '-') number += *p++;
  bool anyDigit = false;
  while (IsDigit(*p)) { number += *p++; anyDigit = true; }
  if (*p == '.') {
    number += *p++;
    while (IsDigit(*p)) { number += *p++; anyDigit = true; }
  }
  if (!anyDigit) return 0.0;
  if (*p == 'e' || *p == 'E' || *p == 'd' || *p == 'D') {
    const char* q = p + 1;
    Text exponent = "e";
    if (*q == '+' || *q == '-') exponent += *q++;
    if (IsDigit(*q)) {
      while (IsDigit(*q)) exponent += *q++;
      number += exponent;
    }
  }
  return std::strtod(number.c_str(), nullptr);
}

int64_t TruncateToInteger(double number) {
  // 2^63 is exactly representable; every double below it in magnitude fits after truncation.
  constexpr double kLimit = 9223372036854775808.0;
  if (!(number >= -kLimit && number < kLimit)) return INT64_MIN;
  return static_cast<int64_t>(number);
}

Text BytesToText(const uint8_t* bytes, size_t count) {
  const void* zero = count ? std::memchr(bytes, 0, count) : nullptr;
  const size_t length = zero ? static_cast<size_t>(static_cast<const uint8_t*>(zero) - bytes) : count;
  return Text(reinterpret_cast<const char*>(bytes), length);
}

Text BlankText(int32_t count) { return count < 1 ? Text() : Text(static_cast<size_t>(count), ' '); }
