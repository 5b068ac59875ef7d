// treebench-bench end to end: what it refuses, what it prints, the tree it
// saves, and how it fails.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "learner/learner.h"
#include "support/command.h"
#include "support/temp_dir.h"
#include "tools/common/data_file.h"
#include "tools/common/dataset.h"
#include "tree/tree_file.h"

namespace {

CommandRun runBench(const std::vector<std::string>& args, const CommandOptions& options = {}) {
  std::vector<std::string> argv{TREEBENCH_BENCH_PROGRAM};
  argv.insert(argv.end(), args.begin(), args.end());
  return runCommand(argv, options);
}

// The result line's fields by name, or nothing when the line is not exactly
// `examples=N attributes=K load_s=… learn_s=… nodes=M depth=D peak_rss_mb=…`
// with every value a number.
std::map<std::string, std::string> resultFields(const std::string& output) {
  static const char* const names[] = {"examples", "attributes", "load_s",     "learn_s",
                                      "nodes",    "depth",      "peak_rss_mb"};
  std::map<std::string, std::string> fields;
  if (output.empty() || output.back() != '\n' || output.find('\n') != output.size() - 1) return {};
  std::istringstream words(output);
  std::string word;
  for (const char* name : names) {
    if (!(words >> word)) return {};
    const std::string prefix = std::string(name) + "=";
    const std::string value = word.substr(std::min(prefix.size(), word.size()));
    if (word.compare(0, prefix.size(), prefix) != 0 || value.empty() ||
        value.find_first_not_of("0123456789.") != std::string::npos)
      return {};
    fields[name] = value;
  }
  if (words >> word) return {};
  return fields;
}

}  // namespace

// The reader's refusal reaches standard error, and nothing is learnt.
TEST(BenchProgram, RefusesABadRowWithTheFileLineAndReason) {
  TempDir dir;
  const std::string file = dir.file("rows.csv");
  writeFile(file, "1.0,0.0,1\n0,1,0\n1,0,2\n");
  const std::string saved = dir.file("tree.txt");
  const CommandRun run = runBench({file, "--repeat", "1", "--save", saved});
  EXPECT_EQ(exitCode(run.status), 1);
  EXPECT_EQ(run.err, "treebench-bench: " + file + ":3: the class is neither 0 nor 1\n");
  EXPECT_EQ(run.out, "");
  EXPECT_FALSE(fileExists(saved));
}

TEST(BenchProgram, LearnsACsvFileAndSavesTheWorkbenchTree) {
  TempDir dir;
  const std::string file = dir.file("and.csv");
  // Two-input and, with CRLF line ends, blanks and no end on the last line.
  writeFile(file, "0.0,0.0,0\r\n0,1,0\n 1.0 , 0.0 ,0\n1,1,1.0");
  const std::string saved = dir.file("tree.txt");
  const CommandRun run = runBench({file, "--repeat", "2", "--save", saved});
  ASSERT_EQ(exitCode(run.status), 0) << run.err;
  auto fields = resultFields(run.out);
  ASSERT_FALSE(fields.empty()) << run.out;
  EXPECT_EQ(fields["examples"], "4");
  EXPECT_EQ(fields["attributes"], "2");
  EXPECT_EQ(fields["nodes"], "5");
  EXPECT_EQ(fields["depth"], "2");

  Learner learner;
  learner.addExample({1, 1}, 1);
  learner.addExample({0, 0}, 0);
  learner.addExample({1, 0}, 0);
  learner.addExample({0, 1}, 0);
  learner.learn();
  const std::string expected = dir.file("expected.txt");
  ASSERT_TRUE(learner.save(expected.c_str()));
  EXPECT_EQ(readFile(saved), readFile(expected));
}

TEST(BenchProgram, GeneratesAsTheWorkbenchDoes) {
  const CommandRun run = runBench({"--generate", "%", "5000", "--seed", "7", "--repeat", "1"});
  EXPECT_EQ(exitCode(run.status), 0) << run.err;
  auto fields = resultFields(run.out);
  ASSERT_FALSE(fields.empty()) << run.out;
  EXPECT_EQ(fields["examples"], "5000");
  EXPECT_EQ(fields["attributes"], "3");
  // Every input of three values occurs. Exactly-one-of-three tests every
  // attribute on every path but one: with the first two values both 1 the
  // class is 0 whatever the third. So 6 tests and 7 leaves.
  EXPECT_EQ(fields["nodes"], "13");
  EXPECT_EQ(fields["depth"], "3");
  // The largest seed still draws.
  EXPECT_EQ(exitCode(runBench({"--generate", "%", "10", "--seed", "4294967295", "--repeat", "1"}).status), 0);
  // --write writes the very examples drawn, as the CSV reader reads them.
  const TempDir dir;
  ASSERT_EQ(exitCode(runBench({"--generate", "%", "50", "--seed", "7", "--write", dir.file("drawn.csv")}).status), 0);
  Dataset written;
  ASSERT_EQ(loadData(dir.file("drawn.csv"), nullptr, written), std::nullopt);
  const Dataset drawn = generate('%', 50, 7);
  EXPECT_EQ(written.values, drawn.values);
  EXPECT_EQ(written.classes, drawn.classes);
}

