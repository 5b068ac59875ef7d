// treebench-textbook-bench: times the textbook learner on a data file, and
// prints its tree as Weka's J48 prints one, for bench/j48_compare.py and
// bench/textbook_compare.sh.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <iostream>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "tools/common/command_line.h"
#include "tools/common/data_file.h"
#include "tools/common/dataset.h"
#include "tools/common/program_output.h"
#include "tools/textbook/j48_text.h"
#include "tools/textbook/textbook_learn.h"

namespace {

constexpr const char* programName = "treebench-textbook-bench";

constexpr const char* helpText =
    "Usage: treebench-textbook-bench DATA [--unpruned] [--confidence CF] [--min-leaf M]\n"
    "                                [--repeat R] [--tree]\n"
    "Time the textbook learner (C4.5 as J48 -B learns) on the rows of DATA, a data\n"
    "file as the tools read it (CSV or ARFF); with DATA -, read standard input.\n"
    "\n"
    "      --unpruned       grow and collapse only, without pruning\n"
    "      --confidence CF  the pruning's confidence, above 0 and at most 0.5\n"
    "                         (default 0.25)\n"
    "      --min-leaf M     at least M cases on two branches of a test, 1 to\n"
    "                         1000000 (default 2)\n"
    "      --repeat R       learn R times, 1 to 1000 (default 3), and report the best\n"
    "      --tree           print the tree as Weka's J48 prints it, then its\n"
    "                         number of leaves and size\n"
    "      --help           display this help and exit\n"
    "      --version        output version information and exit\n"
    "\n"
    "Prints one line:\n"
    "  examples=N attributes=K load_s=... learn_s=BEST leaves=L size=S peak_rss_mb=...\n"
    "\n"
    "Exit status:\n"
    " 0  if OK,\n"
    " 1  if the data cannot be read, memory runs out or output failed,\n"
    " 2  if the command line is wrong.\n";

constexpr ToolTexts texts{programName, helpText,
                          "treebench-textbook-bench (treebench) " TREEBENCH_VERSION "\n"};

struct BenchOptions {
  std::string data;
  TextbookOptions learn;
  unsigned repeat = 3;
  bool tree = false;
};

enum Option : std::size_t { unpruned, confidence, minLeaf, repeat, tree };

constexpr ToolOption benchOptions[] = {
    {"unpruned"}, {"confidence", true}, {"min-leaf", true}, {"repeat", true}, {"tree"}};

ParsedArguments<BenchOptions> parse(const std::vector<std::string>& args) {
  const auto take = [](const GivenOption& given, BenchOptions& options) -> std::optional<std::string> {
    switch (given.option) {
      case Option::unpruned:
        options.learn.unpruned = true;
        break;
      case Option::confidence:
        return readConfidence(given.value, options.learn);
      case Option::minLeaf:
        return readMinLeaf(given.value, options.learn);
      case Option::repeat:
        if (const auto r = wholeNumber(given.value.c_str(), 1, 1000)) {
          options.repeat = static_cast<unsigned>(*r);
          break;
        }
        return badNumber("repeat count", given.value, 1, 1000);
      case Option::tree:
        options.tree = true;
        break;
    }
    return std::nullopt;
  };
  const auto finish = [](const std::vector<std::string>& operands,
                         BenchOptions& options) -> std::optional<std::string> {
    if (operands.size() != 1) return "give one data file";
    options.data = operands[0];
    return std::nullopt;
  };
  return parseToolArguments<BenchOptions>(args, benchOptions, take, finish);
}

double secondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

int run(const BenchOptions& options) {
  Dataset data;
  const auto loading = std::chrono::steady_clock::now();
  if (const auto refused = loadData(options.data, stdin, data)) {
    std::cerr << programName << ": " << *refused << '\n';
    return programFailed;
  }
  const double load = secondsSince(loading);
  double best = 0.0;
  TextbookTree tree;
  for (unsigned k = 0; k < options.repeat; ++k) {
    tree = TextbookTree();  // the last tree is freed outside the timing
    const auto start = std::chrono::steady_clock::now();
    tree = learnTextbook(data, options.learn);
    const double seconds = secondsSince(start);
    best = k == 0 || seconds < best ? seconds : best;
  }
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  if (options.tree) {
    std::cout << j48Text(tree, data) << "\nNumber of Leaves  : \t" << leafCount(tree)
              << "\n\nSize of the tree : \t" << tree.nodes.size() << "\n\n";
  }
  char line[256];
  std::snprintf(line, sizeof line,
                "examples=%zu attributes=%zu load_s=%.6f learn_s=%.6f leaves=%zu size=%zu peak_rss_mb=%.0f\n",
                data.size(), data.width, load, best, leafCount(tree), tree.nodes.size(),
                static_cast<double>(usage.ru_maxrss) / 1024.0);
  std::cout << line;
  return finishOutput(std::cout, std::cerr, programName, programSucceeded);
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  const ParsedArguments<BenchOptions> parsed = parse(args);
  try {
    if (const auto answered = answerCommandLine(parsed.request, parsed.error, texts, std::cout, std::cerr))
      return *answered;
    return run(parsed.options);
  } catch (const std::bad_alloc&) {
    std::cerr << programName << ": out of memory\n";
  } catch (const std::length_error& error) {
    std::cerr << programName << ": " << error.what() << '\n';
  }
  return programFailed;
}
