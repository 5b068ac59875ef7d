#include <fstream>

#include "learner/learner.h"
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
  try {
    // Inside the guard: the stream's buffer can run out of memory too.
    std::ifstream in(fileName);
    if (!in.is_open()) return false;
    TreeFile::read(root, in);
  } catch (...) {
    return false;
  }
  return true;
}
