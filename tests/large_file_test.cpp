// Tree files of a hundred megabytes, loaded by the real program: memory
// stays in proportion to the tree, never to the length of a line.
#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "support/program.h"
#include "support/temp_dir.h"
#include "support/text.h"

namespace {

constexpr long hundredMegabytes = 100L << 20;

using File = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

File openFile(const std::string& path, const char* mode) {
  return File(std::fopen(path.c_str(), mode), &std::fclose);
}

// Writes a complete tree of `depth` levels below the root as the writer
// writes it: pre-order, a tab per level, no line end after the last line.
// Its values have at most six significant digits, so they read back
// unchanged. Streamed, so that the test itself stays small.
long writeCompleteTree(const std::string& path, int depth) {
  const File out = openFile(path, "wb");
  struct Pending {
    int depth;
    unsigned index;
  };
  std::vector<Pending> stack{{0, 0}};
  bool first = true;
  while (!stack.empty()) {
    const Pending at = stack.back();
    stack.pop_back();
    if (!first) std::fputc('\n', out.get());
    first = false;
    for (int i = 0; i < at.depth; ++i) std::fputc('\t', out.get());
    if (at.depth == depth) {
      std::fprintf(out.get(), "^Class: %u", at.index & 1U);
      continue;
    }
    std::fprintf(out.get(), ">Pred: <  Case Index: %d  Case Value: %g", at.depth % 3,
                 (at.index % 8000) / 8.0);
    stack.push_back({at.depth + 1, 2 * at.index + 1});
    stack.push_back({at.depth + 1, 2 * at.index});
  }
  return std::ftell(out.get());
}

bool sameContents(const std::string& a, const std::string& b) {
  const File x = openFile(a, "rb");
  const File y = openFile(b, "rb");
  if (!x || !y) return false;
  static char bufferX[65536];
  static char bufferY[65536];
  for (;;) {
    const std::size_t gotX = std::fread(bufferX, 1, sizeof bufferX, x.get());
    const std::size_t gotY = std::fread(bufferY, 1, sizeof bufferY, y.get());
    if (gotX != gotY || std::memcmp(bufferX, bufferY, gotX) != 0) return false;
    if (gotX == 0) return true;
  }
}

// The program starts as a copy of this test process, and its peak resident
// size counts that copy too; so bounds on it are set above our own peak.
long ownPeakKilobytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

}  // namespace

TEST(LargeFiles, AHundredMegabyteLineIsRefusedWithoutBeingReadWhole) {
  const TempDir dir;
  {
    const File out = openFile(dir.file("line.txt"), "wb");
    std::fputs(">Pred: <", out.get());
    static const std::string blanks(1 << 20, ' ');
    for (int i = 0; i < 100; ++i) std::fwrite(blanks.data(), 1, blanks.size(), out.get());
    std::fputs("Case Index: 0\n^\n^", out.get());
  }
  const ProgramRun run = runWithoutTerminal("fl" + dir.file("line.txt") + "\nq");
  EXPECT_TRUE(exitedWithZero(run.status)) << run.status;
  EXPECT_EQ(occurrences(run.output, "Load from: Failed to load."), 1U);
  EXPECT_LT(run.peakKilobytes, ownPeakKilobytes() + 32 * 1024);
}

TEST(LargeFiles, AHundredMegabyteTreeLoadsAndSavesBackByteForByte) {
  const TempDir dir;
  const long size = writeCompleteTree(dir.file("big.txt"), 20);
  ASSERT_GT(size, hundredMegabytes * 9 / 10);
  const ProgramRun run =
      runWithoutTerminal("fl" + dir.file("big.txt") + "\nfs" + dir.file("copy.txt") + "\nq");
  EXPECT_TRUE(exitedWithZero(run.status)) << run.status;
  EXPECT_EQ(occurrences(run.output, "Load from: Tree loaded."), 1U);
  EXPECT_EQ(occurrences(run.output, "Save as: Tree saved."), 1U);
  EXPECT_TRUE(sameContents(dir.file("big.txt"), dir.file("copy.txt")));
  // The tree's nodes take about as much as the file, and the save makes the
  // whole text before it writes; a second copy of either would break this.
  // The address sanitizer's own bookkeeping takes a third more.
#if defined(__SANITIZE_ADDRESS__)
  constexpr long halves = 6;
#else
  constexpr long halves = 5;
#endif
  EXPECT_LT(run.peakKilobytes, ownPeakKilobytes() + halves * size / 2 / 1024) << ownPeakKilobytes();
}

TEST(LargeFiles, ASignalWhileASaveWritesLeavesTheOldTreeOrTheNewOneWhole) {
  // A 3,000-level chain, some 9 MB of text, that takes a while to write.
  const TempDir dir;
  std::string chain;
  for (int level = 0; level < 3000; ++level)
    chain += std::string(static_cast<std::size_t>(level), '\t') + ">Pred: =  Case Index: 0  Case Value: 5\n" +
             std::string(static_cast<std::size_t>(level) + 1, '\t') + "^Class: 0\n";
  writeFile(dir.file("chain.txt"), chain + std::string(3000, '\t') + "^Class: 1");
  const std::string tree = readFile(dir.file("chain.txt"));
  for (const bool inPlace : {true, false}) {
    for (const int signal : {SIGUSR1, SIGTERM}) {
      SCOPED_TRACE(std::string(inPlace ? "in place, " : "by rename, ") + strsignal(signal));
      writeFile(dir.file("tree.txt"), andFile);
      std::filesystem::remove(dir.file("link.txt"));
      if (inPlace) std::filesystem::create_hard_link(dir.file("tree.txt"), dir.file("link.txt"));
      TerminalSession session(dir.path());
      ASSERT_TRUE(session.waitFor("or any other key to create 1 example."));
      session.send("flchain.txt\n");
      ASSERT_TRUE(session.waitFor("Tree loaded."));
      // The signal comes as soon as the save changes a file of the folder:
      // the tree file itself in place, or else the temporary file.
      const int watch = inotify_init1(IN_CLOEXEC);
      ASSERT_GE(inotify_add_watch(watch, dir.path().c_str(), IN_MODIFY), 0);
      session.send("fstree.txt\n");
      alignas(inotify_event) char events[4096];
      ASSERT_GT(read(watch, events, sizeof events), 0);
      session.kill(signal);
      close(watch);
      const int status = session.wait(60000);
      EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
      const std::string saved = readFile(dir.file("tree.txt"));
      EXPECT_TRUE(saved == andFile || saved == tree) << saved.size() << " bytes";
      for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        EXPECT_NE(entry.path().filename().string().front(), '.') << entry.path();
    }
  }
}
