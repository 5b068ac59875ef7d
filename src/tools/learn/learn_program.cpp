#include "tools/learn/learn_program.h"

#include <cerrno>
#include <charconv>
#include <new>
#include <ostream>

#include "tools/common/data_file.h"
#include "tools/common/data_names.h"
#include "tools/common/dataset.h"
#include "tools/common/printable.h"
#include "tools/common/program_output.h"
#include "tools/common/tree_drawing.h"
#include "tools/learn/cross_validation.h"
#include "tools/learn/learn_options.h"
#include "tools/learn/learn_report.h"
#include "tools/learn/learning.h"
#include "tools/learn/learnt_tree.h"

namespace {

constexpr const char* programName = "treebench-learn";

constexpr const char* helpText =
    "Usage: treebench-learn [OPTION]... DATA\n"
    "Learn a decision tree from the data file DATA, draw it as treebench-view\n"
    "draws it, say its size and how many training rows it answers right, and\n"
    "save it as a tree file that the workbench loads. By default the tree is\n"
    "learnt by textbook C4.5 (release 8, as Weka's J48 -B), pruned.\n"
    "\n"
    "DATA is an ARFF file, a CSV file with names, or a CSV file of numbers, one\n"
    "row an example, the values then the class 0 or 1; of any number of classes\n"
    "(of two, with --method workbench). With DATA -, read standard input.\n"
    "\n"
    "      --method METHOD  who learns: textbook (the default), textbook C4.5, or\n"
    "                         workbench, the workbench's method as its key l learns\n"
    "      --unpruned       with textbook: do not prune\n"
    "      --confidence CF  with textbook: prune at confidence CF, above 0 and at\n"
    "                         most 0.5 (default 0.25)\n"
    "      --min-leaf M     with textbook: at least M cases, 1 to 1000000, on two\n"
    "                         branches of a test (default 2)\n"
    "      --save TREE      save the tree in the workbench's tree file, with the\n"
    "                         names of the data in comment lines\n"
    "      --cv K           also cross-validate the method in K folds (2 up to the\n"
    "                         rows), each class spread evenly over them: the rows\n"
    "                         right, the confusion matrix, each class's precision\n"
    "                         and recall\n"
    "      --seed S         shuffle the rows of the folds with seed S, 0 to\n"
    "                         4294967295 (default 1)\n"
    "      --curve          also print the learning curve: the held-out rows right\n"
    "                         against the training rows, a tenth of them up to all,\n"
    "                         averaged over the folds of --cv (default 10), as a\n"
    "                         chart and as CSV\n"
    "      --header         the first row of the CSV file names the columns\n"
    "      --no-header      the first row of the CSV file is data\n"
    "      --class N|NAME   the class is column N (from 1) or the column NAME, not\n"
    "                         the last\n"
    "      --help           display this help and exit\n"
    "      --version        output version information and exit\n"
    "\n"
    "A test x <= t is saved as x > t with its branches the other way round, and\n"
    "a test x = label with the label's index; thresholds are written with all\n"
    "the digits that make the very same float.\n"
    "\n"
    "Exit status:\n"
    " 0  if OK, also when the workbench's learn stops with \"Illegal C4.5 Tree\n"
    "      structure.\",\n"
    " 1  if DATA cannot be read or used, there is no tree to save, the tree\n"
    "      cannot be saved, memory runs out or output failed,\n"
    " 2  if the command line is wrong, more folds asked for than DATA has rows\n"
    "      included.\n"
    "\n"
    "Examples:\n"
    "  treebench-learn weather.arff --save weather.txt\n"
    "  treebench-learn --cv 10 --seed 3 iris.arff\n"
    "  treebench-learn --method workbench --save and.txt and.csv\n";

constexpr ToolTexts learner{programName, helpText, "treebench-learn (treebench) " TREEBENCH_VERSION "\n"};

std::string numberText(double value) {
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

std::string methodText(const LearnOptions& options) {
  if (options.method == LearnMethod::workbench) return "the workbench's method, as its key l learns";
  const TextbookOptions& textbook = options.textbook;
  return std::string("textbook C4.5 (as J48 -B), ") +
         (textbook.unpruned ? "unpruned" : "pruned at confidence " + numberText(textbook.confidence)) +
         ", at least " + std::to_string(textbook.minLeaf) + (textbook.minLeaf == 1 ? " case" : " cases") +
         " on two branches";
}

std::string sourceText(const LearnOptions& options, const Dataset& data) {
  std::string text = std::to_string(data.size()) + (data.size() == 1 ? " row" : " rows");
  if (data.size() > 0) text += " of " + std::to_string(data.width) + (data.width == 1 ? " value" : " values");
  return text + " from " + (options.data == "-" ? std::string("standard input") : printable(options.data));
}

// The data of the method: any number of classes for the textbook learner,
// two for the workbench's; says why they cannot be used, or which rows were
// left out.
bool loadFor(const LearnOptions& options, std::FILE* standardInput, Dataset& data, std::ostream& err) {
  if (options.method == LearnMethod::workbench)
    return loadForMethod(programName, options.data, standardInput, options.dataOptions, data, err);
  if (const auto refused = loadData(options.data, standardInput, data, options.dataOptions)) {
    err << programName << ": " << *refused << '\n';
    return false;
  }
  if (const auto left = rowsLeftOut(options.data, data)) err << programName << ": " << *left << '\n';
  return true;
}

void writeLearnt(const Learnt& learnt, const Dataset& data, const DataNames& names, std::ostream& out) {
  if (learnt.failure != nullptr) out << "The growth stopped: " << learnt.failure << '\n';
  out << '\n';
  drawTree(*learnt.tree.root, LineStyle::boxDrawing, out, names);
  const TreeSize size = treeSize(*learnt.tree.root);
  out << "\nNumber of leaves: " << size.leaves << "\nSize of the tree: " << size.nodes << "\n\n";
  std::size_t right = 0;
  for (std::size_t row = 0; row < data.size(); ++row) {
    const std::span<const float> values(data.values.data() + row * data.width, data.width);
    right += answer(learnt, values) == data.classes[row] ? 1U : 0U;
  }
  out << "Training rows right: " << right << " of " << data.size() << " (" << percentText(right, data.size())
      << ")\n";
}

int learn(const LearnOptions& options, std::FILE* standardInput, std::ostream& out, std::ostream& err) {
  Dataset data;
  if (!loadFor(options, standardInput, data, err)) return programFailed;
  const std::size_t folds = options.folds != 0 ? options.folds : options.curve ? defaultFolds : 0;
  if (folds > data.size())
    return refuseCommandLine(err, programName,
                             std::to_string(folds) + " folds are more than the " +
                                 std::to_string(data.size()) + " rows of " + options.data);
  const DataNames names = namesOf(data);
  // Cleared, so that a failed write is the only cause `finishOutput` can name.
  errno = 0;
  out << "Learnt by " << methodText(options) << ", from " << sourceText(options, data) << ".\n";
  Learnt learnt;
  if (data.size() > 0) learnt = learnTree(data, options);
  if (!learnt.tree.root) {
    out << "No tree: there are no rows to learn from.\n";
  } else {
    writeLearnt(learnt, data, names, out);
  }
  if (options.folds != 0) {
    out << "\nStratified " << folds << "-fold cross-validation, seed " << options.seed << ":\n";
    writeConfusion(crossValidate(data, options), names, out);
  }
  if (options.curve) {
    out << "\nLearning curve: the held-out rows right against the training rows, over " << folds
        << " folds, seed " << options.seed << ":\n";
    writeCurve(learningCurve(data, options, folds), out);
  }
  const int status = finishOutput(out, err, programName, programSucceeded);
  if (options.save.empty()) return status;
  if (!learnt.tree.root) {
    err << programName << ": " << printable(options.save) << ": there is no tree to save\n";
    return programFailed;
  }
  return saveOutput(options.save, treeFileText(learnt.tree, names), programName, err) ? status
                                                                                      : programFailed;
}

}  // namespace

int runLearn(const std::vector<std::string>& args, std::FILE* standardInput, std::ostream& out,
             std::ostream& err) {
  try {
    const ParsedLearnArguments parsed = parseLearnArguments(args);
    if (const auto answered = answerCommandLine(parsed.request, parsed.error, learner, out, err))
      return *answered;
    return learn(parsed.options, standardInput, out, err);
  } catch (const std::bad_alloc&) {
    err << programName << ": out of memory\n";
  } catch (const std::length_error&) {
    err << programName << ": too many rows to learn from\n";
  }
  return programFailed;
}
