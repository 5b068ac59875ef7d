#include "tools/textbook/textbook_options.h"

#include <cstdlib>

#include "tools/common/command_line.h"
#include "tools/common/printable.h"

std::optional<std::string> readConfidence(const std::string& text, TextbookOptions& options) {
  const char* start = text.c_str();
  char* end = nullptr;
  const double value = std::strtod(start, &end);
  // Digits and a point only, as "0.25": no sign, exponent, blank or word.
  const bool plain = !text.empty() && text.find_first_not_of("0123456789.") == std::string::npos;
  if (!plain || end != start + text.size() || !validConfidence(value))
    return "bad confidence '" + printable(text) + "': give a number above 0 and at most 0.5";
  options.confidence = value;
  return std::nullopt;
}

std::optional<std::string> readMinLeaf(const std::string& text, TextbookOptions& options) {
  const auto m = wholeNumber(text.c_str(), 1, 1000000);
  if (!m) return badNumber("minimum", text, 1, 1000000);
  options.minLeaf = static_cast<std::uint32_t>(*m);
  return std::nullopt;
}
