#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "support/text.h"
#include "support/view.h"
#include "tools/view/view_program.h"
#include "tree/tree_file.h"

namespace {

const char* const andDrawing =
    "x1 = 1\n"
    "\u251c\u2500 yes: x2 = 1\n"
    "\u2502  \u251c\u2500 yes: class 1\n"
    "\u2502  \u2514\u2500 no: class 0\n"
    "\u2514\u2500 no: class 0\n";

const char* const andAsciiDrawing =
    "x1 = 1\n"
    "|- yes: x2 = 1\n"
    "|  |- yes: class 1\n"
    "|  `- no: class 0\n"
    "`- no: class 0\n";

// Draws `file`, read from standard input.
ViewRun drawFile(const std::string& file, std::vector<std::string> args = {}) {
  args.emplace_back("-");
  return runView(args, file);
}

std::string nodeLine(char pred, std::uint32_t caseIndex, const std::string& value) {
  return std::string(">Pred: ") + pred + "  Case Index: " + std::to_string(caseIndex) +
         "  Case Value: " + value;
}

std::unique_ptr<TreeNode> parsed(const std::string& text) {
  std::istringstream in(text);
  std::unique_ptr<TreeNode> root;
  TreeFile::read(root, in);
  return root;
}

}  // namespace

TEST(ViewDrawing, DrawsEveryNodeOnALineOfItsOwnWithBoxLines) {
  const TempDir dir;
  writeFile(dir.file("and.txt"), andFile);
  const ViewRun run = runView({dir.file("and.txt")});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, andDrawing);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(drawFile("^Class: 1").out, "class 1\n");
}

