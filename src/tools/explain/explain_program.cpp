#include "tools/explain/explain_program.h"

#include <cerrno>
#include <new>
#include <ostream>

#include "induction/growth_observer.h"
#include "learner/learner.h"
#include "tools/common/data_file.h"
#include "tools/common/data_names.h"
#include "tools/common/dataset.h"
#include "tools/common/printable.h"
#include "tools/common/program_output.h"
#include "tools/explain/explain_options.h"
#include "tools/explain/explanation.h"
#include "tools/explain/session_log.h"
#include "tools/explain/textbook_explanation.h"
#include "tools/explain/tree_figures.h"
#include "tools/common/tree_dot.h"
#include "tools/common/tree_drawing.h"
#include "tree/tree_file.h"

namespace {

constexpr const char* programName = "treebench-explain";

constexpr const char* helpText =
    "Usage: treebench-explain [OPTION]... DATA\n"
    "  or:  treebench-explain [OPTION]... --generate CODE N\n"
    "  or:  treebench-explain [OPTION]... --session LOG [--learn K]\n"
    "Learn a decision tree as treebench learns it and show why it is what it is:\n"
    "for every node, in the order the tree grows, its examples, each value's\n"
    "candidate cuts with their scores, the value tested and why; then the tree,\n"
    "drawn as treebench-view draws it. With --method textbook, learn as textbook\n"
    "C4.5 does (release 8, as Weka's J48 -B) and show every step of its growth,\n"
    "collapse and pruning, then the tree as J48 prints it.\n"
    "\n"
    "DATA is a data file of two classes (of any number, with --method textbook): a CSV file of numbers, one example a\n"
    "row, the values then the class 0 or 1, as the workbench writes them; a CSV\n"
    "file with names; or an ARFF file. With DATA -, read standard input.\n"
    "\n"
    "      --generate CODE N  draw N examples as the workbench does for the concept\n"
    "                           CODE: '|' or, '^' xor, '&' and, '#' triple or,\n"
    "                           '%' exactly one of three, '*' triple and\n"
    "      --seed S           seed the example generator with S, 0 to 4294967295\n"
    "                           (default 1)\n"
    "      --header           the first row of the CSV file names the columns\n"
    "      --no-header        the first row of the CSV file is data\n"
    "      --class N|NAME     the class is column N (from 1) or the column NAME,\n"
    "                           not the last\n"
    "      --session LOG      learn from the examples of a learn of a workbench\n"
    "                           session recorded in LOG (treebench | tee LOG), as\n"
    "                           the session printed them; with LOG -, read standard\n"
    "                           input\n"
    "      --learn K          the K-th learn of LOG, counting every 'l' (default: the\n"
    "                           last that had examples)\n"
    "      --save TREE        save the tree as the workbench saves it\n"
    "      --compare          at every node, set textbook C4.5's figures beside the\n"
    "                           method's, for comparison: each value's information\n"
    "                           gain, split information and gain ratio at its cut of\n"
    "                           highest gain, and the value Quinlan's rule chooses\n"
    "      --dot              print only the tree, as a Graphviz digraph, in place of\n"
    "                           the explanation and the drawing: each test with its\n"
    "                           examples of each class and its score, each leaf with\n"
    "                           its examples and how many it misclassifies, each\n"
    "                           leaf filled with its class's colour\n"
    "      --max-depth=N      with --dot, draw the nodes down to depth N only (the\n"
    "                           root is 0), each test at depth N dashed and saying\n"
    "                           how many nodes below it are not drawn\n"
    "      --brief            with --dot, label each node with its test or class and\n"
    "                           its examples of each class alone: 2 of 0, 4 of 1\n"
    "      --method METHOD    whose learn to explain: workbench (the default), the\n"
    "                           workbench's method, or textbook, textbook C4.5: at\n"
    "                           each node every attribute's candidate tests with\n"
    "                           their gain, gain less the cost of a numeric cut,\n"
    "                           split information and gain ratio, the average gain\n"
    "                           and the test chosen; then each pruning decision\n"
    "      --unpruned         with --method textbook: do not prune\n"
    "      --confidence CF    with --method textbook: prune at confidence CF, above 0\n"
    "                           and at most 0.5 (default 0.25)\n"
    "      --min-leaf M       with --method textbook: at least M cases, 1 to\n"
    "                           1000000, on two branches of a test (default 2)\n"
    "      --help             display this help and exit\n"
    "      --version          output version information and exit\n"
    "\n"
    "--compare and --dot exclude each other; they, --save and --session go with\n"
    "the workbench's method.\n"
    "\n"
    "Exit status:\n"
    " 0  if OK, also when the learn stops with \"Illegal C4.5 Tree structure.\",\n"
    " 1  if the examples cannot be read (LOG holds no learn or no example line, or\n"
    "      learn K had no examples), there is no tree to save or to print as\n"
    "      a digraph, the tree cannot be saved, memory runs out or output failed,\n"
    " 2  if the command line is wrong.\n"
    "\n"
    "Examples:\n"
    "  treebench-explain --generate '^' 20 --seed 3\n"
    "  treebench-explain --session session.log --save tree.txt\n"
    "  treebench-explain --dot rows.csv | dot -Tsvg > tree.svg\n"
    "  treebench-explain --method textbook weather.arff\n";

constexpr ToolTexts explainer{programName, helpText, "treebench-explain (treebench) " TREEBENCH_VERSION "\n"};

// Where a session's examples come from: "made for %, learnt by learn 2 of
// session.log (line 57)".
std::string sessionText(const SessionLearn& learn, const std::string& log) {
  return std::string(" made for ") + learn.fitness + ", learnt by learn " + std::to_string(learn.number) +
         " of " + (log == "-" ? std::string("standard input") : printable(log)) + " (line " +
         std::to_string(learn.line) + ")";
}

std::string source(const ExampleSource& options, const Dataset& data, const std::string& session) {
  std::string text = std::to_string(data.size()) + (data.size() == 1 ? " example" : " examples");
  if (data.size() > 0) text += " of " + std::to_string(data.width) + (data.width == 1 ? " value" : " values");
  if (!session.empty()) return text + session;
  if (options.fitness != 0)
    return text + " drawn for " + options.fitness + " with seed " + std::to_string(options.seed);
  return text + " from " + (options.csv == "-" ? std::string("standard input") : printable(options.csv));
}

// Learns as the workbench's learn does, telling `observer` every step. A
// growth failure is told too; the partial tree stays in the learner, as the
// workbench keeps it.
void learnObserved(Learner& learner, const GrowthObserver& observer) {
  learner.root = learnFrom(learner.examples, &observer).tree;
}

// The explanation, then the tree drawn.
void writeExplanation(const ExplainOptions& options, const DataNames& names, Learner& learner,
                      std::ostream& out) {
  if (!learner.examples.empty()) {
    Explanation explanation(out, options.compare, names);
    learnObserved(learner, {[&](const GrowthEvent& event) { explanation.tell(event); }});
    out << '\n';
  }
  if (learner.root) {
    out << "The tree, as treebench-view draws it:\n";
    drawTree(*learner.root, LineStyle::boxDrawing, out, names);
  } else {
    out << "No tree: there are no examples to learn from.\n";
  }
}

// The digraph alone, so that it can go straight to Graphviz; answers whether
// there was a tree to write.
bool writeTreeDot(const ExplainOptions& options, const DataNames& names, Learner& learner, std::ostream& out,
                  std::ostream& err) {
  TreeFigures figures;
  if (!learner.examples.empty())
    learnObserved(learner, {[&](const GrowthEvent& event) { figures.tell(event); }});
  if (!learner.root) {
    err << programName << ": there is no tree to print: there are no examples to learn from\n";
    return false;
  }
  writeDot(
      *learner.root, out, [&](const TreeNode& node) { return figures.label(node, names, options.brief); },
      options.dotDepth);
  return true;
}

// The textbook learner's growth and pruning, of any number of classes, with
// the tree as J48 prints it.
int explainTextbook(const ExplainOptions& options, std::FILE* standardInput, std::ostream& out, std::ostream& err) {
  Dataset data;
  const ExampleSource& from = options.source;
  if (from.fitness != 0) {
    data = generate(from.fitness, from.count, from.seed);
  } else if (const auto refused = loadData(from.csv, standardInput, data, from.data)) {
    err << programName << ": " << *refused << '\n';
    return programFailed;
  } else if (const auto left = rowsLeftOut(from.csv, data)) {
    err << programName << ": " << *left << '\n';
  }
  errno = 0;
  out << source(from, data, "") << ".\n\n";
  if (data.size() == 0) {
    out << "No tree: there are no examples to learn from.\n";
  } else {
    writeTextbookExplanation(data, options.textbook, out);
  }
  return finishOutput(out, err, programName, programSucceeded);
}

int explain(const ExplainOptions& options, std::FILE* standardInput, std::ostream& out, std::ostream& err) {
  if (options.method == ExplainMethod::textbook) return explainTextbook(options, standardInput, out, err);
  Learner learner;
  DataNames names;
  {
    Dataset data;
    std::string session;
    const ExampleSource& from = options.source;
    if (!options.session.empty()) {
      SessionLearn learn;
      if (const auto refused = loadSessionLog(options.session, standardInput, options.learn, learn)) {
        err << programName << ": " << *refused << '\n';
        return programFailed;
      }
      session = sessionText(learn, options.session);
      data = std::move(learn.data);
    } else if (from.fitness != 0) {
      data = generate(from.fitness, from.count, from.seed);
    } else if (!loadForMethod(programName, from.csv, standardInput, from.data, data, err)) {
      return programFailed;
    }
    fillLearner(learner, data);
    names = namesOf(data);
    // Cleared, so that a failed write is the only cause `finishOutput` can name.
    errno = 0;
    if (!options.dot) out << source(from, data, session) << ".\n\n";
  }
  bool written = true;
  if (options.dot) {
    written = writeTreeDot(options, names, learner, out, err);
  } else {
    writeExplanation(options, names, learner, out);
  }
  const int status = finishOutput(out, err, programName, written ? programSucceeded : programFailed);
  if (options.save.empty()) return status;
  if (!learner.root) {
    err << programName << ": " << printable(options.save) << ": there is no tree to save\n";
    return programFailed;
  }
  return saveOutput(options.save, TreeFile::text(*learner.root), programName, err) ? status : programFailed;
}

}  // namespace

int runExplain(const std::vector<std::string>& args, std::FILE* standardInput, std::ostream& out,
               std::ostream& err) {
  const ParsedExplainArguments parsed = parseExplainArguments(args);
  try {
    if (const auto answered = answerCommandLine(parsed.request, parsed.error, explainer, out, err))
      return *answered;
    return explain(parsed.options, standardInput, out, err);
  } catch (const std::bad_alloc&) {
    err << programName << ": out of memory\n";
  }
  return programFailed;
}
