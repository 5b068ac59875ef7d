// The real program driven through pipes, in a session with no terminal.
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <set>
#include <sstream>

#include "examples/example_generator.h"
#include "support/command.h"
#include "support/program.h"
#include "support/temp_dir.h"
#include "support/text.h"
#include "tree/tree_file.h"

namespace {

struct ExampleLine {
  std::vector<float> values;
  char fitness = 0;
  int response = 0;
  bool correct = false;
};

// Parses one train-and-test line and checks that it is exactly as the
// program's format prints those numbers.
bool parseExampleLine(const std::string& text, ExampleLine& line) {
  float x1 = 0;
  float x2 = 0;
  float x3 = 0;
  char second = 0;
  std::array<char, 256> rebuilt{};
  if (std::sscanf(text.c_str(), "input: \"%f %c %f %c %f \" response: %d.", &x1, &line.fitness, &x2, &second,
                  &x3, &line.response) == 6) {
    line.values = {x1, x2, x3};
    std::snprintf(rebuilt.data(), rebuilt.size(), "input: \"%.2f %c %.2f %c %.2f  \" response: %d.", x1,
                  line.fitness, x2, second, x3, line.response);
  } else if (std::sscanf(text.c_str(), "input: \"%f %c %f\" response: %d.", &x1, &line.fitness, &x2,
                         &line.response) == 4) {
    line.values = {x1, x2};
    std::snprintf(rebuilt.data(), rebuilt.size(), "input: \"%.2f %c %.2f\" response: %d.", x1, line.fitness,
                  x2, line.response);
  } else {
    return false;
  }
  line.correct = text.ends_with("\t\t\tCORRECT. ");
  return text == rebuilt.data() + std::string(line.correct ? "\t\t\tCORRECT. " : "\t\t\tWRONG. ");
}

// Every train-and-test line of a session, each checked for its form.
std::vector<ExampleLine> exampleLines(const std::string& output) {
  std::vector<ExampleLine> lines;
  std::istringstream in(output);
  std::string text;
  while (std::getline(in, text)) {
    const auto at = text.find("input: ");
    if (at == std::string::npos) continue;
    ExampleLine line;
    EXPECT_TRUE(parseExampleLine(text.substr(at), line)) << text;
    lines.push_back(line);
  }
  return lines;
}

std::string repeat(char key, std::size_t times) { return std::string(times, key); }

// Enough examples that every input combination turns up.
const std::string manyExamples = repeat('9', 40);

}  // namespace

TEST(PipeSession, LearnsEveryConceptAndKeepsItThroughSaveAndLoad) {
  const TempDir dir;
  for (const char fitness : {'|', '^', '&', '#', '%', '*'}) {
    SCOPED_TRACE(fitness);
    const std::string file = dir.file(std::string("tree-") + std::to_string(fitness) + ".txt");
    const ProgramRun run = runWithoutTerminal(std::string("c") + fitness + manyExamples + "l" + manyExamples +
                                              "fs" + file + "\nd" + "fl" + file + "\n" + "99q");
    EXPECT_TRUE(exitedWithZero(run.status));
    EXPECT_NE(run.output.find("Fitness function used is now " + std::string(1, fitness)), std::string::npos);
    EXPECT_EQ(occurrences(run.output, "...Tree has completed learning.\n\n"), 1U);
    EXPECT_EQ(occurrences(run.output, "Save as: Tree saved.\n\n\n"), 1U);
    EXPECT_EQ(occurrences(run.output, "Load from: Tree loaded.\n\n\n"), 1U);

    const auto lines = exampleLines(run.output);
    ASSERT_EQ(lines.size(), 820U);
    std::set<std::vector<float>> seen;
    for (std::size_t i = 0; i < lines.size(); ++i) {
      const ExampleLine& line = lines[i];
      EXPECT_EQ(line.fitness, fitness);
      EXPECT_EQ(line.values.size(), valueCount(fitness));
      // The verdict says whether the concept's class is the tree's answer.
      EXPECT_EQ(line.correct, classOf(fitness, line.values) == line.response) << i;
      if (i < 400) {
        EXPECT_EQ(line.response, 1) << "no tree yet, line " << i;
        seen.insert(line.values);
      } else {
        EXPECT_TRUE(line.correct) << "after learning, line " << i;
      }
    }
    EXPECT_EQ(seen.size(), std::size_t{1} << valueCount(fitness));

    std::istringstream saved(readFile(file));
    std::unique_ptr<TreeNode> tree;
    TreeFile::read(tree, saved);
    for (const auto& values : seen) EXPECT_EQ(tree->classify(values), classOf(fitness, values));
  }
}

