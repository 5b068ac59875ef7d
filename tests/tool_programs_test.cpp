// What every tool does alike, as its real process does it: --help and
// --version on standard output, a wrong command line refused with status 2,
// and output that cannot be written failing with status 1.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "support/command.h"
#include "support/temp_dir.h"
#include "support/text.h"
#include "tools/common/program_output.h"

namespace {

using Arguments = std::vector<std::string>;

struct Tool {
  const char* name;
  const char* program;
  std::string usage;               // the start of --help
  std::vector<const char*> words;  // that --help names
  std::vector<Arguments> writes;   // runs that write to standard output; "TREE" is a tree file, "DATA"
                                   // the rows of and
};

std::vector<Tool> tools() {
  return {
      {"treebench-view",
       TREEBENCH_VIEW_PROGRAM,
       "Usage: treebench-view [OPTION]... FILE\n",
       {"--ascii", "--dot", "--max-depth", "--table", "--test", "--strict", "--help", "--version"},
       {{"TREE"}, {"--dot", "TREE"}, {"--table", "16", "TREE"}}},
      {"treebench-explain",
       TREEBENCH_EXPLAIN_PROGRAM,
       "Usage: treebench-explain [OPTION]... DATA\n",
       {"--generate", "--seed", "--session", "--learn", "--save", "--compare", "--dot", "--max-depth",
        "--brief", "--help", "--version"},
       {{"--generate", "|", "10"}}},
      {"treebench-curve",
       TREEBENCH_CURVE_PROGRAM,
       "Usage: treebench-curve [OPTION]... CODE\n",
       {"--learn-every", "--examples", "--runs", "--seed", "--csv", "--svg", "--help", "--version"},
       {{"&", "--examples=4", "--runs=1"}}},
      {"treebench-bench",
       TREEBENCH_BENCH_PROGRAM,
       "Usage: treebench-bench DATA [--repeat R] [--save TREE]\n"
       "       treebench-bench --generate CODE N [--seed S] [--repeat R] [--save TREE]\n"
       "       treebench-bench --generate CODE N [--seed S] --write FILE.csv\n"
       "CODE is one of '|' '^' '&' '#' '%' '*', quoted for the shell: --generate '#' 1000\n",
       {"--seed", "--repeat", "--save", "--write", "--help", "--version", "4294967295"},
       {{"--generate", "|", "10"}}},
      {"treebench-learn",
       TREEBENCH_LEARN_PROGRAM,
       "Usage: treebench-learn [OPTION]... DATA\n",
       {"--method", "--unpruned", "--confidence", "--min-leaf", "--save", "--cv", "--seed", "--curve",
        "--help", "--version"},
       {{"DATA"}, {"--cv", "2", "--curve", "DATA"}}},
  };
}

CommandRun run(const Tool& tool, const Arguments& args, const std::string& tree,
               const CommandOptions& options = {}) {
  Arguments argv{tool.program};
  for (const std::string& arg : args)
    argv.push_back(arg == "TREE" ? tree : arg == "DATA" ? tree.substr(0, tree.rfind('/')) + "/and.csv" : arg);
  return runCommand(argv, options);
}

}  // namespace

TEST(ToolPrograms, AnswerHelpVersionAndMisuseAndFailWhereTheirOutputIsLost) {
  const TempDir dir;
  const std::string tree = dir.file("tree.txt");
  writeFile(tree, andFile);
  writeFile(dir.file("and.csv"), "0,0,0\n0,1,0\n1,0,0\n1,1,1\n");
  CommandOptions closed;
  closed.closedOutput = true;
  CommandOptions full;
  full.outputFile = "/dev/full";
  const bool haveFull = access("/dev/full", W_OK) == 0;
  for (const Tool& tool : tools()) {
    SCOPED_TRACE(tool.name);
    const std::string name = tool.name;
    const CommandRun help = run(tool, {"--help"}, tree);
    EXPECT_EQ(exitCode(help.status), 0);
    EXPECT_EQ(help.err, "");
    EXPECT_EQ(help.out.substr(0, tool.usage.size()), tool.usage);
    for (const char* word : tool.words) EXPECT_NE(help.out.find(word), std::string::npos) << word;
    // Answered whatever follows it.
    const CommandRun version = run(tool, {"--version", "TREE"}, tree);
    EXPECT_EQ(exitCode(version.status), 0);
    EXPECT_EQ(version.err, "");
    EXPECT_EQ(version.out, name + " (treebench) " TREEBENCH_VERSION "\n");
    const CommandRun misused = run(tool, {"--colour"}, tree);
    EXPECT_EQ(exitCode(misused.status), 2);
    EXPECT_EQ(misused.out, "");
    EXPECT_EQ(misused.err,
              name + ": unrecognized option '--colour'\nTry '" + name + " --help' for more information.\n");
    std::vector<Arguments> writes = tool.writes;
    writes.push_back({"--version"});
    for (const Arguments& args : writes) {
      SCOPED_TRACE(args[0]);
      const CommandRun lost = run(tool, args, tree, closed);
      EXPECT_EQ(exitCode(lost.status), 1);
      EXPECT_EQ(lost.err, name + ": write error: Bad file descriptor\n");
    }
    writes.push_back({"--help"});
    for (const Arguments& args : haveFull ? writes : std::vector<Arguments>{}) {
      SCOPED_TRACE(args[0]);
      const CommandRun lost = run(tool, args, tree, full);
      EXPECT_EQ(exitCode(lost.status), 1);
      EXPECT_EQ(lost.err, name + ": write error: No space left on device\n");
    }
  }
}

TEST(ToolPrograms, AWriteThatFailedWithoutACauseSaysNoCause) {
  std::ostream broken(nullptr);
  broken << "lost";
  std::ostringstream err;
  errno = 0;
  EXPECT_EQ(finishOutput(broken, err, "treebench-curve", programSucceeded), programFailed);
  EXPECT_EQ(err.str(), "treebench-curve: write error\n");
}
