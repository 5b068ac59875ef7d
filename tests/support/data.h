#pragma once

#include <cstdio>
#include <string>

#include "tools/common/data_file.h"
#include "tools/common/dataset.h"

// The data of `text`, read as a data file is read; a test that needs the
// refusal reads the file itself.
inline Dataset datasetOf(const std::string& text) {
  std::FILE* file = std::tmpfile();
  std::fputs(text.c_str(), file);
  std::rewind(file);
  Dataset data;
  readData(file, data);
  std::fclose(file);
  return data;
}
