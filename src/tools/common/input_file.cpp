#include "tools/common/input_file.h"

#include <cerrno>
#include <cstring>

#include "tools/common/printable.h"

std::optional<std::string> openInput(const std::string& name, std::FILE* standardInput, InputFile& into) {
  if (name == "-") {
    into.file = standardInput;
    return std::nullopt;
  }
  do {
    errno = 0;
    into.file = std::fopen(name.c_str(), "r");
  } while (into.file == nullptr && errno == EINTR);
  if (into.file == nullptr) return printable(name) + ": cannot open: " + std::strerror(errno);
  into.owned = true;
  return std::nullopt;
}
