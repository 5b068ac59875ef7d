// treebench-learn as its real process runs: the tree it prints, the file it
// saves, which the workbench's reader loads to answer every row as the
// learnt tree does and treebench-view draws in the data's names, and its
// cross-validation.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "support/command.h"
#include "support/data.h"
#include "support/temp_dir.h"
#include "tools/common/data_file.h"
#include "tools/common/tree_names.h"
#include "tools/learn/cross_validation.h"
#include "tools/textbook/textbook_learn.h"
#include "tree/tree_file.h"

namespace {

// Three classes apart by cuts that six digits would move past a row:
// 1234.5671 written so reads as 1234.57, above 1234.5684.
const std::string closeCuts =
    "x,y,kind\n1234.5601,0.5,a\n1234.5650,0.25,a\n1234.5671,0.75,a\n1234.5684,0.5,b\n1234.5690,0.25,b\n"
    "1234.5720,0.75,b\n1234.5801,0.1,c\n1234.5811,0.2,c\n1234.5822,0.3,c\n";

const char* const weatherDrawing =
    "outlook = overcast\n"
    "\u251c\u2500 yes: class yes\n"
    "\u2514\u2500 no: windy = TRUE\n"
    "   \u251c\u2500 yes: class no\n"
    "   \u2514\u2500 no: outlook = sunny\n"
    "      \u251c\u2500 yes: class no\n"
    "      \u2514\u2500 no: class yes\n";

CommandRun learn(std::vector<std::string> args) {
  args.insert(args.begin(), TREEBENCH_LEARN_PROGRAM);
  return runCommand(args);
}

}  // namespace

TEST(LearnProgram, PrintsTheTreeItsSizeAndItsTrainingAccuracy) {
  const TempDir dir;
  writeFile(dir.file("weather.arff"), weatherNumeric);
  const CommandRun run = learn({dir.file("weather.arff")});
  EXPECT_EQ(exitCode(run.status), 0);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out,
            "Learnt by textbook C4.5 (as J48 -B), pruned at confidence 0.25, at least 2 cases on two "
            "branches, from 14 rows of 4 values from " +
                dir.file("weather.arff") + ".\n\n" + weatherDrawing +
                "\nNumber of leaves: 4\nSize of the tree: 7\n\nTraining rows right: 12 of 14 (85.71%)\n");
}

TEST(LearnProgram, SavesATreeThatTheWorkbenchLoadsToAnswerAsTheLearntTreeAndThatViewDrawsInItsNames) {
  const TempDir dir;
  const struct {
    const char* name;
    std::string data;
    std::vector<std::string> options;
  } cases[] = {{"weather.arff", weatherNumeric, {}},
               {"close.csv", closeCuts, {"--unpruned", "--min-leaf", "1"}}};
  for (const auto& each : cases) {
    SCOPED_TRACE(each.name);
    const std::string data = dir.file(each.name);
    const std::string tree = dir.file("tree.txt");
    writeFile(data, each.data);
    std::vector<std::string> args{data, "--save", tree};
    args.insert(args.end(), each.options.begin(), each.options.end());
    const CommandRun run = learn(args);
    ASSERT_EQ(exitCode(run.status), 0) << run.err;
    std::unique_ptr<TreeNode> loaded;
    std::istringstream file(readFile(tree));
    ASSERT_NO_THROW(TreeFile::read(loaded, file));
    const Dataset rows = datasetOf(each.data);
    TextbookOptions options;
    options.unpruned = !each.options.empty();
    options.minLeaf = each.options.empty() ? 2 : 1;
    const TextbookTree learnt = learnTextbook(rows, options);
    for (std::size_t row = 0; row < rows.size(); ++row) {
      const std::span<const float> values(rows.values.data() + row * rows.width, rows.width);
      EXPECT_EQ(loaded->classify(values), classify(learnt, values)) << "row " << row;
    }
    // The drawing of the program itself, between its heading and the size.
    const std::size_t from = run.out.find("\n\n") + 2;
    const CommandRun view = runCommand({TREEBENCH_VIEW_PROGRAM, tree});
    EXPECT_EQ(view.err, "");
    EXPECT_EQ(view.out, run.out.substr(from, run.out.find("\nNumber of leaves") - from));
  }
}