TEST(PipeSession, EndsWithStatusZeroAtTheEndOfInput) {
  const ProgramRun run = runWithoutTerminal("9");
  EXPECT_TRUE(exitedWithZero(run.status));
  EXPECT_EQ(exampleLines(run.output).size(), 10U);
  EXPECT_TRUE(exitedWithZero(runWithoutTerminal("").status));
  const ProgramRun escape = runWithoutTerminal(
      "\x1b"
      "999");
  EXPECT_TRUE(exitedWithZero(escape.status));
  EXPECT_EQ(escape.output.find("input: "), std::string::npos);
}

TEST(PipeSession, SavingWithNoTreeNeitherCreatesNorEmptiesAFile) {
  const TempDir dir;
  writeFile(dir.file("kept.txt"), "^Class: 1");
  const ProgramRun run =
      runWithoutTerminal("fs" + dir.file("kept.txt") + "\nfs" + dir.file("new.txt") + "\nq");
  EXPECT_EQ(occurrences(run.output, "Save as: Failed to save."), 2U);
  EXPECT_EQ(readFile(dir.file("kept.txt")), "^Class: 1");
  EXPECT_FALSE(fileExists(dir.file("new.txt")));
}

TEST(PipeSession, ASaveThatCannotBeWrittenFailsAndDamagesNothing) {
  const TempDir dir;
  const std::string old(4000, '#');
  writeFile(dir.file("old.txt"), old);
  const std::string learn = "c&" + manyExamples + "l";
  RunOptions limited;
  limited.fileSizeLimit = 20;
  const ProgramRun run = runWithoutTerminal(
      learn + "fs" + dir.file("old.txt") + "\nfs/dev/full\nfs" + dir.file("no/such/folder.txt") + "\nq",
      limited);
  EXPECT_TRUE(exitedWithZero(run.status));
  EXPECT_EQ(occurrences(run.output, "Save as: Failed to save."), 3U);
  EXPECT_EQ(readFile(dir.file("old.txt")), old);
  EXPECT_FALSE(fileExists(dir.file("no")));
}

TEST(PipeSession, SavingToStandardOutputPrintsTheTreeAndToStandardInputFails) {
  const ProgramRun run = runWithoutTerminal("c&" + manyExamples + "lfs/dev/stdout\nfs/dev/stdin\nq");
  EXPECT_NE(run.output.find("Save as: >Pred: =  Case Index: "), std::string::npos);
  EXPECT_NE(run.output.find("^Class: 0\nTree saved."), std::string::npos);
  EXPECT_EQ(occurrences(run.output, "Save as: Failed to save."), 1U);
}

TEST(PipeSession, AnotherUsersSaveWritesInPlaceWhatItCannotReplace) {
  const passwd* nobody = getpwnam("nobody");
  if (geteuid() != 0 || nobody == nullptr || !onPath("setpriv") || !onPath("setsid"))
    GTEST_SKIP() << "needs root, the user nobody, setpriv and setsid to save as another user";
  const TempDir dir;
  chmod(dir.path().c_str(), 0755);
  // Theirs in a folder they may not write: no temporary file can be made.
  mkdir(dir.file("locked").c_str(), 0755);
  const std::string theirs = dir.file("locked/theirs.txt");
  writeFile(theirs, "old");
  ASSERT_EQ(chown(theirs.c_str(), nobody->pw_uid, nobody->pw_gid), 0);
  // Root's, writable by all, in a folder all may write: a replacement would
  // be theirs.
  mkdir(dir.file("open").c_str(), 0777);
  chmod(dir.file("open").c_str(), 0777);
  const std::string roots = dir.file("open/roots.txt");
  writeFile(roots, "old");
  chmod(roots.c_str(), 0666);
  struct stat before[2]{};
  stat(theirs.c_str(), &before[0]);
  stat(roots.c_str(), &before[1]);

  CommandOptions options;
  options.input = "c&" + manyExamples + "lfs" + theirs + "\nfs" + roots + "\nq";
  const CommandRun run =
      runCommand({"setsid", "-w", "setpriv", "--reuid=" + std::to_string(nobody->pw_uid),
                  "--regid=" + std::to_string(nobody->pw_gid), "--clear-groups", TREEBENCH_PROGRAM},
                 options);
  if (run.out.find("or any other key to create 1 example.") == std::string::npos)
    GTEST_SKIP() << "the program cannot be run as nobody here: " << run.err;
  EXPECT_EQ(exitCode(run.status), 0) << run.err;
  EXPECT_EQ(occurrences(run.out, "Save as: Tree saved."), 2U);
  for (int i = 0; i < 2; ++i) {
    const std::string& file = i == 0 ? theirs : roots;
    SCOPED_TRACE(file);
    struct stat after {};
    stat(file.c_str(), &after);
    EXPECT_EQ(after.st_ino, before[i].st_ino);
    EXPECT_EQ(after.st_uid, before[i].st_uid);
    EXPECT_EQ(after.st_gid, before[i].st_gid);
    std::istringstream saved(readFile(file));
    std::unique_ptr<TreeNode> tree;
    EXPECT_NO_THROW(TreeFile::read(tree, saved));
  }
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.file("open")),
                          std::filesystem::directory_iterator()),
            1);
}

