#pragma once

#include <cstddef>
#include <string>

// Why a data file was refused: the line (from 1) and what was wrong there.
struct DataError {
  std::size_t line = 0;
  std::string reason;
};
