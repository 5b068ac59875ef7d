#pragma once

#include <functional>
#include <iosfwd>

// Writes the text that `writeBody` produces to the named file so that a
// failure never damages what was there before, and answers false when the
// whole text could not be stored.
//
// A regular file, or a name that does not exist yet, gets a temporary file
// beside it that then replaces it, with the old file's permissions, owner
// and group; a symbolic link stays a link and its final target is replaced.
// A file with more than one link, another user's file whose owner the
// replacement could not keep, and a file in a folder where no temporary
// file can be made are written in place, with the space reserved before the
// old text is overwritten. The process's own standard output is printed to,
// with a line end after the text; its own standard input is refused unless
// it is a terminal. Any other kind of file (a device, a FIFO that is being
// read) is written directly; a FIFO that nobody reads fails at once.
bool replaceFile(const char* name, const std::function<void(std::ostream&)>& writeBody);
