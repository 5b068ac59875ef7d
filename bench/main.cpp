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
#include <string>
#include <utility>
#include <vector>

#include "dataset.h"
#include "examples/example_generator.h"
#include "learner/learner.h"

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

[[noreturn]] void usage(const char* why) {
  std::fprintf(stderr,
               "treebench-bench: %s\n"
               "usage: treebench-bench FILE.csv [--repeat R] [--save TREE]\n"
               "       treebench-bench --generate CODE N [--seed S] [--repeat R] [--save TREE]\n"
               "       treebench-bench --generate CODE N [--seed S] --write FILE.csv\n"
               "CODE is one of | ^ & # %% *\n",
               why);
  std::exit(2);
}

unsigned long long number(const char* text, const char* what) {
  char* end = nullptr;
  errno = 0;
  const unsigned long long value = std::strtoull(text, &end, 10);
  if (*text == '\0' || *end != '\0' || errno != 0 || *text == '-')
    usage((std::string("bad ") + what).c_str());
  return value;
}

Options parse(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasNext = i + 1 < argc;
    if (arg == "--generate" && i + 2 < argc) {
      if (std::strlen(argv[i + 1]) != 1 || !isFitnessFunction(argv[i + 1][0])) usage("unknown fitness code");
      options.fitness = argv[i + 1][0];
      options.count = number(argv[i + 2], "example count");
      i += 2;
    } else if (arg == "--seed" && hasNext) {
      options.seed = static_cast<unsigned>(number(argv[++i], "seed"));
    } else if (arg == "--repeat" && hasNext) {
      const unsigned long long repeat = number(argv[++i], "repeat count");
      if (repeat < 1 || repeat > 1000) usage("repeat count must be 1 to 1000");
      options.repeat = static_cast<int>(repeat);
    } else if (arg == "--write" && hasNext) {
      options.write = argv[++i];
    } else if (arg == "--save" && hasNext) {
      options.save = argv[++i];
    } else if (!arg.empty() && arg[0] != '-' && options.csv.empty()) {
      options.csv = arg;
    } else {
      usage(("unexpected argument " + arg).c_str());
    }
  }
  if (options.csv.empty() == (options.fitness == 0)) usage("give either a CSV file or --generate");
  return options;
}

double secondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Appends to the training set as Learner::addExample does, without a
// vector of its own for each example.
void fill(Learner& learner, const Dataset& data) {
  learner.clearExamples();
  learner.examples.reserve(data.size());
  const float* values = data.values.data();
  for (std::size_t i = 0; i < data.size(); ++i, values += data.width) {
    learner.examples.emplace_back(data.classes[i], std::span<const float>(values, data.width));
  }
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

}  // namespace

int main(int argc, char** argv) {
  const Options options = parse(argc, argv);

  Dataset data;
  const auto loadStart = std::chrono::steady_clock::now();
  if (!options.csv.empty()) {
    std::FILE* file = std::fopen(options.csv.c_str(), "r");
    if (file == nullptr) {
      std::fprintf(stderr, "%s: cannot open: %s\n", options.csv.c_str(), std::strerror(errno));
      return 1;
    }
    try {
      readCsv(file, data);
    } catch (const CsvError& error) {
      std::fclose(file);
      std::fprintf(stderr, "%s:%zu: %s\n", options.csv.c_str(), error.line, error.reason.c_str());
      return 1;
    }
    std::fclose(file);
  } else {
    data = generate(options.fitness, options.count, options.seed);
  }
  const double loadSeconds = secondsSince(loadStart);
  if (!options.write.empty()) return writeCsv(data, options.write) ? 0 : 1;

  Learner learner;
  double best = 0.0;
  for (int run = 0; run < options.repeat; ++run) {
    fill(learner, data);
    const auto start = std::chrono::steady_clock::now();
    learner.learn();
    const double seconds = secondsSince(start);
    if (run == 0 || seconds < best) best = seconds;
  }

  if (!options.save.empty() && !learner.save(options.save.c_str())) {
    std::fprintf(stderr, "%s: the tree was not saved\n", options.save.c_str());
    return 1;
  }
  const auto [nodes, depth] = shape(learner.root.get());
  std::printf("examples=%zu attributes=%zu load_s=%.3f learn_s=%.6f nodes=%zu depth=%zu peak_rss_mb=%.0f\n",
              data.size(), data.width, loadSeconds, best, nodes, depth, peakRssMb());
  return 0;
}
