#include "tools/common/printable.h"

#include <cctype>

std::string printable(std::string_view text) {
  static const char hex[] = "0123456789abcdef";
  std::string out;
  for (const char c : text) {
    const auto code = static_cast<unsigned char>(c);
    if (std::isprint(code)) {
      out += c;
    } else {
      out += "\\x";
      out += hex[code >> 4];
      out += hex[code & 15];
    }
  }
  return out;
}
