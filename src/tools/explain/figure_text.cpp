#include "tools/explain/figure_text.h"

#include <cstdio>

#include "tools/common/node_text.h"

std::string nine(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.9g", value);
  return text;
}

std::string counted(std::uint64_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

std::string examples(std::uint64_t count) { return counted(count, "example", "examples"); }

std::string setText(std::uint64_t count, const ClassTally& classes, const DataNames& names) {
  return examples(count) + ", " + std::to_string(classes[0]) + " of " + className(0, names) + " and " +
         std::to_string(classes[1]) + " of " + className(1, names);
}
