#include "tools/common/share_text.h"

std::string shareText(std::uint64_t part, std::uint64_t whole) {
  constexpr std::uint64_t scale = 1000000;
  // In whole numbers, so that 0.5 of a millionth always rounds up. The rows
  // and runs counted stay far below the 2^42 at which part × 2 × scale
  // would overflow.
  const std::uint64_t millionths = (2 * part * scale + whole) / (2 * whole);
  std::string text = std::to_string(millionths / scale);
  std::uint64_t fraction = millionths % scale;
  if (fraction == 0) return text;
  int digits = 6;
  for (; fraction % 10 == 0; fraction /= 10) --digits;
  const std::string written = std::to_string(fraction);
  return text + "." + std::string(static_cast<std::size_t>(digits) - written.size(), '0') + written;
}
