// treebench-bench end to end: what it refuses, what it prints, the tree it
// saves.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <sstream>
#include <string>

#include "learner/learner.h"
#include "support/temp_dir.h"
#include "tree/tree_file.h"

namespace {

struct BenchRun {
  std::string output;  // standard output and standard error together
  int status = -1;
};

BenchRun runBench(const std::string& arguments) {
  BenchRun run;
  const std::string command = std::string("'") + TREEBENCH_BENCH_PROGRAM + "' " + arguments + " 2>&1";
  std::FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  char buffer[4096];
  std::size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.output.append(buffer, got);
  run.status = pclose(pipe);
  return run;
}

bool failed(const BenchRun& run) { return WIFEXITED(run.status) && WEXITSTATUS(run.status) != 0; }

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

TEST(BenchProgram, RefusesABadRowWithTheFileLineAndReason) {
  TempDir dir;
  struct Case {
    const char* rows;
    const char* message;
  };
  const Case cases[] = {
      {"1.0,0.0,1\n0,1,0\n1,1\n", ":3: 2 fields where the first row has 3\n"},
      {"1.0,0.0,1\n0,x,0\n", ":2: field 2 is not a number\n"},
      {"1.0,0.0,1\n0,1,0\n1,0,2\n", ":3: the class is neither 0 nor 1\n"},
      {"1.0,0.0,1\n0,1,0.5\n", ":2: the class is neither 0 nor 1\n"},
      {"1,0,1\n\n0,0,0\n", ":2: field 1 is not a number\n"},
      {"1,0,1\n0,1e,0\n", ":2: field 2 is not a number\n"},
  };
  for (const Case& c : cases) {
    const std::string file = dir.file("rows.csv");
    writeFile(file, c.rows);
    const std::string saved = dir.file("tree.txt");
    const BenchRun run = runBench("'" + file + "' --repeat 1 --save '" + saved + "'");
    EXPECT_TRUE(failed(run)) << c.rows;
    EXPECT_EQ(run.output, file + c.message) << c.rows;
    // Nothing was learnt, so there was no tree to save.
    EXPECT_FALSE(fileExists(saved)) << c.rows;
  }
}

TEST(BenchProgram, LearnsACsvFileAndSavesTheWorkbenchTree) {
  TempDir dir;
  const std::string file = dir.file("and.csv");
  // Two-input and, with CRLF line ends, blanks and no end on the last line.
  writeFile(file, "0.0,0.0,0\r\n0,1,0\n 1.0 , 0.0 ,0\n1,1,1.0");
  const std::string saved = dir.file("tree.txt");
  const BenchRun run = runBench("'" + file + "' --repeat 2 --save '" + saved + "'");
  ASSERT_FALSE(failed(run)) << run.output;
  auto fields = resultFields(run.output);
  ASSERT_FALSE(fields.empty()) << run.output;
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
  const BenchRun run = runBench("--generate '%' 5000 --seed 7 --repeat 1");
  auto fields = resultFields(run.output);
  ASSERT_FALSE(fields.empty()) << run.output;
  EXPECT_EQ(fields["examples"], "5000");
  EXPECT_EQ(fields["attributes"], "3");
  // Every input of three values occurs. Exactly-one-of-three tests every
  // attribute on every path but one: with the first two values both 1 the
  // class is 0 whatever the third. So 6 tests and 7 leaves.
  EXPECT_EQ(fields["nodes"], "13");
  EXPECT_EQ(fields["depth"], "3");
  EXPECT_TRUE(failed(runBench("--generate '?' 10")));
  EXPECT_TRUE(failed(runBench("--generate '%' 10 --repeat 0")));
}
