#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/inotify.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>

#include "learner/learner.h"
#include "support/program.h"
#include "support/temp_dir.h"
#include "support/text.h"
#include "tree/save_target.h"
#include "tree/tree_file.h"

namespace {

struct Save : ::testing::Test {
  TempDir dir;
  Learner learner;

  void SetUp() override {
    writeFile(dir.file("and.txt"), andFile);
    ASSERT_TRUE(learner.load(dir.file("and.txt").c_str()));
  }

  std::size_t entries() const {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(dir.path()),
                                                  std::filesystem::directory_iterator()));
  }
};

using Load = Save;

// Runs `operation` in a child process and tells how it ended: "true" or
// "false" for its answer, "signal N" or "exit N" otherwise. An operation that
// hangs is ended by SIGALRM, so that the test fails instead of stalling.
std::string inChild(const std::function<bool()>& operation) {
  const pid_t pid = fork();
  if (pid == 0) {
    const rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
    alarm(10);
    _exit(operation() ? 0 : 1);
  }
  int status = 0;
  if (pid < 0 || waitpid(pid, &status, 0) != pid) return "not started";
  if (WIFSIGNALED(status)) return "signal " + std::to_string(WTERMSIG(status));
  if (WEXITSTATUS(status) > 1) return "exit " + std::to_string(WEXITSTATUS(status));
  return WEXITSTATUS(status) == 0 ? "true" : "false";
}

// What a descriptor opened without blocking holds now.
std::string readWaiting(int fd) {
  std::string text;
  char buffer[4096];
  for (ssize_t got = 0; (got = read(fd, buffer, sizeof buffer)) > 0;)
    text.append(buffer, static_cast<std::size_t>(got));
  return text;
}

ino_t inodeOf(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 ? info.st_ino : 0;
}

}  // namespace

TEST_F(Save, WritesTheTreeAndLeavesNothingElseBehind) {
  EXPECT_TRUE(learner.save(dir.file("copy.txt").c_str()));
  EXPECT_EQ(readFile(dir.file("copy.txt")), andFile);
  writeFile(dir.file("old.txt"), "an older and much longer text than the tree that replaces it ...........");
  EXPECT_TRUE(learner.save(dir.file("old.txt").c_str()));
  EXPECT_EQ(readFile(dir.file("old.txt")), andFile);
  EXPECT_EQ(entries(), 3U);
}

TEST_F(Save, WithNoTreeFailsWithoutTouchingTheFile) {
  Learner empty;
  EXPECT_FALSE(empty.save(dir.file("and.txt").c_str()));
  EXPECT_EQ(readFile(dir.file("and.txt")), andFile);
  EXPECT_FALSE(empty.save(dir.file("new.txt").c_str()));
  EXPECT_FALSE(fileExists(dir.file("new.txt")));
  EXPECT_FALSE(learner.save(nullptr));
  EXPECT_FALSE(learner.save(""));
}

TEST_F(Save, FailsForAFolderThatDoesNotExist) {
  EXPECT_FALSE(learner.save(dir.file("missing/tree.txt").c_str()));
  EXPECT_FALSE(fileExists(dir.file("missing")));
  EXPECT_FALSE(learner.save(dir.file("and.txt/tree.txt").c_str()));
  EXPECT_FALSE(learner.save(dir.path().c_str()));
  EXPECT_EQ(entries(), 1U);
}

TEST_F(Save, FailsWhenTheDeviceIsFull) { EXPECT_FALSE(learner.save("/dev/full")); }

