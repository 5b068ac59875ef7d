#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "learner/learner.h"
#include "support/temp_dir.h"
#include "support/text.h"
#include "support/view.h"
#include "tools/view/view_options.h"

namespace {

const std::string tryHelp = "Try 'treebench-view --help' for more information.\n";

}  // namespace

TEST(ViewErrors, NameTheFirstLineWhereTheTreeIsIncompleteOrAMarkerIsWrong) {
  const struct {
    std::string file;
    int line;
    const char* reason;
  } files[] = {
      {"", 1, "found an empty line or the end of the file"},
      {"# nothing but a comment\n", 2, "found an empty line or the end of the file"},
      {">Pred: =  Case Index: 0  Case Value: 1\n\t^Class: 1", 3,
       "found an empty line or the end of the file"},
      {">Pred: =  Case Index: 0  Case Value: 1\n\n^Class: 1\n^Class: 0", 2,
       "found an empty line or the end of the file"},
      {"# and\n>Pred: =  Case Index: 0  Case Value: 1\n# yes\n\tClass: 1\n^Class: 0", 4, "found \"C\""},
      {">Pred: =  Case Index: 0  Case Value: 1\n ^Class: 1\n^Class: 0", 2, "found \" \""},
      {"^Class: 1" + std::string(600, ' ') + "\n", 0, nullptr},  // completes the tree: accepted
      {">Pred: =  Case Index: 0  Case Value: 1" + std::string(600, ' ') + "\n^Class: 1\n^Class: 0", 1,
       "more than 511 characters"},
  };
  for (const auto& f : files) {
    const TempDir dir;
    const std::string path = dir.file("tree.txt");
    writeFile(path, f.file);
    const ViewRun run = runView({path});
    SCOPED_TRACE(f.file.substr(0, 60));
    if (f.reason == nullptr) {
      EXPECT_EQ(run.status, 0);
      continue;
    }
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    const std::string prefix = "treebench-view: " + path + ": line " + std::to_string(f.line) + ": ";
    EXPECT_EQ(run.err.substr(0, prefix.size()), prefix) << run.err;
    EXPECT_NE(run.err.find(f.reason), std::string::npos) << run.err;
    EXPECT_EQ(occurrences(run.err, "\n"), 1U) << run.err;
    EXPECT_EQ(run.err.back(), '\n');
  }
}

TEST(ViewErrors, NameTheLineOfStandardInputAsOfAFile) {
  const ViewRun run = runView({"--table", "2", "-"}, ">Pred: =  Case Index: 0  Case Value: 1\n^Class: 1\nx");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err.substr(0, 26), "treebench-view: -: line 3:") << run.err;
}

TEST(ViewErrors, SayWhyAFileCannotBeRead) {
  const TempDir dir;
  const ViewRun missing = runView({dir.file("\x1b[2J\a.txt")});
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.err,
            "treebench-view: " + dir.file("\\x1b[2J\\x07.txt") + ": No such file or directory\n");
  const ViewRun folder = runView({"--dot", dir.path()});
  EXPECT_EQ(folder.status, 1);
  EXPECT_EQ(folder.err, "treebench-view: " + dir.path() + ": Is a directory\n");
  EXPECT_EQ(folder.out, "");
}

// The viewer has no reader of its own: whatever the workbench's load takes,
// it draws, and whatever load refuses, it refuses.
TEST(ViewErrors, RefuseExactlyTheFilesThatTheWorkbenchCannotLoad) {
  const std::string files[] = {
      andFile,
      "^Class: 1",
      "^",
      "^Class: 257",
      ">\n^\n^",
      ">Pred: #  Case Index: 0  Case Value: 1\n^Class: 1\n^Class: 0",
      ">Pred: =  Case Index: -1  Case Value: 1e999\n^Class: 1\n^Class: 0",
      ">Pred: =  Case Index: 0  Case Value: 1\n^Class: 1\n\n^Class: 0",
      "\n^Class: 1",
      "#\n#\n^Class: 1\n#",
      "Class: 1",
      "\t\t>>\n^\n>\n^\n^",
      "<Pred: =  Case Index: 0  Case Value: 1\n^Class: 1\n^Class: 0",
  };
  for (const std::string& file : files) {
    const TempDir dir;
    writeFile(dir.file("tree.txt"), file);
    Learner learner;
    const bool loads = learner.load(dir.file("tree.txt").c_str());
    const ViewRun run = runView({dir.file("tree.txt")});
    EXPECT_EQ(run.status, loads ? 0 : 1) << file << "\n" << run.err;
    // What loads is drawn, though lines read leniently are named.
    EXPECT_EQ(run.out.empty(), !loads) << file << "\n" << run.err;
    if (!loads) {
      EXPECT_NE(run.err, "") << file;
    }
  }
}

