// treebench-bench: times the workbench's learn on a large training set.
//
//   treebench-bench FILE.csv [--repeat R] [--save TREE]
//   treebench-bench --generate CODE N [--seed S] [--repeat R] [--save TREE]
//   treebench-bench --generate CODE N [--seed S] --write FILE.csv
//
// --write writes the examples as CSV and learns nothing: it makes the data
// sets on which other learners are compared with this one.
//
// Prints one line:
//   examples=N attributes=K load_s=... learn_s=BEST nodes=M depth=D peak_rss_mb=...
#include <sys/resource.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <iostream>
#include <limits>
#include <new>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "examples/example_generator.h"
#include "learner/learner.h"
#include "tools/common/command_line.h"
#include "tools/common/dataset.h"

namespace {

struct Options {
  std::string csv;
  char fitness = 0;
  std::size_t count = 0;
  unsigned seed = 1;
  int repeat = 3;
  std::string save;
  std::string write;
};

// The concept codes are characters the shell reads for itself, so every
// example of them is quoted.
constexpr const char* usageText =
    "Usage: treebench-bench FILE.csv [--repeat R] [--save TREE]\n"
    "       treebench-bench --generate CODE N [--seed S] [--repeat R] [--save TREE]\n"
    "       treebench-bench --generate CODE N [--seed S] --write FILE.csv\n"
    "CODE is one of '|' '^' '&' '#' '%' '*', quoted for the shell: --generate '#' 1000\n";

constexpr const char* helpText =
    "\n"
    "Time the workbench's learn on a large training set: the rows of FILE.csv\n"
    "(the attribute values, then the class 0 or 1, all numbers, no header), or N\n"
    "examples drawn as the workbench draws them for the concept CODE:\n"
    "  '|' or, '^' xor, '&' and, '#' triple or, '%' exactly one of three, '*' triple and.\n"
    "\n"
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

constexpr const char* versionText = "treebench-bench (treebench) " TREEBENCH_VERSION "\n";

[[noreturn]] void usage(const std::string& why) {
  std::fprintf(stderr, "treebench-bench: %s\n%s", why.c_str(), usageText);
  std::exit(2);
}

// Output that did not reach standard output must not pass for success. The
// cause is named when the failed write left one in errno, which the callers
// clear before they write.
int finish(int status) {
  if (std::fflush(stdout) == 0 && std::ferror(stdout) == 0) return status;
  const int cause = errno;
  std::fprintf(stderr, "treebench-bench: write error%s%s\n", cause != 0 ? ": " : "",
               cause != 0 ? std::strerror(cause) : "");
  return 1;
}

unsigned long long number(const char* text, const char* what, unsigned long long least,
                          unsigned long long most) {
  if (const auto value = wholeNumber(text, least, most)) return *value;
  usage("bad " + std::string(what) + " '" + text + "': give a number from " + std::to_string(least) + " to " +
        std::to_string(most));
}

// The request of the command line. The first of --help, --version or a
// wrong argument decides.
enum class Request { measure, help, version };

Request parse(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasNext = i + 1 < argc;
    if (arg == "--help") return Request::help;
    if (arg == "--version") return Request::version;
    if (arg == "--generate" && i + 2 < argc) {
      const std::string code = argv[i + 1];
      if (code.size() != 1 || !isFitnessFunction(code[0])) usage("unknown concept code '" + code + "'");
      options.fitness = code[0];
      options.count = number(argv[i + 2], "example count", 0, maxExamples(valueCount(options.fitness)));
      i += 2;
    } else if (arg == "--seed" && hasNext) {
      options.seed =
          static_cast<unsigned>(number(argv[++i], "seed", 0, std::numeric_limits<std::uint32_t>::max()));
    } else if (arg == "--repeat" && hasNext) {
      options.repeat = static_cast<int>(number(argv[++i], "repeat count", 1, 1000));
    } else if (arg == "--write" && hasNext) {
      options.write = argv[++i];
    } else if (arg == "--save" && hasNext) {
      options.save = argv[++i];
    } else if (!arg.empty() && arg[0] != '-' && options.csv.empty()) {
      options.csv = arg;
    } else {
      usage("unexpected argument " + arg);
    }
  }
  if (options.csv.empty() == (options.fitness == 0)) usage("give either a CSV file or --generate");
  return Request::measure;
}

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