TEST_F(Save, AFailedWriteKeepsTheOldFileWhole) {
  const std::string old(4000, 'x');
  writeFile(dir.file("old.txt"), old);
  // Files with a second link are written in place: shorter and longer than
  // the tree.
  writeFile(dir.file("short.txt"), "old");
  writeFile(dir.file("long.txt"), old);
  ASSERT_EQ(link(dir.file("short.txt").c_str(), dir.file("short-link.txt").c_str()), 0);
  ASSERT_EQ(link(dir.file("long.txt").c_str(), dir.file("long-link.txt").c_str()), 0);
  // The file size limit makes every write past 20 bytes fail, as a full
  // disk would.
  const auto previous = std::signal(SIGXFSZ, SIG_IGN);
  rlimit saved{};
  getrlimit(RLIMIT_FSIZE, &saved);
  const rlimit small{20, saved.rlim_max};
  setrlimit(RLIMIT_FSIZE, &small);
  const bool saved_ok = learner.save(dir.file("old.txt").c_str());
  const bool created = learner.save(dir.file("new.txt").c_str());
  const bool shortSaved = learner.save(dir.file("short.txt").c_str());
  const bool longSaved = learner.save(dir.file("long.txt").c_str());
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previous);
  EXPECT_FALSE(saved_ok);
  EXPECT_FALSE(created);
  EXPECT_FALSE(shortSaved);
  EXPECT_FALSE(longSaved);
  EXPECT_EQ(readFile(dir.file("old.txt")), old);
  EXPECT_EQ(readFile(dir.file("short.txt")), "old");
  EXPECT_EQ(readFile(dir.file("long.txt")), old);
  EXPECT_FALSE(fileExists(dir.file("new.txt")));
  EXPECT_EQ(entries(), 6U);
}

TEST_F(Save, AFullDiskFailsAnInPlaceSaveBeforeItTouchesTheFile) {
  // A tree of several pages, so that writing it over a one-page file needs
  // more space than is left.
  std::string chain;
  for (int i = 0; i < 100; ++i) chain += ">Pred: =  Case Index: 0  Case Value: 5\n^Class: 0\n";
  writeFile(dir.file("chain.txt"), chain + "^Class: 1");
  ASSERT_TRUE(mkdir(dir.file("small").c_str(), 0700) == 0);
  const std::string tree = dir.file("small/tree.txt");
  // In a mount namespace of its own, so that the small disk is the child's.
  const std::string outcome = inChild([&] {
    if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        mount("none", dir.file("small").c_str(), "tmpfs", 0, "size=64k") != 0)
      _exit(3);
    writeFile(tree, "old");
    if (link(tree.c_str(), dir.file("small/link.txt").c_str()) != 0 ||
        !learner.load(dir.file("chain.txt").c_str()))
      _exit(4);
    const int filler = open(dir.file("small/filler").c_str(), O_WRONLY | O_CREAT, 0600);
    const std::string page(4096, 'f');
    while (write(filler, page.data(), page.size()) > 0) {
    }
    close(filler);
    return !learner.save(tree.c_str()) && readFile(tree) == "old";
  });
  if (outcome == "exit 3") GTEST_SKIP() << "cannot mount a small file system here";
  EXPECT_EQ(outcome, "true");
}

TEST_F(Save, ReplacesTheTargetOfASymbolicLinkAndKeepsTheLink) {
  writeFile(dir.file("target.txt"), "old");
  ASSERT_EQ(symlink("target.txt", dir.file("link.txt").c_str()), 0);
  EXPECT_TRUE(learner.save(dir.file("link.txt").c_str()));
  EXPECT_TRUE(std::filesystem::is_symlink(dir.file("link.txt")));
  EXPECT_EQ(readFile(dir.file("target.txt")), andFile);

  ASSERT_EQ(symlink("sub/../later.txt", dir.file("dangling.txt").c_str()), 0);
  std::filesystem::create_directory(dir.file("sub"));
  EXPECT_TRUE(learner.save(dir.file("dangling.txt").c_str()));
  EXPECT_TRUE(std::filesystem::is_symlink(dir.file("dangling.txt")));
  EXPECT_EQ(readFile(dir.file("later.txt")), andFile);
}

