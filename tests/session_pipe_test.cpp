// The real program driven through pipes, in a session with no terminal.
#include <gtest/gtest.h>
#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
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
  const std::pair<char, std::size_t> concepts[] = {{'|', 2}, {'^', 2}, {'&', 2},
                                                   {'#', 3}, {'%', 3}, {'*', 3}};
  for (const auto& [fitness, width] : concepts) {
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
      EXPECT_EQ(line.values.size(), width);
      // The verdict says whether the concept's class is the tree's answer.
      EXPECT_EQ(line.correct, classOf(fitness, line.values) == line.response) << i;
      if (i < 400) {
        EXPECT_EQ(line.response, 1) << "no tree yet, line " << i;
        seen.insert(line.values);
      } else {
        EXPECT_TRUE(line.correct) << "after learning, line " << i;
      }
    }
    EXPECT_EQ(seen.size(), std::size_t{1} << width);

    std::istringstream saved(readFile(file));
    std::unique_ptr<TreeNode> tree;
    TreeFile::read(tree, saved);
    for (const auto& values : seen) EXPECT_EQ(tree->classify(values), classOf(fitness, values));
  }
}

TEST(PipeSession, EndsWithZeroOnQuitOrEndOfInputAndBySigpipeWhenItsReaderGoes) {
  const ProgramRun run = runWithoutTerminal("9");
  EXPECT_TRUE(exitedWithZero(run.status));
  EXPECT_EQ(exampleLines(run.output).size(), 10U);
  EXPECT_TRUE(exitedWithZero(runWithoutTerminal("").status));
  // More keys after the quit than a pipe holds: the program is gone while
  // they are still being written.
  const ProgramRun escape = runWithoutTerminal(repeat('\x1b', 1) + repeat('9', 1 << 20));
  EXPECT_TRUE(exitedWithZero(escape.status));
  EXPECT_EQ(escape.output.find("input: "), std::string::npos);
  // As `| head` does: the output is closed after its first kilobyte.
  RunOptions head;
  head.outputLimit = 1024;
  const ProgramRun cut = runWithoutTerminal(repeat('9', 100000) + "q", head);
  EXPECT_TRUE(WIFSIGNALED(cut.status) && WTERMSIG(cut.status) == SIGPIPE) << cut.status;
}

// The command line holds --help and --version, answered before anything
// starts, whatever the keys; any other word is refused; with none, or only
// "--", the workbench starts.
TEST(PipeSession, AnswersHelpAndVersionAndRefusesEveryOtherArgument) {
  const std::string refusal =
      "\nThe workbench takes no arguments: it is driven by keys, which 'treebench --help'\n"
      "lists; 'man treebench' tells the rest.\n";
  const struct {
    std::vector<std::string> args;
    int status;
    std::string out;  // its start
    std::string err;
  } cases[] = {
      {{"--help"}, 0, "Usage: treebench\n", ""},
      {{"--vers", "x"}, 0, "treebench (treebench) " TREEBENCH_VERSION "\n", ""},
      {{"--"}, 0, "<q>   or <esc> to quit,\n", ""},
      {{"x\x1b]2;T\a"}, 2, "", "treebench: extra operand 'x\\x1b]2;T\\x07'" + refusal},
      {{"--helpme"}, 2, "", "treebench: unrecognized option '--helpme'" + refusal},
      {{"-h"}, 2, "", "treebench: invalid option '-h'" + refusal},
  };
  for (const auto& c : cases) {
    std::vector<std::string> argv{TREEBENCH_PROGRAM};
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    CommandOptions options;
    options.input = "9q";
    const CommandRun run = runCommand(argv, options);
    EXPECT_EQ(exitCode(run.status), c.status) << c.args[0];
    EXPECT_EQ(run.out.substr(0, c.out.size()), c.out) << c.args[0];
    if (c.status != 0 || c.args[0] != "--") {
      EXPECT_EQ(run.out.find("input: "), std::string::npos) << c.args[0];
    }
    EXPECT_EQ(run.err, c.err) << c.args[0];
  }
}

// A save that the file size limit cuts short fails like any other, and the
// signal that the limit raises ends nothing.
TEST(PipeSession, ASaveBeyondTheFileSizeLimitFailsAndEndsNothing) {
  const TempDir dir;
  const std::string old(4000, '#');
  writeFile(dir.file("old.txt"), old);
  RunOptions limited;
  limited.fileSizeLimit = 20;
  const ProgramRun run =
      runWithoutTerminal("c&" + manyExamples + "lfs" + dir.file("old.txt") + "\n9q", limited);
  EXPECT_TRUE(exitedWithZero(run.status));
  EXPECT_EQ(occurrences(run.output, "Save as: Failed to save.\n\n\n"), 1U);
  EXPECT_EQ(exampleLines(run.output).size(), 410U);
  EXPECT_EQ(readFile(dir.file("old.txt")), old);
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

// What each save and load does is pinned by the tests of saving and
// loading; this session checks that what they answer reaches the screen, in
// the order the keys asked, and that the program goes on with the tree it
// should have.
TEST(PipeSession, TheFileMenuSaysWhatBecameOfASaveOrALoad) {
  // The answers come from the learner; what matters here is that names
  // reach it whole from the key stream and that its answers and trees reach
  // the screen and the next keys.
  const TempDir dir;
  // Class 256 is kept as 0; the index wraps to 4294967295, a value no
  // example has, so the walk goes right.
  writeFile(dir.file("wide.txt"),
            ">Pred: =  Case Index: 99999999999999999999  Case Value: 1\n^Class: 1\n^Class: 256");
  const ProgramRun run = runWithoutTerminal(
      // With no tree nothing is saved; the tree loaded answers 0.
      "fs" + dir.file("new.txt") + "\nfl" + dir.file("wide.txt") + "\n9" +
      // A name too long to take is refused, and its characters are never
      // keys; a file that is not there is not loaded, and the tree stays.
      "fs" + repeat('9', 600) + "\nfl" + dir.file("missing.txt") + "\n0" +
      // Its own standard output shows the tree in order with the rest.
      "fs/dev/stdout\nq");
  EXPECT_TRUE(exitedWithZero(run.status));
  // The answers, in the order of the keys.
  std::size_t at = 0;
  for (const std::string answer :
       {"Save as: Failed to save.", "Load from: Tree loaded.", "Save as: Failed to save.",
        "Load from: Failed to load.",
        "Save as: >Pred: =  Case Index: 4294967295  Case Value: 1\n\t^Class: 1\n\t^Class: 0\nTree saved."}) {
    at = run.output.find(answer, at);
    ASSERT_NE(at, std::string::npos) << answer;
  }
  EXPECT_FALSE(fileExists(dir.file("new.txt")));
  const auto lines = exampleLines(run.output);
  ASSERT_EQ(lines.size(), 11U);
  for (const ExampleLine& line : lines) EXPECT_EQ(line.response, 0);
}

TEST(PipeSession, LoadsAndSavesWithItsStandardOutputClosed) {
  // The file a load opens must not take the closed descriptor's number and
  // pass for the program's own output.
  const TempDir dir;
  writeFile(dir.file("and.txt"), andFile);
  CommandOptions closed;
  closed.closedOutput = true;
  closed.input = "fl" + dir.file("and.txt") + "\nfs" + dir.file("copy.txt") + "\nq";
  const CommandRun run = runCommand({TREEBENCH_PROGRAM}, closed);
  EXPECT_EQ(exitCode(run.status), 0);
  EXPECT_EQ(readFile(dir.file("copy.txt")), andFile);
}
