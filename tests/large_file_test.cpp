// Tree files of a hundred megabytes, loaded by the real program: memory
// stays in proportion to the tree, never to the length of a line.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "support/program.h"
#include "support/temp_dir.h"
#include "support/text.h"

namespace {

constexpr std::size_t hundredMegabytes = 100U << 20U;

// A complete tree of `depth` levels below the root, as the writer writes it:
// pre-order, a tab per level, no line end after the last line. Its values
// have at most six significant digits, so they read back unchanged.
std::string completeTree(int depth) {
  std::string text;
  struct Pending {
    int depth;
    unsigned index;
  };
  std::vector<Pending> stack{{0, 0}};
  while (!stack.empty()) {
    const Pending at = stack.back();
    stack.pop_back();
    if (!text.empty()) text += '\n';
    text.append(static_cast<std::size_t>(at.depth), '\t');
    if (at.depth == depth) {
      text += "^Class: " + std::to_string(at.index & 1U);
      continue;
    }
    char value[32];
    std::snprintf(value, sizeof value, "%g", (at.index % 8000) / 8.0);
    text += ">Pred: <  Case Index: " + std::to_string(at.depth % 3) + "  Case Value: " + value;
    stack.push_back({at.depth + 1, 2 * at.index + 1});
    stack.push_back({at.depth + 1, 2 * at.index});
  }
  return text;
}

}  // namespace

TEST(LargeFiles, AHundredMegabyteLineIsRefusedWithoutBeingReadWhole) {
  const TempDir dir;
  writeFile(dir.file("line.txt"), ">Pred: <" + std::string(hundredMegabytes, ' ') + "Case Index: 0\n^\n^");
  const ProgramRun run = runWithoutTerminal("fl" + dir.file("line.txt") + "\nq");
  EXPECT_TRUE(exitedWithZero(run.status)) << run.status;
  EXPECT_EQ(occurrences(run.output, "Load from: Failed to load."), 1U);
  EXPECT_LT(run.peakKilobytes, 32 * 1024);
}

TEST(LargeFiles, AHundredMegabyteTreeLoadsAndSavesBackByteForByte) {
  const TempDir dir;
  const std::string text = completeTree(20);
  ASSERT_GT(text.size(), hundredMegabytes * 9 / 10);
  writeFile(dir.file("big.txt"), text);
  const ProgramRun run =
      runWithoutTerminal("fl" + dir.file("big.txt") + "\nfs" + dir.file("copy.txt") + "\nq");
  EXPECT_TRUE(exitedWithZero(run.status)) << run.status;
  EXPECT_EQ(occurrences(run.output, "Load from: Tree loaded."), 1U);
  EXPECT_EQ(occurrences(run.output, "Save as: Tree saved."), 1U);
  EXPECT_TRUE(readFile(dir.file("copy.txt")) == text);
  // The tree's nodes take about as much as the file; holding the file's
  // text besides them would pass this.
  EXPECT_LT(static_cast<std::size_t>(run.peakKilobytes) * 1024, 2 * text.size());
}
