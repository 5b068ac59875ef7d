#pragma once

#include <cstdio>
#include <optional>
#include <string>

// A file that a tool reads whole: the one named, or standard input for the
// name "-", which is left open for the caller. Closed when it goes.
struct InputFile {
  std::FILE* file = nullptr;
  bool owned = false;

  InputFile() = default;
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;
  ~InputFile() {
    if (owned) std::fclose(file);
  }
};

// Opens `name` into `into`, an interrupted open tried again; answers
// "NAME: cannot open: REASON" when it cannot be opened, and nothing else.
std::optional<std::string> openInput(const std::string& name, std::FILE* standardInput, InputFile& into);
