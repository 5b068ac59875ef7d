#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <istream>

#include "learner/learner.h"
#include "tree/descriptor_io.h"
#include "tree/save_target.h"
#include "tree/tree_file.h"

bool Learner::save(const char* fileName) const {
  // Checked before the file is touched, so that saving nothing never empties
  // a file that held a tree.
  if (fileName == nullptr || !root) return false;
  return replaceFile(fileName, [this](std::ostream& out) { TreeFile::write(root.get(), out); });
}

bool Learner::load(const char* fileName) {
  if (fileName == nullptr) return false;
  // Opened without waiting: a FIFO that nobody writes to reads as empty.
  const int fd = openWithoutWaiting(fileName, O_RDONLY);
  if (fd < 0) return false;
  bool loaded = false;
  struct stat file {};
  // Its own standard output would never end while it waits on it; a
  // terminal there is the keyboard.
  if (fstat(fd, &file) == 0 && (!isOpenAs(STDOUT_FILENO, file) || S_ISCHR(file.st_mode))) {
    try {
      // Inside the guard: the buffer can run out of memory too.
      DescriptorReader buffer(fd);
      std::istream in(&buffer);
      TreeFile::read(root, in);
      loaded = true;
    } catch (...) {
    }
  }
  close(fd);
  return loaded;
}
