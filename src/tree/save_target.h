#pragma once

#include <functional>
#include <iosfwd>

// Writes the text that `writeBody` produces to the named file so that a
// failure never damages what was there before. A regular file, or a name
// that does not exist yet, is written to a temporary file beside it that then
// replaces it; a symbolic link stays a link and its final target is
// replaced. A file that is this process's own standard output is printed to
// it; any other kind of file (a device, a FIFO) is written directly. Answers
// false when the whole text could not be stored.
bool replaceFile(const char* name, const std::function<void(std::ostream&)>& writeBody);
