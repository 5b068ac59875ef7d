#pragma once

#include <string_view>

// Stores `text` under `name` so that no failure and no signal leaves less
// than there was before; answers whether the whole text was stored.
//
// A regular file with one link is replaced by a temporary file made beside
// it and renamed over it once the text is whole on the disk, but only where
// the replacement cannot differ from it to the user: it is given the old
// file's owner and group, permissions and extended attributes (ACLs
// included), and where any of that cannot be done, or the rename fails, the
// file is written in place instead. A name that does not exist yet is made
// the same way, with 0666 less the umask; a symbolic link stays a link and
// its final target is replaced.
//
// In place, the space is reserved before the old text is touched, so that a
// full disk or the file size limit fails the save first, and the ending
// signals wait until the new text is whole.
//
// The program's own standard output is printed to, with a line end after the
// text; a terminal is written to as the screen it is; any other of its own
// streams is refused. Other kinds of file (a device, a FIFO that is being
// read) are written directly; a FIFO that nobody reads fails at once.
//
// Throws std::bad_alloc where memory runs out before any file is touched.
bool saveFile(const char* name, std::string_view text);