TEST(BenchProgram, RefusesAWrongCommandLineWithStatusTwo) {
  const struct {
    std::vector<std::string> args;
    const char* message;
  } usages[] = {
      {{"--generate", "||", "10"}, "unknown concept code '||'"},
      {{"--generate", "%", "10", "--repeat", "0"}, "bad repeat count '0': give a number from 1 to 1000"},
      // The most examples that can be held depends on the size of one.
      {{"--generate", "|", "18446744073709551615"},
       "bad example count '18446744073709551615': give a number from 0 to "},
      {{}, "give either a data file or --generate"},
      {{"--generate", "%", "10", "--write="}, "empty file name for --write"},
  };
  for (const auto& u : usages) {
    const CommandRun run = runBench(u.args);
    EXPECT_EQ(exitCode(run.status), 2) << u.message;
    EXPECT_EQ(run.out, "");
    const std::size_t lineEnd = run.err.find('\n');
    ASSERT_NE(lineEnd, std::string::npos) << run.err;
    const std::string line = run.err.substr(0, lineEnd);
    const std::string expected = "treebench-bench: " + std::string(u.message);
    if (expected.back() == ' ') {
      EXPECT_EQ(line.substr(0, expected.size()), expected);
      const std::string most = line.substr(expected.size());
      EXPECT_TRUE(most.size() > 9 && most.size() < 20 &&
                  most.find_first_not_of("0123456789") == std::string::npos)
          << line;
    } else {
      EXPECT_EQ(line, expected);
    }
    EXPECT_EQ(run.err.substr(lineEnd + 1), "Try 'treebench-bench --help' for more information.\n");
  }
}

TEST(BenchProgram, FailsWithStatusOneWhereTheLearnOrOutputFails) {
  TempDir dir;
  // The threshold of the second split is the largest value of its set, so
  // the growth stops with its message.
  const std::string file = dir.file("rows.csv");
  writeFile(file, "0.1,0\n0.3,0\n0.6,1\n0.9,1\n");
  const std::string saved = dir.file("tree.txt");
  const CommandRun illegal = runBench({file, "--save", saved});
  EXPECT_EQ(exitCode(illegal.status), 1);
  EXPECT_EQ(illegal.err, "treebench-bench: Illegal C4.5 Tree structure.\n");
  EXPECT_EQ(illegal.out, "");
  EXPECT_FALSE(fileExists(saved));

  const CommandRun unwritten = runBench({"--generate", "|", "10", "--write", dir.file("\a/rows.csv")});
  EXPECT_EQ(exitCode(unwritten.status), 1);
  EXPECT_EQ(unwritten.err,
            "treebench-bench: " + dir.file("\\x07/rows.csv") + ": cannot write: No such file or directory\n");

  // Written whole or not at all: beyond the file size limit the old file stays.
  const std::string kept = dir.file("keep.csv");
  writeFile(kept, std::string(8000, '1'));
  CommandOptions limited;
  limited.fileSizeLimit = 16384;
  const CommandRun tooLarge = runBench({"--generate", "#", "100000", "--write", kept}, limited);
  EXPECT_EQ(exitCode(tooLarge.status), 1);
  EXPECT_EQ(tooLarge.err, "treebench-bench: " + kept + ": cannot write: File too large\n");
  EXPECT_EQ(readFile(kept), std::string(8000, '1'));

  const CommandRun none = runBench({"--generate", "&", "0"});
  EXPECT_EQ(exitCode(none.status), 1);
  EXPECT_EQ(none.err, "treebench-bench: there are no examples to learn from\n");
}

TEST(BenchProgram, RunsOutOfMemoryWithAMessageAndStatusOne) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the address sanitizer reserves more address space than the memory limit leaves";
#else
  CommandOptions small;
  small.memoryLimit = 256U << 20;
  const CommandRun big = runBench({"--generate", "#", "1000000000"}, small);
  EXPECT_EQ(exitCode(big.status), 1);
  EXPECT_EQ(big.err, "treebench-bench: out of memory\n");
  EXPECT_EQ(big.out, "");
#endif
}
