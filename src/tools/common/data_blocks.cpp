#include "tools/common/data_blocks.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "tools/common/data_error.h"

namespace {

// Fills [buffer, buffer + size) as far as the file goes; `ended` when the
// file ended on the way. A read that fails leaves its cause in `failure`,
// after what was read before it.
std::size_t readSome(std::FILE* file, char* buffer, std::size_t size, bool& ended, int& failure) {
  std::size_t got = 0;
  while (got < size) {
    errno = 0;
    got += std::fread(buffer + got, 1, size - got, file);
    if (got == size) break;
    if (std::ferror(file) == 0) {
      ended = true;
      break;
    }
    if (errno != EINTR) {
      failure = errno;
      break;
    }
    std::clearerr(file);
  }
  return got;
}

}  // namespace

void readBlocks(std::FILE* file, const TakeText& take, const std::function<std::size_t()>& line,
                std::size_t blockSize) {
  std::size_t capacity = std::max<std::size_t>(blockSize, 1);
  std::unique_ptr<char[]> buffer(new char[capacity]);
  std::size_t held = 0;  // text not taken yet, at the front of the buffer
  for (bool ended = false; !ended;) {
    if (held == capacity) {
      // A record longer than the buffer: it must be held whole to be read.
      try {
        std::unique_ptr<char[]> larger(new char[2 * capacity]);
        std::memcpy(larger.get(), buffer.get(), held);
        buffer = std::move(larger);
        capacity *= 2;
      } catch (const std::bad_alloc&) {
        throw DataError{line(), "the line is too long to be held in memory"};
      }
    }
    int failure = 0;
    const std::size_t got = readSome(file, buffer.get() + held, capacity - held, ended, failure);
    const char* const end = buffer.get() + held + got;
    const char* const rest = take(buffer.get(), end, ended);
    // Named at the first line not read whole.
    if (failure != 0) throw DataError{line(), std::string("read failed: ") + std::strerror(failure)};
    held = static_cast<std::size_t>(end - rest);
    std::memmove(buffer.get(), rest, held);
  }
}
