#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "learner/learner.h"
#include "support/temp_dir.h"
#include "support/text.h"
#include "support/view.h"

namespace {

const std::string tryHelp = "Try 'treebench-view --help' for more information.\n";

}  // namespace

TEST(ViewErrors, NameTheFirstLineWhereTheTreeIsIncompleteOrAMarkerIsWrong) {
  std::string tooDeep;
  for (int level = 1; level <= 10000; ++level)
    tooDeep += ">Pred: =  Case Index: 0  Case Value: 0\n^Class: 0\n";
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
      {tooDeep, 20000, "deeper than 10000 levels"},
  };
  for (const auto& f : files) {
    const TempDir dir;
    const std::string path = dir.file("tree.txt");
    writeFile(path, f.file);
    const CommandRun run = runView({path});
    SCOPED_TRACE(f.file.substr(0, 60));
    if (f.reason == nullptr) {
      EXPECT_EQ(exitCode(run.status), 0);
      continue;
    }
    EXPECT_EQ(exitCode(run.status), 1);
    EXPECT_EQ(run.out, "");
    const std::string prefix = "treebench-view: " + path + ": line " + std::to_string(f.line) + ": ";
    EXPECT_EQ(run.err.substr(0, prefix.size()), prefix) << run.err;
    EXPECT_NE(run.err.find(f.reason), std::string::npos) << run.err;
    EXPECT_EQ(occurrences(run.err, "\n"), 1U) << run.err;
    EXPECT_EQ(run.err.back(), '\n');
  }
}

TEST(ViewErrors, NameTheLineOfStandardInputAsOfAFile) {
  CommandOptions options;
  options.input = ">Pred: =  Case Index: 0  Case Value: 1\n^Class: 1\nx";
  const CommandRun run = runView({"--table", "2", "-"}, options);
  EXPECT_EQ(exitCode(run.status), 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err.substr(0, 26), "treebench-view: -: line 3:") << run.err;
}

TEST(ViewErrors, SayWhyAFileCannotBeRead) {
  const TempDir dir;
  const CommandRun missing = runView({dir.file("missing.txt")});
  EXPECT_EQ(exitCode(missing.status), 1);
  EXPECT_EQ(missing.err, "treebench-view: " + dir.file("missing.txt") + ": No such file or directory\n");
  const CommandRun folder = runView({"--dot", dir.path()});
  EXPECT_EQ(exitCode(folder.status), 1);
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
    const CommandRun run = runView({dir.file("tree.txt")});
    EXPECT_EQ(exitCode(run.status), loads ? 0 : 1) << file << "\n" << run.err;
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
  const CommandRun lenient = runView({"--ascii", typos});
  EXPECT_EQ(exitCode(lenient.status), 0);
  EXPECT_EQ(lenient.err, named);
  EXPECT_EQ(lenient.out,
            "x1215752192 = 1\n|- yes: class 0\n`- no: x2 = 1\n   |- yes: class 0\n   `- no: class 1\n");
  for (const char* mode : {"--strict", "--dot", "--table=2"}) {
    const CommandRun strict = runView({"--strict", mode, typos});
    EXPECT_EQ(exitCode(strict.status), 1) << mode;
    EXPECT_EQ(strict.err, named) << mode;
    EXPECT_EQ(strict.out, "") << mode;
  }
  // Named before the error of a later line.
  CommandOptions broken;
  broken.input = ">Pred: =  Case Index: 0  Case Value: 1\n^Class: 2\n";
  EXPECT_EQ(runView({"-"}, broken).err,
            "treebench-view: -: line 2: Class 2 is neither 0 nor 1; read as 2\n"
            "treebench-view: -: line 3: expected a node line (\">\") or a leaf line (\"^\"), found an empty "
            "line or "
            "the end of the file\n");
  // What the workbench writes passes.
  writeFile(dir.file("and.txt"), andFile);
  const CommandRun written = runView({"--strict", dir.file("and.txt")});
  EXPECT_EQ(exitCode(written.status), 0);
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
    const CommandRun run = runView(usage.args);
    EXPECT_EQ(exitCode(run.status), 2) << usage.message;
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
    const CommandRun help = runView(args);
    EXPECT_EQ(exitCode(help.status), 0);
    EXPECT_EQ(help.err, "");
    const std::string usage = "Usage: treebench-view [OPTION]... FILE\n";
    EXPECT_EQ(help.out.substr(0, usage.size()), usage);
    for (const char* option : {"--ascii", "--dot", "--table", "--strict", "--help", "--version"})
      EXPECT_NE(help.out.find(option), std::string::npos) << option;
  }
  const CommandRun version = runView({"--version", "tree.txt"});
  EXPECT_EQ(exitCode(version.status), 0);
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
  CommandOptions inDir;
  inDir.folder = dir.path();
  EXPECT_EQ(runView({"--", "--ascii"}, inDir).out, "class 1\n");
}

TEST(ViewErrors, AFailedWriteIsNoSuccess) {
  if (access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no /dev/full to fail the writes";
  const TempDir dir;
  writeFile(dir.file("tree.txt"), andFile);
  CommandOptions toFull;
  toFull.outputFile = "/dev/full";
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{dir.file("tree.txt")},
                                             {"--dot", dir.file("tree.txt")},
                                             {"--table", "16", dir.file("tree.txt")},
                                             {"--help"},
                                             {"--version"}}) {
    const CommandRun run = runView(args, toFull);
    EXPECT_EQ(exitCode(run.status), 1) << args[0];
    EXPECT_EQ(run.err, "treebench-view: write error: No space left on device\n") << args[0];
  }
}
