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

// The classic 14 rows of weather, with temperature and humidity as numbers.
inline const std::string weatherNumeric =
    "@relation weather\n@attribute outlook {sunny, overcast, rainy}\n@attribute temperature real\n"
    "@attribute humidity real\n@attribute windy {TRUE, FALSE}\n@attribute play {yes, no}\n@data\n"
    "sunny,85,85,FALSE,no\nsunny,80,90,TRUE,no\novercast,83,86,FALSE,yes\nrainy,70,96,FALSE,yes\n"
    "rainy,68,80,FALSE,yes\nrainy,65,70,TRUE,no\novercast,64,65,TRUE,yes\nsunny,72,95,FALSE,no\n"
    "sunny,69,70,FALSE,yes\nrainy,75,80,FALSE,yes\nsunny,75,70,TRUE,yes\novercast,72,90,TRUE,yes\n"
    "overcast,81,75,FALSE,yes\nrainy,71,91,TRUE,no\n";
