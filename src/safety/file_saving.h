#pragma once

#include <string_view>

// Stores `text` under `name` so that no failure and no signal leaves less
// than there was before. Answers 0 when the whole text is stored, or why
// not: the error number of the call that failed, or `refusedOwnStream`.
// The one saving code of every program: the workbench's trees and every
// file that a tool writes.
//
// A regular file with one link is replaced by a temporary file made beside
// it and renamed over it once the text is whole on the disk, but only where
// the replacement cannot differ from it to the user: it is given the old
// file's owner and group, permissions and extended attributes (ACLs
// included). Where no temporary file can be made, any of that cannot be
// given, or the rename is refused (a file mounted on its own), the file is
// written in place instead; a temporary file that cannot be written or
// synced is removed and the save fails. A name that does not exist yet is
// made the same way, with 0666 less the umask; a symbolic link stays a link
// and its final target is saved. The folder is walked once and then worked
// in through a descriptor, so that its path may be of any length.
//
// In place, the old text is read and kept first, and the space for the new
// one reserved, so that a full disk or the file size limit fails the save
// before anything changed; a failure after that writes the old text back.
// The ending signals wait until either text is whole.
//
// The program's own standard output is printed to, with a line end after a
// text that lacks one; a terminal is written to as the screen it is; any
// other of its own streams is refused. Other kinds of file (a device, a FIFO
// that is being read) are written directly; a FIFO that nobody reads fails
// at once.
//
// Throws std::bad_alloc where memory runs out before any file is changed.
inline constexpr int refusedOwnStream = -1;
int saveFile(const char* name, std::string_view text);

// What `saveFile` answered, as a message says it: "No space left on device".
const char* saveFailure(int cause);