TEST(PipeSession, AFailedLoadKeepsTheLearntTree) {
  const TempDir dir;
  writeFile(dir.file("broken.txt"), ">Pred: =  Case Index: 0  Case Value: 1\n^Class: 1\n");
  const ProgramRun run = runWithoutTerminal("c^" + manyExamples + "lfl" + dir.file("missing.txt") + "\nfl" +
                                            dir.file("broken.txt") + "\n" + manyExamples + "q");
  EXPECT_EQ(occurrences(run.output, "Load from: Failed to load."), 2U);
  const auto lines = exampleLines(run.output);
  ASSERT_EQ(lines.size(), 800U);
  for (std::size_t i = 400; i < lines.size(); ++i) EXPECT_TRUE(lines[i].correct) << i;
}

TEST(PipeSession, AnOverlongNameIsRefusedWhole) {
  const TempDir dir;
  const ProgramRun run =
      runWithoutTerminal("c&" + manyExamples + "lfs" + repeat('9', 600) + "\nfl" + repeat('9', 512) + "\nq");
  EXPECT_EQ(occurrences(run.output, "Save as: Failed to save."), 1U);
  EXPECT_EQ(occurrences(run.output, "Load from: Failed to load."), 1U);
  EXPECT_EQ(exampleLines(run.output).size(), 400U);
  EXPECT_TRUE(exitedWithZero(run.status));
}

TEST(PipeSession, LoadsADeepChainAndRefusesADeeperOneWithoutCrashing) {
  const TempDir dir;
  std::string deep;
  for (int i = 1; i < 10000; ++i) deep += ">Pred: =  Case Index: 0  Case Value: 5\n^Class: 0\n";
  writeFile(dir.file("deep.txt"), deep + "^Class: 1");
  std::string deeper;
  for (int i = 1; i < 1000000; ++i) deeper += ">\n^\n";
  writeFile(dir.file("deeper.txt"), deeper + "^");
  const ProgramRun run = runWithoutTerminal("fl" + dir.file("deep.txt") + "\n0fs" + dir.file("again.txt") +
                                            "\nfl" + dir.file("deeper.txt") + "\n0q");
  EXPECT_TRUE(exitedWithZero(run.status));
  EXPECT_EQ(occurrences(run.output, "Load from: Tree loaded."), 1U);
  EXPECT_EQ(occurrences(run.output, "Save as: Tree saved."), 1U);
  EXPECT_EQ(occurrences(run.output, "Load from: Failed to load."), 1U);
  const auto lines = exampleLines(run.output);
  ASSERT_EQ(lines.size(), 2U);
  EXPECT_EQ(lines[0].response, 1);
  EXPECT_EQ(lines[1].response, 1);
}

TEST(PipeSession, LoadsFilesWithOutOfRangeNumbers) {
  const TempDir dir;
  // Class 256 is kept as 0; the index wraps to 4294967295, a value no
  // example has, so the walk goes right.
  writeFile(dir.file("wide.txt"),
            ">Pred: =  Case Index: 99999999999999999999  Case Value: 1\n^Class: 1\n^Class: 256");
  const ProgramRun run = runWithoutTerminal("fl" + dir.file("wide.txt") + "\n9q");
  EXPECT_EQ(occurrences(run.output, "Load from: Tree loaded."), 1U);
  const auto lines = exampleLines(run.output);
  ASSERT_EQ(lines.size(), 10U);
  for (const ExampleLine& line : lines) EXPECT_EQ(line.response, 0);
}
