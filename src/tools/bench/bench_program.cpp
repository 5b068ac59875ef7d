// treebench-bench: times the workbench's learn on a large training set.
//
// --write writes the examples as CSV and learns nothing: it makes the data
// sets on which other learners are compared with this one.
#include "tools/bench/bench_program.h"

#include <sys/resource.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <exception>
#include <new>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "learner/learner.h"
#include "tools/bench/bench_options.h"
#include "tools/common/data_file.h"
#include "tools/common/dataset.h"
#include "tools/common/program_output.h"
#include "tree/tree_file.h"

namespace {

constexpr const char* programName = "treebench-bench";

// The concept codes are characters the shell reads for itself, so every
// example of them is quoted.
constexpr const char* helpText =
    "Usage: treebench-bench DATA [--repeat R] [--save TREE]\n"
    "       treebench-bench --generate CODE N [--seed S] [--repeat R] [--save TREE]\n"
    "       treebench-bench --generate CODE N [--seed S] --write FILE.csv\n"
    "CODE is one of '|' '^' '&' '#' '%' '*', quoted for the shell: --generate '#' 1000\n"
    "\n"
    "Time the workbench's learn on a large training set: the rows of DATA, a CSV\n"
    "file (the attribute values, then the class 0 or 1, all numbers, no header;\n"
    "or with names) or an ARFF file of two classes, or N examples drawn as the\n"
    "workbench draws them for the concept CODE:\n"
    "  '|' or, '^' xor, '&' and, '#' triple or, '%' exactly one of three, '*' triple and.\n"
    "\n"
    "      --header      the first row of the CSV file names the columns\n"
    "      --no-header   the first row of the CSV file is data\n"
    "      --class N|NAME  the class is column N (from 1) or the column NAME, not the last\n"
    "      --seed S      seed the example generator with S, 0 to 4294967295 (default 1)\n"
    "      --repeat R    learn R times, 1 to 1000 (default 3), and report the best\n"
    "      --save TREE   save the tree as the workbench saves it\n"
    "      --write FILE  write the examples as CSV and learn nothing\n"
    "      --help        display this help and exit\n"
    "      --version     output version information and exit\n"
    "\n"
    "Prints one line:\n"
    "  examples=N attributes=K load_s=... learn_s=BEST nodes=M depth=D peak_rss_mb=...\n"
    "\n"
    "Exit status:\n"
    " 0  if OK,\n"
    " 1  if the data cannot be read, the learn fails, memory runs out or output failed,\n"
    " 2  if the command line is wrong.\n";

constexpr ToolTexts bench{programName, helpText, "treebench-bench (treebench) " TREEBENCH_VERSION "\n"};

double secondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Nodes and levels (a lone root is depth 0), walked without recursion.
std::pair<std::size_t, std::size_t> shape(const TreeNode* root) {
  std::size_t nodes = 0;
  std::size_t depth = 0;
  std::vector<std::pair<const TreeNode*, std::size_t>> stack;
  if (root != nullptr) stack.emplace_back(root, 0);
  while (!stack.empty()) {
    const auto [node, level] = stack.back();
    stack.pop_back();
    ++nodes;
    depth = std::max(depth, level);
    if (node->right) stack.emplace_back(node->right.get(), level + 1);
    if (node->left) stack.emplace_back(node->left.get(), level + 1);
  }
  return {nodes, depth};
}

// The examples as CSV, written whole or not at all.
bool writeCsv(const Dataset& data, const std::string& name, std::ostream& err) {
  std::string text;
  char field[32];
  const float* values = data.values.data();
  for (std::size_t i = 0; i < data.size(); ++i) {
    for (std::size_t k = 0; k < data.width; ++k)
      text.append(field, static_cast<std::size_t>(
                             std::snprintf(field, sizeof field, "%.9g,", static_cast<double>(*values++))));
    text += std::to_string(data.classes[i]) + '\n';
  }
  return saveOutput(name, text, programName, err);
}

double peakRssMb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;  // Linux reports KiB
}

// Learns once, step for step as the workbench's learn does, so that the
// time includes freeing the old tree and emptying the training set after
// success. Answers why it failed, or nothing.
std::string learnOnce(Learner& learner) {
  learner.root.reset();
  Growth grown = learnFrom(learner.examples);
  learner.root = std::move(grown.tree);
  if (grown.failure != nullptr) return grown.failure;
  if (!learner.root) return "out of memory";
  learner.clearExamples();
  return "";
}

int measure(const BenchOptions& options, std::FILE* standardInput, std::ostream& out, std::ostream& err) {
  const ExampleSource& from = options.source;
  Dataset data;
  const auto loadStart = std::chrono::steady_clock::now();
  if (from.fitness == 0) {
    if (!loadForMethod(programName, from.csv, standardInput, from.data, data, err)) return programFailed;
  } else {
    data = generate(from.fitness, from.count, from.seed);
  }
  const double loadSeconds = secondsSince(loadStart);
  if (!options.write.empty()) return writeCsv(data, options.write, err) ? programSucceeded : programFailed;
  if (data.size() == 0) {
    err << programName << ": there are no examples to learn from\n";
    return programFailed;
  }

  Learner learner;
  double best = 0.0;
  for (int run = 0; run < options.repeat; ++run) {
    fillLearner(learner, data);
    const auto start = std::chrono::steady_clock::now();
    const std::string failure = learnOnce(learner);
    const double seconds = secondsSince(start);
    if (!failure.empty()) {
      err << programName << ": " << failure << '\n';
      return programFailed;
    }
    if (run == 0 || seconds < best) best = seconds;
  }

  if (!options.save.empty() && !saveOutput(options.save, TreeFile::text(*learner.root), programName, err))
    return programFailed;
  const auto [nodes, depth] = shape(learner.root.get());
  char line[256];
  std::snprintf(line, sizeof line,
                "examples=%zu attributes=%zu load_s=%.3f learn_s=%.6f nodes=%zu depth=%zu peak_rss_mb=%.0f\n",
                data.size(), data.width, loadSeconds, best, nodes, depth, peakRssMb());
  // Cleared, so that a failed write is the only cause `finishOutput` can name.
  errno = 0;
  out << line;
  return finishOutput(out, err, programName, programSucceeded);
}

}  // namespace

int runBench(const std::vector<std::string>& args, std::FILE* standardInput, std::ostream& out,
             std::ostream& err) {
  try {
    const ParsedBenchArguments parsed = parseBenchArguments(args);
    if (const auto answered = answerCommandLine(parsed.request, parsed.error, bench, out, err))
      return *answered;
    return measure(parsed.options, standardInput, out, err);
  } catch (const std::bad_alloc&) {
    err << programName << ": out of memory\n";
  } catch (const std::exception& error) {
    err << programName << ": " << error.what() << '\n';
  }
  return programFailed;
}
