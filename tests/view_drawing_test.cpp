#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "support/text.h"
#include "support/view.h"
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

// Draws `file` after writing it into a folder of its own.
CommandRun drawFile(const std::string& file, std::vector<std::string> args = {}) {
  const TempDir dir;
  writeFile(dir.file("tree.txt"), file);
  args.push_back(dir.file("tree.txt"));
  return runView(args);
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
  const CommandRun run = drawFile(andFile);
  EXPECT_EQ(exitCode(run.status), 0);
  EXPECT_EQ(run.out, andDrawing);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(drawFile("^Class: 1").out, "class 1\n");
}

TEST(ViewDrawing, DrawsWithPlainAsciiOnRequest) {
  const CommandRun run = drawFile(andFile, {"--ascii"});
  EXPECT_EQ(exitCode(run.status), 0);
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

TEST(ViewDrawing, ReadsStandardInputForADash) {
  CommandOptions options;
  options.input = andFile;
  const CommandRun run = runView({"-"}, options);
  EXPECT_EQ(exitCode(run.status), 0);
  EXPECT_EQ(run.out, andDrawing);
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
    const CommandRun run = drawFile(file);
    EXPECT_EQ(exitCode(run.status), 0) << file;
    EXPECT_EQ(run.out, andDrawing) << file;
  }
}

TEST(ViewDrawing, NamesEachValueByItsPositionFromX1) {
  const CommandRun run =
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
  for (std::size_t d = 0; d + 1 < levels; ++d) file += nodeLine('=', static_cast<std::uint32_t>(d % 3), "1") + "\n^Class: 1\n";
  return file + "^Class: 0";
}

// A chain in which every yes branch leads on and every no branch is a leaf
// of class 0.
std::string yesChain(std::size_t levels) {
  std::string file;
  for (std::size_t d = 0; d + 1 < levels; ++d) file += nodeLine('=', static_cast<std::uint32_t>(d % 3), "1") + "\n";
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

// Draws `file` into a file, on a stack far too small for a drawing that
// recursed once per level, and answers the drawing's lines.
std::vector<std::string> drawDeep(const std::string& file, const std::string& style) {
  const TempDir dir;
  writeFile(dir.file("deep.txt"), file);
  CommandOptions options;
  options.outputFile = dir.file("drawing.txt");
  options.stackLimit = 256 * 1024;
  std::vector<std::string> args{dir.file("deep.txt")};
  if (!style.empty()) args.insert(args.begin(), style);
  const CommandRun run = runView(args, options);
  EXPECT_EQ(exitCode(run.status), 0) << run.err;
  EXPECT_EQ(run.err, "");
  std::ifstream drawing(options.outputFile);
  std::vector<std::string> lines;
  for (std::string line; std::getline(drawing, line);) lines.push_back(std::move(line));
  return lines;
}

}  // namespace

TEST(ViewDrawing, DrawsTenThousandLevelsWithBoxLines) {
  const std::size_t levels = TreeFile::maxLevels;
  const std::vector<std::string> lines = drawDeep(noChain(levels), "");
  ASSERT_EQ(lines.size(), 2 * levels - 1);
  EXPECT_EQ(lines[0], testOfDepth(0));
  // The test at depth d stands below d - 1 finished no branches.
  for (std::size_t d = 1; d + 1 < levels; ++d) {
    ASSERT_EQ(lines[2 * d - 1], repeated("   ", d - 1) + "\u251c\u2500 yes: class 1") << d;
    ASSERT_EQ(lines[2 * d], repeated("   ", d - 1) + "\u2514\u2500 no: " + testOfDepth(d)) << d;
  }
  EXPECT_EQ(lines[2 * levels - 3], repeated("   ", levels - 2) + "\u251c\u2500 yes: class 1");
  EXPECT_EQ(lines[2 * levels - 2], repeated("   ", levels - 2) + "\u2514\u2500 no: class 0");
}

TEST(ViewDrawing, DrawsTenThousandLevelsWithAsciiLines) {
  const std::size_t levels = TreeFile::maxLevels;
  const std::vector<std::string> lines = drawDeep(yesChain(levels), "--ascii");
  ASSERT_EQ(lines.size(), 2 * levels - 1);
  EXPECT_EQ(lines[0], testOfDepth(0));
  // The tests first, each on the yes branch of the one above ...
  for (std::size_t d = 1; d + 1 < levels; ++d)
    ASSERT_EQ(lines[d], repeated("|  ", d - 1) + "|- yes: " + testOfDepth(d)) << d;
  EXPECT_EQ(lines[levels - 1], repeated("|  ", levels - 2) + "|- yes: class 1");
  // ... then the no leaves, from the deepest test back up to the root.
  for (std::size_t i = 0; i + 1 < levels; ++i) {
    const std::size_t depth = levels - 2 - i;
    ASSERT_EQ(lines[levels + i], repeated("|  ", depth) + "`- no: class 0") << depth;
  }
}