bool writeCsv(const Dataset& data, const std::string& name) {
  std::FILE* file = std::fopen(name.c_str(), "w");
  if (file == nullptr) {
    std::fprintf(stderr, "%s: cannot write: %s\n", name.c_str(), std::strerror(errno));
    return false;
  }
  const float* values = data.values.data();
  for (std::size_t i = 0; i < data.size(); ++i) {
    for (std::size_t k = 0; k < data.width; ++k) std::fprintf(file, "%.9g,", static_cast<double>(*values++));
    std::fprintf(file, "%d\n", data.classes[i]);
  }
  const bool written = std::ferror(file) == 0;
  if (std::fclose(file) != 0 || !written) {
    std::fprintf(stderr, "%s: cannot write\n", name.c_str());
    return false;
  }
  return true;
}

double peakRssMb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;  // Linux reports KiB
}

// Learns once. A learn that fails keeps its examples, and also handles the
// failure itself: it prints the growth failure's message, keeping the
// partial tree, and after any other failure, which is memory running out,
// it keeps no tree. Answers why it failed, or nothing.
std::string learnOnce(Learner& learner) {
  std::ostringstream printed;
  std::streambuf* const console = std::cout.rdbuf(printed.rdbuf());
  learner.learn();
  std::cout.rdbuf(console);
  if (learner.examples.empty()) return {};
  if (!learner.root) return "out of memory";
  std::string message = printed.str();
  while (!message.empty() && message.back() == '\n') message.pop_back();
  return message.empty() ? "the learn failed" : message;
}

int measure(const Options& options) {
  Dataset data;
  const auto loadStart = std::chrono::steady_clock::now();
  if (!options.csv.empty()) {
    if (const auto refused = loadCsv(options.csv, stdin, data)) {
      std::fprintf(stderr, "%s\n", refused->c_str());
      return 1;
    }
  } else {
    data = generate(options.fitness, options.count, options.seed);
  }
  const double loadSeconds = secondsSince(loadStart);
  if (!options.write.empty()) return writeCsv(data, options.write) ? 0 : 1;

  Learner learner;
  double best = 0.0;
  for (int run = 0; run < options.repeat; ++run) {
    fillLearner(learner, data);
    const auto start = std::chrono::steady_clock::now();
    const std::string failure = learnOnce(learner);
    const double seconds = secondsSince(start);
    if (!failure.empty()) {
      std::fprintf(stderr, "treebench-bench: %s\n", failure.c_str());
      return 1;
    }
    if (run == 0 || seconds < best) best = seconds;
  }

  if (!options.save.empty() && !learner.save(options.save.c_str())) {
    std::fprintf(stderr, "%s: the tree was not saved\n", options.save.c_str());
    return 1;
  }
  const auto [nodes, depth] = shape(learner.root.get());
  errno = 0;
  std::printf("examples=%zu attributes=%zu load_s=%.3f learn_s=%.6f nodes=%zu depth=%zu peak_rss_mb=%.0f\n",
              data.size(), data.width, loadSeconds, best, nodes, depth, peakRssMb());
  return finish(0);
}

}  // namespace

int main(int argc, char** argv) {
  try {
    Options options;
    switch (parse(argc, argv, options)) {
      case Request::help:
        errno = 0;
        std::printf("%s%s", usageText, helpText);
        return finish(0);
      case Request::version:
        errno = 0;
        std::fputs(versionText, stdout);
        return finish(0);
      case Request::measure:
        break;
    }
    return measure(options);
  } catch (const std::bad_alloc&) {
    std::fputs("treebench-bench: out of memory\n", stderr);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "treebench-bench: %s\n", error.what());
  }
  return 1;
}
