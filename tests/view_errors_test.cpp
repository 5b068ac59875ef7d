#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "support/text.h"
#include "support/view.h"

namespace {

const std::string tryHelp = "Try 'treebench-view --help' for more information.\n";

}  // namespace

// The reader's refusal, named by file and line, on one line of its own.
TEST(ViewErrors, NameTheFileAndLineWhereTheReaderRefusesTheTree) {
  const TempDir dir;
  const std::string path = dir.file("tree.txt");
  writeFile(path, ">Pred: =  Case Index: 0  Case Value: 1\n\n^Class: 1\n^Class: 0");
  const ViewRun run = runView({path});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err,
            "treebench-view: " + path +
                ": line 2: expected a node line (\">\") or a leaf line (\"^\"), found an empty line or "
                "the end of the file\n");
  const ViewRun piped =
      runView({"--table", "2", "-"}, ">Pred: =  Case Index: 0  Case Value: 1\n^Class: 1\nx");
  EXPECT_EQ(piped.status, 1);
  EXPECT_EQ(piped.out, "");
  EXPECT_EQ(piped.err.substr(0, 26), "treebench-view: -: line 3:") << piped.err;
}

TEST(ViewErrors, SayWhyAFileCannotBeRead) {
  const TempDir dir;
  const ViewRun missing = runView({dir.file("\x1b[2J\a.txt")});
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.err, "treebench-view: " + dir.file("\\x1b[2J\\x07.txt") +
                             ": cannot open: No such file or directory\n");
  const ViewRun folder = runView({"--dot", dir.path()});
  EXPECT_EQ(folder.status, 1);
  EXPECT_EQ(folder.err, "treebench-view: " + dir.path() + ": line 1: read failed: Is a directory\n");
  EXPECT_EQ(folder.out, "");
}

TEST(ViewWarnings, NameEachLineReadLenientlyAndFailOnlyUnderStrict) {
  const TempDir dir;
  const std::string typos = dir.file("typos.txt");
  writeFile(typos, "# hand-edited\n>Pred: =  Case Index: 0  Case Value: 1\n\t^class: 1\n\t^Class: 256");
  const std::string prefix = "treebench-view: " + typos + ": line ";
  const std::string named = prefix +
                            "3: the leaf line does not match \"^Class: N\"; it is read as class 0\n" +
                            prefix + "4: Class 256 is neither 0 nor 1; read as 0\n";
  const ViewRun lenient = runView({"--ascii", typos});
  EXPECT_EQ(lenient.status, 0);
  EXPECT_EQ(lenient.err, named);
  EXPECT_EQ(lenient.out, "x1 = 1\n|- yes: class 0\n`- no: class 0\n");
  const ViewRun strict = runView({"--strict", "--dot", typos});
  EXPECT_EQ(strict.status, 1);
  EXPECT_EQ(strict.err, named);
  EXPECT_EQ(strict.out, "");
  // Named before the error of a later line, each quoted byte printable.
  EXPECT_EQ(runView({"-"}, ">Pred: =  Case Index: 0  Case Value: 1 \x1b]2\n^Class: 2\n").err,
            "treebench-view: -: line 1: text after the last value is not read: \"\\x1b]2\"\n"
            "treebench-view: -: line 2: Class 2 is neither 0 nor 1; read as 2\n"
            "treebench-view: -: line 3: expected a node line (\">\") or a leaf line (\"^\"), found an empty "
            "line or "
            "the end of the file\n");
  // What the workbench writes passes.
  writeFile(dir.file("and.txt"), andFile);
  const ViewRun written = runView({"--strict", dir.file("and.txt")});
  EXPECT_EQ(written.status, 0);
  EXPECT_EQ(written.err, "");
}

TEST(ViewUsage, WrongUsageExitsWithTwoAndPointsToTheHelp) {
  const struct {
    std::vector<std::string> args;
    const char* message;
  } usages[] = {
      {{}, "missing file operand"},
      {{"a.txt", "b.txt"}, "extra operand 'b.txt'"},
      {{"a.txt", "\x1b]2;T\a.txt"}, "extra operand '\\x1b]2;T\\x07.txt'"},
      {{"--table", "0", "a.txt"}, "invalid table width '0'"},
      {{"--table=17", "a.txt"}, "invalid table width '17'"},
      {{"--table", "two", "a.txt"}, "invalid table width 'two'"},
      {{"--table=", "a.txt"}, "invalid table width ''"},
      {{"--dot", "--table", "2", "a.txt"}, "--dot and --table cannot be used together"},
      {{"--dot", "a.txt", "--ascii"}, "--ascii and --dot cannot be used together"},
      {{"--table=2", "--ascii", "a.txt"}, "--ascii and --table cannot be used together"},
      {{"--table=2", "--table", "3", "a.txt"}, "--table=2 and --table=3 cannot be used together"},
      {{"--test", "a.csv", "--dot", "a.txt"}, "--dot and --test cannot be used together"},
      {{"--test=", "a.txt"}, "empty file name for --test"},
      {{"--test=-", "-"}, "the data and the tree cannot both be read from standard input"},
      {{"--no-header", "a.txt"}, "--header, --no-header and --class go with --test"},
      {{"--max-depth=2", "a.txt"}, "--max-depth goes with --dot"},
      {{"--dot", "--max-depth=-1", "a.txt"}, "bad depth '-1': give a number from 0 to 4294967295"},
  };
  for (const auto& usage : usages) {
    const ViewRun run = runView(usage.args);
    EXPECT_EQ(run.status, 2) << usage.message;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "treebench-view: " + std::string(usage.message) +
                           (std::string(usage.message).find("table width") != std::string::npos
                                ? ": give a number from 1 to 16"
                                : "") +
                           "\n" + tryHelp);
  }
}

// The real program: what its process entry wires up.
TEST(ViewProgram, ExitsWithTheStatusOfItsRun) {
  const TempDir dir;
  CommandOptions input;
  input.input = andFile;
  const CommandRun drawn = runViewProgram({"--ascii", "-"}, input);
  EXPECT_EQ(exitCode(drawn.status), 0);
  EXPECT_EQ(drawn.out, "x1 = 1\n|- yes: x2 = 1\n|  |- yes: class 1\n|  `- no: class 0\n`- no: class 0\n");
  EXPECT_EQ(drawn.err, "");
  const CommandRun missing = runViewProgram({dir.file("missing.txt")});
  EXPECT_EQ(exitCode(missing.status), 1);
  EXPECT_EQ(missing.err,
            "treebench-view: " + dir.file("missing.txt") + ": cannot open: No such file or directory\n");
}

TEST(ViewProgram, RunsOutOfMemoryWithAMessageAndStatusOne) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the address sanitizer reserves more address space than the memory limit leaves";
#else
  // A million nodes, each line read leniently, in two megabytes.
  const std::function<std::string(int)> tree = [&](int depth) {
    return depth == 0 ? std::string("^\n") : ">\n" + tree(depth - 1) + tree(depth - 1);
  };
  const TempDir dir;
  writeFile(dir.file("tree.txt"), tree(20));
  CommandOptions small;
  small.memoryLimit = 64U << 20;
  const CommandRun run = runViewProgram({dir.file("tree.txt")}, small);
  EXPECT_EQ(exitCode(run.status), 1);
  EXPECT_EQ(run.err, "treebench-view: out of memory\n");
#endif
}