TEST(ViewWarnings, NameEachLineReadLenientlyAndFailOnlyUnderStrict) {
  const TempDir dir;
  const std::string typos = dir.file("typos.txt");
  writeFile(typos,
            "# hand-edited\n>Pred: =  Case Index: 99999999999  Case Value: 1\n\t^class: 1\n"
            "\t>Pred: =  Case Index: 1  Case Value: 1\n\t\t^Class: 256\n\t\t^Class: 1 x");
  const std::string prefix = "treebench-view: " + typos + ": line ";
  const std::string named =
      prefix + "2: Case Index 99999999999 is beyond 0 to 4294967295; read as 1215752191\n" + prefix +
      "3: the leaf line does not match \"^Class: N\"; it is read as class 0\n" + prefix +
      "5: Class 256 is neither 0 nor 1; read as 0\n" + prefix +
      "6: text after the last value is not read: \"x\"\n";
  const ViewRun lenient = runView({"--ascii", typos});
  EXPECT_EQ(lenient.status, 0);
  EXPECT_EQ(lenient.err, named);
  EXPECT_EQ(lenient.out,
            "x1215752192 = 1\n|- yes: class 0\n`- no: x2 = 1\n   |- yes: class 0\n   `- no: class 1\n");
  for (const char* mode : {"--strict", "--dot", "--table=2"}) {
    const ViewRun strict = runView({"--strict", mode, typos});
    EXPECT_EQ(strict.status, 1) << mode;
    EXPECT_EQ(strict.err, named) << mode;
    EXPECT_EQ(strict.out, "") << mode;
  }
  // Named before the error of a later line.
  EXPECT_EQ(runView({"-"}, ">Pred: =  Case Index: 0  Case Value: 1\n^Class: 2\n").err,
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
      {{"--colour", "a.txt"}, "unrecognized option '--colour'"},
      {{"-x", "a.txt"}, "invalid option -- 'x'"},
      {{"a.txt", "--table"}, "option '--table' requires an argument"},
      {{"--table", "0", "a.txt"}, "invalid table width '0'"},
      {{"--table=17", "a.txt"}, "invalid table width '17'"},
      {{"--table", "two", "a.txt"}, "invalid table width 'two'"},
      {{"--table=", "a.txt"}, "invalid table width ''"},
      {{"--dot=yes", "a.txt"}, "option '--dot' doesn't allow an argument"},
      {{"--dot", "--table", "2", "a.txt"}, "--dot and --table cannot be used together"},
      {{"--dot", "a.txt", "--ascii"}, "--ascii and --dot cannot be used together"},
      {{"--table=2", "--ascii", "a.txt"}, "--ascii and --table cannot be used together"},
      {{"--table=2", "--table", "3", "a.txt"}, "--table=2 and --table=3 cannot be used together"},
      {{"--colour", "--help"}, "unrecognized option '--colour'"},
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

TEST(ViewUsage, HelpAndVersionGoToStandardOutputAndSucceed) {
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"--help"}, {"--help", "--colour"}, {"a.txt", "b.txt", "--help"}, {"--he"}}) {
    const ViewRun help = runView(args);
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.err, "");
    const std::string usage = "Usage: treebench-view [OPTION]... FILE\n";
    EXPECT_EQ(help.out.substr(0, usage.size()), usage);
    for (const char* option : {"--ascii", "--dot", "--table", "--strict", "--help", "--version"})
      EXPECT_NE(help.out.find(option), std::string::npos) << option;
  }
  const ViewRun version = runView({"--version", "tree.txt"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.err, "");
  EXPECT_EQ(version.out, "treebench-view (treebench) " TREEBENCH_VERSION "\n");
}

TEST(ViewUsage, OptionsTakeShortenedNamesAndEitherFormOfValue) {
  const TempDir dir;
  writeFile(dir.file("tree.txt"), andFile);
  writeFile(dir.file("--ascii"), "^Class: 1");
  const std::string tree = dir.file("tree.txt");
  EXPECT_EQ(runView({"--table=2", tree}).out, runView({"--table", "2", tree}).out);
  EXPECT_EQ(runView({"--tab", "2", tree}).out, runView({"--table", "2", tree}).out);
  EXPECT_EQ(runView({tree, "--as"}).out, runView({"--ascii", tree}).out);
  EXPECT_NE(runView({"--ascii", tree}).out, runView({tree}).out);
  // After "--" every argument is a file.
  const ParsedArguments dashes = parseViewArguments({"--", "--ascii"});
  EXPECT_EQ(dashes.request, CommandRequest::run);
  EXPECT_EQ(dashes.options.mode, ViewMode::drawing);
  EXPECT_FALSE(dashes.options.ascii);
  EXPECT_EQ(dashes.options.file, "--ascii");
}

// The real program: what its process entry wires up, and how its output
// can fail outside it.
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
  EXPECT_EQ(missing.err, "treebench-view: " + dir.file("missing.txt") + ": No such file or directory\n");
  const CommandRun misused = runViewProgram({"--colour"});
  EXPECT_EQ(exitCode(misused.status), 2);
  EXPECT_EQ(misused.err, "treebench-view: unrecognized option '--colour'\n" + tryHelp);
}

TEST(ViewProgram, OutputThatCannotBeWrittenIsNoSuccess) {
  const TempDir dir;
  writeFile(dir.file("tree.txt"), andFile);
  CommandOptions closed;
  closed.closedOutput = true;
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{dir.file("tree.txt")}, {"--version"}}) {
    const CommandRun run = runViewProgram(args, closed);
    EXPECT_EQ(exitCode(run.status), 1) << args[0];
    EXPECT_EQ(run.err, "treebench-view: write error: Bad file descriptor\n") << args[0];
  }
  if (access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no /dev/full to fail the writes";
  CommandOptions toFull;
  toFull.outputFile = "/dev/full";
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{dir.file("tree.txt")},
                                             {"--dot", dir.file("tree.txt")},
                                             {"--table", "16", dir.file("tree.txt")},
                                             {"--help"},
                                             {"--version"}}) {
    const CommandRun run = runViewProgram(args, toFull);
    EXPECT_EQ(exitCode(run.status), 1) << args[0];
    EXPECT_EQ(run.err, "treebench-view: write error: No space left on device\n") << args[0];
  }
}