TEST_F(Save, KeepsThePermissionsAndTheHardLinksOfTheFileItReplaces) {
  writeFile(dir.file("private.txt"), "old");
  chmod(dir.file("private.txt").c_str(), 0640);
  EXPECT_TRUE(learner.save(dir.file("private.txt").c_str()));
  struct stat info {};
  stat(dir.file("private.txt").c_str(), &info);
  EXPECT_EQ(info.st_mode & 07777, 0640U);

  // Every name of a linked file shows the tree: it is written in place.
  writeFile(dir.file("linked.txt"),
            "an older text, longer than the tree that replaces it" + std::string(200, '.'));
  ASSERT_EQ(link(dir.file("linked.txt").c_str(), dir.file("other-name.txt").c_str()), 0);
  const ino_t inode = inodeOf(dir.file("linked.txt"));
  EXPECT_TRUE(learner.save(dir.file("linked.txt").c_str()));
  EXPECT_EQ(inodeOf(dir.file("linked.txt")), inode);
  EXPECT_EQ(readFile(dir.file("other-name.txt")), andFile);

  const mode_t mask = umask(022);
  EXPECT_TRUE(learner.save(dir.file("fresh.txt").c_str()));
  umask(mask);
  stat(dir.file("fresh.txt").c_str(), &info);
  EXPECT_EQ(info.st_mode & 07777, 0644U);
}

TEST_F(Save, GivesTheNewFileTheOwnerOfTheOldOne) {
  if (geteuid() != 0) GTEST_SKIP() << "only root can make a file that another user owns";
  writeFile(dir.file("theirs.txt"), "old");
  ASSERT_EQ(chown(dir.file("theirs.txt").c_str(), 65534, 65534), 0);
  EXPECT_TRUE(learner.save(dir.file("theirs.txt").c_str()));
  struct stat info {};
  stat(dir.file("theirs.txt").c_str(), &info);
  EXPECT_EQ(info.st_uid, 65534U);
  EXPECT_EQ(info.st_gid, 65534U);
  EXPECT_EQ(readFile(dir.file("theirs.txt")), andFile);
}

TEST_F(Save, OpensTheTemporaryFileOnlyToCreateIt) {
  // Whoever owns the folder could swap the file before it was opened again.
  writeFile(dir.file("old.txt"), "old");
  const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  ASSERT_GE(watch, 0);
  // Closes are watched too: the system merges an event with the same one
  // just before it.
  ASSERT_GE(inotify_add_watch(watch, dir.path().c_str(), IN_OPEN | IN_CLOSE), 0);
  EXPECT_TRUE(learner.save(dir.file("old.txt").c_str()));
  const std::string events = readWaiting(watch);
  close(watch);
  std::size_t hiddenOpens = 0;
  for (std::size_t at = 0; at + sizeof(inotify_event) <= events.size();) {
    inotify_event event{};
    std::memcpy(&event, events.data() + at, sizeof event);
    if ((event.mask & IN_OPEN) != 0 && event.len > 0 && events[at + sizeof event] == '.') ++hiddenOpens;
    at += sizeof event + event.len;
  }
  EXPECT_EQ(hiddenOpens, 1U);
  EXPECT_EQ(readFile(dir.file("old.txt")), andFile);
}

TEST_F(Save, WritesIntoAFifoOnlyWhileItIsRead) {
  const std::string fifo = dir.file("fifo");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  ASSERT_GE(reader, 0);
  EXPECT_TRUE(learner.save(fifo.c_str()));
  EXPECT_EQ(readWaiting(reader), andFile);
  close(reader);

  EXPECT_EQ(inChild([&] { return learner.save(fifo.c_str()); }), "false");
  // A reader that goes away during the save fails it, and ends nothing.
  EXPECT_EQ(inChild([&] {
              const int leaving = open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
              return replaceFile(fifo.c_str(), [leaving](std::ostream& out) {
                close(leaving);
                out << andFile;
              });
            }),
            "false");
}

