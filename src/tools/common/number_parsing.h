#pragma once

#include <cstddef>
#include <string_view>

// Reading the numbers of data files. Every number is the float that strtof
// makes of its text, however it is read: a short decimal in a few
// instructions, others by a correctly rounding library parser, and the
// forms that it does not take (a leading '+', hexadecimal, infinities,
// NaNs, values beyond a float's range) by strtof itself.

// The number at `begin`, read as far as it goes: answers where it stops,
// having set `value`, or null where no finite number starts there. The
// caller checks that what follows ends the field.
const char* leadingNumber(const char* begin, const char* end, float& value);

// The whole of [begin, end) as a number, blanks (spaces and tabs) around
// it aside; false where it is not one.
bool parseNumber(const char* begin, const char* end, float& value);
inline bool parseNumber(std::string_view text, float& value) {
  return parseNumber(text.data(), text.data() + text.size(), value);
}

// The shortest text that reads back as `value`, into `buffer`; answers its
// length. Nominal columns key the numbers among their labels by it, so that
// 1 and 1.0 are one label.
constexpr std::size_t shortestTextSize = 32;
std::size_t shortestText(float value, char (&buffer)[shortestTextSize]);