TEST(LearnProgram, CrossValidatesEveryRowOnceInFoldsThatSpreadEachClassAndTheSeedDecides) {
  const Dataset data = datasetOf(weatherNumeric);
  LearnOptions options;
  options.folds = 4;
  options.seed = 7;
  for (const auto& fold : stratifiedFolds(data, options.folds, options.seed)) {
    std::size_t yes = 0;
    for (const std::uint32_t row : fold) yes += data.classes[row] == 0 ? 1U : 0U;
    // 9 of yes and 5 of no over 4 folds of 3 or 4 rows.
    EXPECT_TRUE(yes == 2 || yes == 3);
    EXPECT_TRUE(fold.size() - yes == 1 || fold.size() - yes == 2);
  }
  const Confusion first = crossValidate(data, options);
  EXPECT_EQ(first.rows(), data.size());
  EXPECT_EQ(crossValidate(data, options).counts, first.counts);
  options.method = LearnMethod::workbench;
  EXPECT_EQ(crossValidate(data, options).rows(), data.size());
}

TEST(LearnProgram, ReportsTheCrossValidationAndTheCurveWhoseLastStepIsIt) {
  const TempDir dir;
  writeFile(dir.file("weather.arff"), weatherNumeric);
  const CommandRun run = learn({dir.file("weather.arff"), "--cv", "10", "--curve"});
  EXPECT_EQ(exitCode(run.status), 0);
  // Precision and recall as the matrix gives them: 4 of 8 answered yes, 4
  // of 9 yes; 1 of 6 answered no, 1 of 5 no. The curve's last step learns
  // from every training row of each fold, as the cross-validation does.
  const std::string bars = "#########################";
  EXPECT_NE(
      run.out.find("\nStratified 10-fold cross-validation, seed 1:\nRows right: 5 of 14 (35.71%)\n\n"
                   "Confusion matrix (a row for each actual class, a column for each answer):\n"
                   "       yes   no\n  yes    4    5\n  no     4    1\n\n"
                   "  class  precision  recall\n  yes    0.5        0.444444\n  no     0.166667   0.2\n\n"
                   "Learning curve: the held-out rows right against the training rows, over 10 folds, "
                   "seed 1:\n   2 |" +
                   bars + "#              | 0.642857\n"),
      std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("\n  12 |##############                          | 0.357143\n\n"
                         "training rows,accuracy\n2,0.642857\n4,0.714286\n"),
            std::string::npos);
  EXPECT_TRUE(run.out.ends_with("\n11,0.5\n12,0.357143\n"));
}

TEST(LearnProgram, RefusesFoldsItCannotDealAndOptionsOfTheOtherMethod) {
  const TempDir dir;
  writeFile(dir.file("weather.arff"), weatherNumeric);
  const std::vector<std::string> refused[] = {
      {"--cv", "1"}, {"--cv", "15"}, {"--method", "workbench", "--unpruned"}, {"--seed", "3"}};
  for (std::vector<std::string> args : refused) {
    SCOPED_TRACE(args[0] + " " + args[1]);
    args.push_back(dir.file("weather.arff"));
    const CommandRun run = learn(args);
    EXPECT_EQ(exitCode(run.status), 2);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("Try 'treebench-learn --help'"), std::string::npos);
  }
}

TEST(TreeNames, ReadBackWhatTheyWriteHoweverOddOrLongTheNames) {
  // A backslash, a '#' and a line end must not end or change a name, and a
  // name beyond one line's length continues on the next.
  const DataNames names{{{"a\\x41#b\nc", AttributeKind::nominal, {"", std::string(1500, 'v')}},
                         {std::string(1024, 'n'), AttributeKind::numeric, {}}},
                        {"yes", "no"}};
  const std::string text = nameComments(names);
  // Plain names stay readable in the file; the others are escaped.
  EXPECT_NE(text.find("\n# attribute 0 nominal: a\\x5cx41\\x23b\\x0ac\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\n# class 0: yes\n"), std::string::npos);
  NameCommentReader reader;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    EXPECT_LE(line.size(), 511U);
    reader.take(line);
  }
  const DataNames read = reader.names();
  ASSERT_EQ(read.attributes.size(), 2U);
  EXPECT_EQ(read.attributes[0].name, names.attributes[0].name);
  EXPECT_EQ(read.attributes[0].kind, AttributeKind::nominal);
  EXPECT_EQ(read.attributes[0].labels, names.attributes[0].labels);
  EXPECT_EQ(read.attributes[1].name, names.attributes[1].name);
  EXPECT_EQ(read.attributes[1].kind, AttributeKind::numeric);
  EXPECT_EQ(read.classes, names.classes);
}
