#pragma once

#include <cstddef>
#include <string>

// How often `part` occurs in `text`, overlaps included.
inline std::size_t occurrences(const std::string& text, const std::string& part) {
  std::size_t n = 0;
  for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

// The file the writer makes of the tree learnt for two-input and.
inline const char* const andFile =
    ">Pred: =  Case Index: 0  Case Value: 1\n"
    "\t>Pred: =  Case Index: 1  Case Value: 1\n"
    "\t\t^Class: 1\n"
    "\t\t^Class: 0\n"
    "\t^Class: 0";
