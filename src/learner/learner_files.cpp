#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <istream>
#include <new>

#include "learner/learner.h"
#include "safety/file_access.h"
#include "safety/file_calls.h"
#include "safety/file_saving.h"
#include "tree/tree_file.h"

bool Learner::save(const char* fileName) const {
  // Checked before the file is touched, so that saving nothing never empties
  // a file that held a tree.
  if (fileName == nullptr || !root) return false;
  try {
    // Whole before anything is written, so that running out of memory
    // leaves every file as it was.
    return saveFile(fileName, TreeFile::text(*root)) == 0;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

bool Learner::load(const char* fileName) {
  if (fileName == nullptr) return false;
  // Opened without waiting: a FIFO that nobody writes to reads as empty.
  const int fd = openWithoutWaiting(AT_FDCWD, fileName, O_RDONLY);
  if (fd < 0) return false;
  bool loaded = false;
  struct stat file {};
  // Read as a tree, its own input would lose keys, and its own output, or a
  // pipe that only the program itself writes, would be waited on for ever.
  if (retried(FileCall::other, [&] { return fstat(fd, &file); }) == 0 &&
      ownStreamOf(file) == OwnStream::none) {
    try {
      // Inside the guard: the buffer can run out of memory too.
      DescriptorReader buffer(fd);
      std::istream in(&buffer);
      TreeFile::read(root, in);
      loaded = true;
      // A file that holds no tree, a read that failed, or memory that ran
      // out. Any other error is a fault of the program, not a failed load.
    } catch (const TreeFileError&) {
    } catch (const std::bad_alloc&) {
    }
  }
  closeFile(fd);
  return loaded;
}