TEST(ViewDrawing, DrawsWithPlainAsciiOnRequest) {
  const ViewRun run = drawFile(andFile, {"--ascii"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, andAsciiDrawing);
  // A yes branch with more below it keeps its column open.
  EXPECT_EQ(drawFile(">Pred: =  Case Index: 0  Case Value: 1\n" + nodeLine('=', 2, "0") +
                         "\n^Class: 1\n^Class: 0\n^Class: 1",
                     {"--ascii"})
                .out,
            "x1 = 1\n"
            "|- yes: x3 = 0\n"
            "|  |- yes: class 1\n"
            "|  `- no: class 0\n"
            "`- no: class 1\n");
}

TEST(ViewDrawing, TakesEveryLeniencyOfTheWorkbenchLoad) {
  const std::string lenient[] = {
      // no indentation, and a final line end
      ">Pred: =  Case Index: 0  Case Value: 1\n>Pred: =  Case Index: 1  Case Value: 1\n^Class: 1\n^Class: "
      "0\n^Class: 0\n",
      // wrong indentation, comments anywhere, blanks of any width or none
      "# the and tree\n\t\t\t>Pred:=Case Index:0 Case\tValue:   1\n# between\n>Pred: =  Case Index: 1  Case "
      "Value: 1\n^Class:1\n\t^Class: 0\n#\n^Class: 0",
      // anything after the line that completes the tree
      std::string(andFile) + "\nnot a tree line\n\n"};
  for (const std::string& file : lenient) {
    const ViewRun run = drawFile(file);
    EXPECT_EQ(run.status, 0) << file;
    EXPECT_EQ(run.out, andDrawing) << file;
  }
}

TEST(ViewDrawing, NamesEachValueByItsPositionFromX1) {
  const ViewRun run =
      drawFile(nodeLine('=', 2, "1") + "\n" + nodeLine('=', 0, "1") + "\n^Class: 1\n^Class: 0\n" +
               nodeLine('=', 4294967295U, "1") + "\n^Class: 0\n^Class: 1");
  EXPECT_EQ(run.out,
            "x3 = 1\n"
            "\u251c\u2500 yes: x1 = 1\n"
            "\u2502  \u251c\u2500 yes: class 1\n"
            "\u2502  \u2514\u2500 no: class 0\n"
            "\u2514\u2500 no: x4294967296 = 1\n"
            "   \u251c\u2500 yes: class 0\n"
            "   \u2514\u2500 no: class 1\n");
}

TEST(ViewDrawing, WritesNumbersAsTheTreeFileDoes) {
  EXPECT_EQ(linesOf(drawFile(nodeLine('<', 0, "0.5") + "\n^Class: 1\n^Class: 0").out)[0], "x1 > 0.5");
  EXPECT_EQ(linesOf(drawFile(nodeLine('<', 1, "0.00001") + "\n^Class: 1\n^Class: 0").out)[0], "x2 > 1e-05");
  EXPECT_EQ(linesOf(drawFile(nodeLine('=', 0, "1234570") + "\n^Class: 1\n^Class: 0").out)[0],
            "x1 = 1.23457e+06");
}

// Whatever the file holds, the drawn relation holds for a value exactly
// when the tree sends that value down the yes branch.
TEST(ViewDrawing, DrawsTheTestThatDecidesTheYesBranch) {
  const struct {
    char pred;
    const char* value;
  } tests[] = {{'=', "1"},           {'<', "0.5"},      {'>', "0.5"}, {'a', "0.123456789"},
               {'=', "0.123456789"}, {'<', "16777217"}, {'<', "-0"},  {'=', "-0"},
               {'<', "-inf"},        {'<', "nan"},      {'=', "nan"}, {'<', "3.40282e+38"}};
  for (const auto& test : tests) {
    const std::string file = nodeLine(test.pred, 0, test.value) + "\n^Class: 1\n^Class: 0";
    const std::string drawn = linesOf(drawFile(file).out).at(0);
    const std::string context = std::string("Pred ") + test.pred + " Value " + test.value + ": " + drawn;
    ASSERT_GE(drawn.size(), 5U) << context;
    ASSERT_EQ(drawn.substr(0, 3), "x1 ") << context;
    const char relation = drawn[3];
    ASSERT_TRUE(relation == '=' || relation == '>') << context;
    const std::string rest = drawn.substr(5);
    const bool never = rest.find(" (never holds)") != std::string::npos;
    const float threshold = std::strtof(rest.c_str(), nullptr);

    const auto tree = parsed(file);
    const float v = tree->caseValue;
    for (const float sample : {v, std::nextafter(v, INFINITY), std::nextafter(v, -INFINITY), 0.0F, 1.0F,
                               -1.0F, 0.123457F, 16777200.0F, NAN}) {
      const bool drawnHolds = !never && (relation == '=' ? sample == threshold : sample > threshold);
      const bool goesYes = tree->classify(std::vector<float>{sample}) == 1;
      EXPECT_EQ(drawnHolds, goesYes) << context << " with " << sample;
    }
  }
}

namespace {

// A chain of `levels` levels in which every test's no branch leads on and
// every yes branch is a leaf of class 1; no indentation.
std::string noChain(std::size_t levels) {
  std::string file;
  for (std::size_t d = 0; d + 1 < levels; ++d)
    file += nodeLine('=', static_cast<std::uint32_t>(d % 3), "1") + "\n^Class: 1\n";
  return file + "^Class: 0";
}

// A chain in which every yes branch leads on and every no branch is a leaf
// of class 0.
std::string yesChain(std::size_t levels) {
  std::string file;
  for (std::size_t d = 0; d + 1 < levels; ++d)
    file += nodeLine('=', static_cast<std::uint32_t>(d % 3), "1") + "\n";
  file += "^Class: 1";
  for (std::size_t d = 0; d + 1 < levels; ++d) file += "\n^Class: 0";
  return file;
}

std::string testOfDepth(std::size_t d) {
  return std::string(1, 'x').append(std::to_string(d % 3 + 1)) + " = 1";
}

std::string repeated(const std::string& part, std::size_t times) {
  std::string text;
  for (std::size_t i = 0; i < times; ++i) text += part;
  return text;
}

// Draws `file` on a stack far too small for a drawing that recursed once per
// level, into a file, since the drawing of a deep chain runs to hundreds of
// megabytes; then hands `check` each line with its number until it answers
// false, and answers how many lines there were.
std::size_t drawDeep(const std::string& file, const std::string& style,
                     const std::function<bool(std::size_t, const std::string&)>& check) {
  const TempDir dir;
  writeFile(dir.file("deep.txt"), file);
  std::vector<std::string> args{dir.file("deep.txt")};
  if (!style.empty()) args.insert(args.begin(), style);
  {
    std::ofstream drawing(dir.file("drawing.txt"));
    std::istringstream noInput;
    std::ostringstream err;
    int status = -1;
    onSmallStack(256 * 1024, [&] { status = runViewer(args, noInput, drawing, err); });
    EXPECT_EQ(status, 0) << err.str();
    EXPECT_EQ(err.str(), "");
  }
  std::ifstream drawing(dir.file("drawing.txt"));
  std::size_t count = 0;
  for (std::string line; std::getline(drawing, line); ++count) {
    if (!check(count, line)) break;
  }
  return count;
}

}  // namespace

TEST(ViewDrawing, DrawsTenThousandLevelsWithBoxLines) {
  constexpr std::size_t levels = TreeFile::maxLevels;
  // The test at depth d stands below d - 1 finished no branches, and so do
  // the two leaves of the last test.
  const auto expected = [](std::size_t i) {
    if (i == 0) return testOfDepth(0);
    const std::size_t d = (i + 1) / 2;
    if (i % 2 == 1) return repeated("   ", d - 1) + "\u251c\u2500 yes: class 1";
    return repeated("   ", d - 1) + "\u2514\u2500 no: " + (d + 1 < levels ? testOfDepth(d) : "class 0");
  };
  const std::size_t lines = drawDeep(noChain(levels), "", [&](std::size_t i, const std::string& line) {
    if (i < 2 * levels - 1 && line == expected(i)) return true;
    ADD_FAILURE() << "line " << i << " is " << line.substr(0, 80);
    return false;
  });
  EXPECT_EQ(lines, 2 * levels - 1);
}

TEST(ViewDrawing, DrawsTenThousandLevelsWithAsciiLines) {
  constexpr std::size_t levels = TreeFile::maxLevels;
  const auto expected = [](std::size_t i) {
    if (i == 0) return testOfDepth(0);
    // The tests first, each on the yes branch of the one above ...
    if (i + 1 < levels) return repeated("|  ", i - 1) + "|- yes: " + testOfDepth(i);
    if (i + 1 == levels) return repeated("|  ", levels - 2) + "|- yes: class 1";
    // ... then the no leaves, from the deepest test back up to the root.
    return repeated("|  ", 2 * levels - 2 - i) + "`- no: class 0";
  };
  const std::size_t lines =
      drawDeep(yesChain(levels), "--ascii", [&](std::size_t i, const std::string& line) {
        if (i < 2 * levels - 1 && line == expected(i)) return true;
        ADD_FAILURE() << "line " << i << " is " << line.substr(0, 80);
        return false;
      });
  EXPECT_EQ(lines, 2 * levels - 1);
}