TEST_F(Load, NeverWaitsForAWriterThatIsNotThere) {
  const std::string fifo = dir.file("fifo");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(inChild([&] { return learner.load(fifo.c_str()); }), "false");

  // The reader keeps what was written after the writer has gone.
  const int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  const int writer = open(fifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
  writeAll(writer, "^Class: 0");
  close(writer);
  EXPECT_EQ(inChild([&] {
              Learner fresh;
              return fresh.load(fifo.c_str()) && fresh.classify({}) == 0;
            }),
            "true");
  close(reader);

  // Its own output would never end while it waits on it.
  int output[2];
  ASSERT_EQ(pipe2(output, O_CLOEXEC), 0);
  EXPECT_EQ(inChild([&] {
              dup2(output[1], STDOUT_FILENO);
              return learner.load("/dev/stdout");
            }),
            "false");
  close(output[0]);
  close(output[1]);
}

TEST_F(Save, RefusesToWriteIntoItsOwnStandardInput) {
  writeFile(dir.file("keys.txt"), "keys");
  int keys[2];
  ASSERT_EQ(pipe2(keys, O_CLOEXEC | O_NONBLOCK), 0);
  EXPECT_EQ(inChild([&] {
              dup2(keys[0], STDIN_FILENO);
              return learner.save("/dev/stdin");
            }),
            "false");
  EXPECT_EQ(readWaiting(keys[0]), "");
  close(keys[0]);
  close(keys[1]);
  for (const char* name : {"/dev/stdin", "keys.txt"}) {
    EXPECT_EQ(inChild([&] {
                const int file = open(dir.file("keys.txt").c_str(), O_RDONLY);
                dup2(file, STDIN_FILENO);
                return learner.save(*name == '/' ? name : dir.file(name).c_str());
              }),
              "false")
        << name;
  }
  EXPECT_EQ(readFile(dir.file("keys.txt")), "keys");
}

namespace {
void exitWithSeven(int) { _exit(7); }
}  // namespace

TEST_F(Save, ASignalDuringASaveRemovesTheTemporaryFileAndActsAsBefore) {
  writeFile(dir.file("old.txt"), "old");
  // The signal comes when part of the tree is in the temporary file.
  const auto savingUntil = [&](int signal) {
    return replaceFile(dir.file("old.txt").c_str(), [signal](std::ostream& out) {
      out << "^Cla" << std::flush;
      std::raise(signal);
      out << "ss: 1";
    });
  };
  for (const int signal : {SIGHUP, SIGINT, SIGQUIT, SIGTERM})
    EXPECT_EQ(inChild([&] { return savingUntil(signal); }), "signal " + std::to_string(signal));
  // A handler that was there, as at a terminal, still gets the signal.
  EXPECT_EQ(inChild([&] {
              std::signal(SIGTERM, exitWithSeven);
              return savingUntil(SIGTERM);
            }),
            "exit 7");
  EXPECT_EQ(readFile(dir.file("old.txt")), "old");
  EXPECT_EQ(entries(), 2U);
  // An ignored signal, as under nohup, stays ignored.
  EXPECT_EQ(inChild([&] {
              std::signal(SIGHUP, SIG_IGN);
              return savingUntil(SIGHUP);
            }),
            "true");
  EXPECT_EQ(readFile(dir.file("old.txt")), "^Class: 1");
  EXPECT_EQ(entries(), 2U);
}

TEST_F(Save, PrintsToItsOwnStandardOutputRatherThanReplacingIt) {
  // Captured output goes to a regular file; replacing that file would lose
  // what was printed before the save.
  ::testing::internal::CaptureStdout();
  std::printf("before ");
  std::fflush(stdout);
  const bool saved = learner.save("/dev/stdout");
  const std::string output = ::testing::internal::GetCapturedStdout();
  EXPECT_TRUE(saved);
  // A line end keeps the tree off the message printed after it.
  EXPECT_EQ(output, std::string("before ") + andFile + "\n");
}
