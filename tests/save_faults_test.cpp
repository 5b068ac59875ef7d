// Saves and loads whose file calls fail as a failing disk's do, through the
// seam of the core's file calls: what each answers and what it leaves.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "learner/learner.h"
#include "safety/file_saving.h"
#include "support/file_faults.h"
#include "support/temp_dir.h"
#include "support/text.h"
#include "support/view.h"

namespace {

ino_t inodeOf(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 ? info.st_ino : 0;
}

bool holdsHiddenFiles(const std::string& folder) {
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    if (entry.path().filename().string().front() == '.') return true;
  return false;
}

int savedUnder(const Fault& fault, const std::string& file, const std::string& text) {
  const FaultsInjected faults(failing({fault}));
  return saveFile(file.c_str(), text);
}

}  // namespace

// A file with a second name is written in place. Each call failing once,
// over an old text shorter and one longer than the new: the old text goes
// back byte for byte. Interrupted, each is made again.
TEST(SaveFaults, AnInPlaceSaveThatFailsLeavesTheOldFileByteForByte) {
  const TempDir dir;
  const std::string file = dir.file("tree.txt");
  const std::string text(2000, 't');
  const Fault failures[] = {{FileCall::read, 1, EIO},    {FileCall::allocate, 1, ENOSPC},
                            {FileCall::seek, 1, EIO},    {FileCall::write, 1, EIO},
                            {FileCall::truncate, 1, EIO}, {FileCall::sync, 1, EIO}};
  for (const std::string& old : {std::string("old"), std::string(4000, 'o')}) {
    for (const Fault& fault : failures) {
      for (const int error : {fault.error, EINTR}) {
        SCOPED_TRACE(std::to_string(static_cast<int>(fault.call)) + ", " + std::strerror(error) + ", old " +
                     std::to_string(old.size()));
        std::filesystem::remove(dir.file("link.txt"));
        writeFile(file, old);
        ASSERT_EQ(link(file.c_str(), dir.file("link.txt").c_str()), 0);
        const int answer = savedUnder({fault.call, fault.nth, error}, file, text);
        EXPECT_EQ(answer, error == EINTR ? 0 : error);
        EXPECT_EQ(readFile(file), error == EINTR ? text : old);
        EXPECT_EQ(readFile(dir.file("link.txt")), readFile(file));
      }
    }
  }
}

// A file with one name is replaced by a temporary file, and written in
// place only where the rename is refused; a temporary file that cannot be
// written goes, and the old file stays.
TEST(SaveFaults, TheRenamePathWritesInPlaceOnlyWhereTheRenameIsRefused) {
  const TempDir dir;
  const std::string file = dir.file("tree.txt");
  const struct {
    Fault fault;
    Fault also;
    bool saved;
    bool inPlace;
  } cases[] = {
      {{FileCall::write, 1, EIO}, {}, false, false},
      {{FileCall::write, 1, ENOSPC}, {}, false, false},
      {{FileCall::sync, 1, EIO}, {}, false, false},
      {{FileCall::close, 2, EIO}, {}, false, false},
      {{FileCall::rename, 1, EIO}, {}, false, false},
      {{FileCall::rename, 1, EBUSY}, {}, true, true},
      {{FileCall::rename, 1, EXDEV}, {FileCall::unlink, 1, EINTR}, true, true},
      {{FileCall::open, 1, EINTR}, {FileCall::other, 1, EINTR}, true, false},
      {{FileCall::open, 2, EINTR}, {FileCall::rename, 1, EINTR}, true, false},
      {{FileCall::write, 1, EINTR}, {FileCall::sync, 1, EINTR}, true, false},
      {{FileCall::close, 2, EINTR}, {}, true, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(static_cast<int>(c.fault.call)) + " " + std::strerror(c.fault.error));
    writeFile(file, "old");
    const ino_t inode = inodeOf(file);
    int answer = 0;
    {
      const FaultsInjected faults(failing({c.fault, c.also}));
      answer = saveFile(file.c_str(), "new");
    }
    EXPECT_EQ(answer == 0, c.saved);
    EXPECT_EQ(readFile(file), c.saved ? "new" : "old");
    EXPECT_EQ(inodeOf(file) == inode, !c.saved || c.inPlace);
    EXPECT_FALSE(holdsHiddenFiles(dir.path()));
  }
}

// A tree whose last line crosses the first block read: cut there, its last
// leaf would read as class 0 and the tree as complete.
TEST(ReadFaults, AReadThatFailsIsAFailureAndNeverTheEndOfTheFile) {
  const TempDir dir;
  const std::string file = dir.file("tree.txt");
  std::string tree = ">Pred: =  Case Index: 0  Case Value: 1\n\t^Class: 0\n";
  std::size_t lines = 3;
  for (; tree.size() < 65536 - 3 - 100; ++lines) tree += std::string(99, '#') + "\n";
  tree += std::string(65536 - 3 - tree.size() - 1, '#') + "\n\t^Class: 1";
  writeFile(file, tree);
  const std::string last = "line " + std::to_string(lines + 1);
  const struct {
    Fault fault;
    bool read;
    std::string viewError;
  } cases[] = {
      {{FileCall::read, 2, EIO}, false, last + ": read failed: Input/output error"},
      {{FileCall::read, 1, EIO}, false, "line 1: read failed: Input/output error"},
      {{FileCall::read, 2, EINTR}, true, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.viewError);
    Learner learner;
    learner.addExample({1}, 0);
    learner.learn();
    bool loaded = false;
    ViewRun view;
    {
      const FaultsInjected faults(failing({c.fault}));
      loaded = learner.load(file.c_str());
    }
    {
      const FaultsInjected faults(failing({c.fault}));
      view = runView({"--ascii", file});
    }
    EXPECT_EQ(loaded, c.read);
    EXPECT_EQ(learner.classify(std::vector<float>{0.0F}), c.read ? 1 : 0);
    EXPECT_EQ(view.status, c.read ? 0 : 1);
    EXPECT_EQ(view.err, c.read ? "" : "treebench-view: " + file + ": " + c.viewError + "\n");
  }
}
