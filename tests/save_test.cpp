#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <thread>

#include "learner/learner.h"
#include "support/program.h"
#include "support/temp_dir.h"
#include "support/text.h"
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
  // The file size limit makes every write past 20 bytes fail, as a full
  // disk would.
  const auto previous = std::signal(SIGXFSZ, SIG_IGN);
  rlimit saved{};
  getrlimit(RLIMIT_FSIZE, &saved);
  const rlimit small{20, saved.rlim_max};
  setrlimit(RLIMIT_FSIZE, &small);
  const bool saved_ok = learner.save(dir.file("old.txt").c_str());
  const bool created = learner.save(dir.file("new.txt").c_str());
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previous);
  EXPECT_FALSE(saved_ok);
  EXPECT_FALSE(created);
  EXPECT_EQ(readFile(dir.file("old.txt")), old);
  EXPECT_FALSE(fileExists(dir.file("new.txt")));
  EXPECT_EQ(entries(), 2U);
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

TEST_F(Save, KeepsThePermissionsOfTheFileItReplaces) {
  writeFile(dir.file("private.txt"), "old");
  chmod(dir.file("private.txt").c_str(), 0640);
  EXPECT_TRUE(learner.save(dir.file("private.txt").c_str()));
  struct stat info {};
  stat(dir.file("private.txt").c_str(), &info);
  EXPECT_EQ(info.st_mode & 07777, 0640U);

  const mode_t mask = umask(022);
  EXPECT_TRUE(learner.save(dir.file("fresh.txt").c_str()));
  umask(mask);
  stat(dir.file("fresh.txt").c_str(), &info);
  EXPECT_EQ(info.st_mode & 07777, 0644U);
}

TEST_F(Save, WritesStraightIntoAFifo) {
  ASSERT_EQ(mkfifo(dir.file("fifo").c_str(), 0600), 0);
  std::string received;
  std::thread reader([&] { received = readFile(dir.file("fifo")); });
  EXPECT_TRUE(learner.save(dir.file("fifo").c_str()));
  reader.join();
  EXPECT_EQ(received, andFile);
}

TEST_F(Save, ChangesNeitherTheTreeNorTheExamples) {
  learner.addExample({1, 1}, 1);
  const TreeNode* before = learner.root.get();
  EXPECT_TRUE(learner.save(dir.file("copy.txt").c_str()));
  EXPECT_EQ(learner.root.get(), before);
  EXPECT_EQ(learner.examples.size(), 1U);
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
  EXPECT_EQ(output, std::string("before ") + andFile);
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
