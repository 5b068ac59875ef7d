#include "tools/common/dot_options.h"

#include <cstdint>

std::optional<std::string> takeMaxDepth(const GivenOption& given, DotDepth& depth) {
  // No tree is deeper: each of its nodes is a line of its file.
  constexpr unsigned long long most = UINT32_MAX;
  const auto number = wholeNumber(given.value.c_str(), 0, most);
  if (!number) return badNumber("depth", given.value, 0, most);
  depth.maxDepth = static_cast<std::size_t>(*number);
  return std::nullopt;
}
