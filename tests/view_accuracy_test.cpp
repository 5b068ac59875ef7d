// The viewer's test of a tree on the rows of a CSV file, and the way the
// tools write a share.
#include <gtest/gtest.h>

#include <array>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "support/temp_dir.h"
#include "support/text.h"
#include "support/view.h"
#include "tools/common/share_text.h"
#include "tools/view/tree_accuracy.h"
#include "tree/tree_file.h"

namespace {

std::unique_ptr<TreeNode> treeOf(const std::string& text) {
  std::unique_ptr<TreeNode> tree;
  std::istringstream in(text);
  TreeFile::read(tree, in);
  return tree;
}

// The rows of a headerless file: their width, values and classes.
struct Rows {
  std::size_t width;
  std::vector<float> values;
  std::vector<std::uint8_t> classes;

  Dataset data() const {
    Dataset data;
    data.width = width;
    data.values = values;
    data.classes = classes;
    return data;
  }
};

}  // namespace

TEST(TreeAccuracy, CountsClassAgainstAnswerAndKeepsTheFirstWrongRows) {
  using Counts = std::array<std::array<std::size_t, 3>, 2>;
  // (line, class, answer) of each wrong row kept.
  using Wrong = std::vector<std::tuple<std::size_t, int, int>>;
  // Each keeps at most two wrong rows.
  const struct {
    const char* what;
    std::string tree;
    Rows rows;
    Counts counts;
    Wrong wrong;
  } cases[] = {
      {"all right", andFile, {2, {0, 0, 1, 1, 1, 0}, {0, 1, 0}}, {{{2, 0, 0}, {0, 1, 0}}}, {}},
      {"some wrong",
       andFile,
       {2, {1, 1, 0, 1, 1, 1}, {0, 1, 1}},
       {{{0, 1, 0}, {1, 1, 0}}},
       {{1, 0, 1}, {2, 1, 0}}},
      // x3 = 0 holds for no row of two values: the missing value is NaN.
      {"beyond",
       ">Pred: =  Case Index: 2  Case Value: 0\n^Class: 1\n^Class: 0",
       {2, {0, 0, 0, 0}, {0, 1}},
       {{{1, 0, 0}, {1, 0, 0}}},
       {{2, 1, 0}}},
      {"cut", "^Class: 1", {1, {0, 0, 0}, {0, 0, 0}}, {{{0, 3, 0}, {0, 0, 0}}}, {{1, 0, 1}, {2, 0, 1}}},
      {"neither 0 nor 1", "^Class: 2", {1, {0, 0}, {0, 1}}, {{{0, 0, 1}, {0, 0, 1}}}, {{1, 0, 2}, {2, 1, 2}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const Accuracy accuracy = measureAccuracy(*treeOf(c.tree), c.rows.data(), 2);
    EXPECT_EQ(accuracy.rows, c.rows.classes.size());
    EXPECT_EQ(accuracy.counts, c.counts);
    Wrong wrong;
    for (const WrongRow& row : accuracy.firstWrong) wrong.emplace_back(row.line, row.classValue, row.answer);
    EXPECT_EQ(wrong, c.wrong);
  }
}

TEST(ShareText, RoundsHalfUpToSixDigitsWithoutTrailingZeros) {
  const struct {
    std::uint64_t part, whole;
    const char* text;
  } shares[] = {{0, 5, "0"},        {5, 5, "1"},        {1, 8, "0.125"},
                {1, 3, "0.333333"}, {2, 3, "0.666667"}, {1, 2000000, "0.000001"},
                {1, 2000001, "0"}};
  for (const auto& s : shares) EXPECT_EQ(shareText(s.part, s.whole), s.text) << s.part << '/' << s.whole;
}

TEST(ViewTest, PrintsTheRowsRightTheTableAndTheFirstWrongRows) {
  const TempDir dir;
  writeFile(dir.file("and.txt"), andFile);
  const ViewRun run = runView({"--test", "-", dir.file("and.txt")},
                              "0.5,1,1\n0,0,1\n0,1,1\n1,1,1\n1,0,1\n0,0,0\n1,1,0\n0,1,1\n");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out,
            "2 of 8 rows right (share 0.25).\n"
            "\n"
            "         answer 0  answer 1\n"
            "class 0         1         1\n"
            "class 1         5         1\n"
            "\n"
            "Wrong rows, the first 5 of 6:\n"
            "line 1: 0.5,1 is class 1, answered 0\n"
            "line 2: 0,0 is class 1, answered 0\n"
            "line 3: 0,1 is class 1, answered 0\n"
            "line 5: 1,0 is class 1, answered 0\n"
            "line 7: 1,1 is class 0, answered 1\n");
  const ViewRun refused = runView({"--test=-", dir.file("and.txt")}, "0,0,1\n0,1,2\n");
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(refused.out, "");
  EXPECT_EQ(refused.err, "treebench-view: -:2: the class is neither 0 nor 1\n");
}

TEST(ViewTest, NamesTheClassesAndValuesAsTheDataDo) {
  const TempDir dir;
  writeFile(dir.file("and.txt"), andFile);
  const ViewRun run =
      runView({"--test", "-", dir.file("and.txt")}, "a,b,play\noff,1,no\non,1,yes\n\non,0,yes\n");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out,
            "2 of 3 rows right (share 0.666667).\n"
            "\n"
            "            answer no  answer yes\n"
            "class no            1           0\n"
            "class yes           1           1\n"
            "\n"
            "Wrong rows:\n"
            "line 5: on,0 is class yes, answered no\n");
  const ViewRun three = runView({"--test", "-", dir.file("and.txt")}, "a,c\n1,x\n2,y\n3,z\n");
  EXPECT_EQ(three.status, 1);
  EXPECT_EQ(three.err, "treebench-view: -: 3 classes, where the workbench's method learns two\n");
}
