// Reads arbitrary bytes as a data file, with the options and the block size
// that its first two bytes choose, and checks that what was read is a data
// set the tools can use: every value where it belongs, every nominal value
// one of its labels, every class one of the classes.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "fuzz_check.h"
#include "tools/common/data_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  if (size < 2) return 0;
  DataOptions options;
  options.header = static_cast<HeaderRow>(bytes[0] % 3);
  const char* const classes[] = {"", "1", "2", "a", "class"};
  options.classColumn = classes[(bytes[0] / 3) % 5];
  // Small blocks cut the records at every place.
  const std::size_t block = bytes[1] % 16 == 0 ? dataBlockSize : bytes[1] % 16;
  std::FILE* file = fmemopen(const_cast<std::uint8_t*>(bytes + 2), size - 2, "r");
  FUZZ_CHECK(file != nullptr);
  Dataset data;
  bool read = true;
  try {
    readData(file, data, options, block);
  } catch (const DataError& error) {
    read = false;
    FUZZ_CHECK(error.line >= 1 && !error.reason.empty());
    FUZZ_CHECK(data.size() == 0);
  }
  std::fclose(file);
  if (!read) return 0;
  FUZZ_CHECK(data.size() > 0);
  FUZZ_CHECK(data.values.size() == data.size() * data.width);
  FUZZ_CHECK(data.lines.empty() || data.lines.size() == data.size());
  FUZZ_CHECK(data.attributes.empty() || data.attributes.size() == data.width);
  FUZZ_CHECK(data.classAttribute.labels.size() != 1 && data.classCount() <= maxClasses);
  for (std::size_t row = 0; row < data.size(); ++row) {
    FUZZ_CHECK(data.classes[row] < data.classCount());
    if (row > 0 && !data.lines.empty()) FUZZ_CHECK(data.lines[row] > data.lines[row - 1]);
    for (std::size_t k = 0; k < data.attributes.size(); ++k) {
      const Attribute& attribute = data.attributes[k];
      const float value = data.value(row, k);
      if (attribute.kind == AttributeKind::nominal && !std::isnan(value))
        FUZZ_CHECK(value >= 0 && value == std::floor(value) && value < static_cast<float>(attribute.labels.size()));
    }
  }
  return 0;
}
