#pragma once

#include <cstddef>
#include <cstdio>
#include <functional>

// A reader of whole records: takes what it can of the text in [begin, end)
// (`last` when no more text follows) and answers where the text it left
// begins, which comes again with more behind it.
using TakeText = std::function<const char*(const char* begin, const char* end, bool last)>;

// Feeds `take` the text of `file` a block at a time, never the whole file;
// a record longer than a block makes the buffer grow to hold it. A read
// that fails throws DataError with the reason, at `line()`, the line where
// the text not taken yet begins: it is never taken for the end of the
// file. A read interrupted by a signal is read again.
void readBlocks(std::FILE* file, const TakeText& take, const std::function<std::size_t()>& line,
                std::size_t blockSize);
