// The textbook learner: the figures every course quotes, the error
// estimate, and trees that Weka's J48 -B grew (its own text) against ours.
// bench/j48_compare.py compares the two on many more data sets, by hand.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "support/data.h"
#include "support/explain.h"
#include "support/text.h"
#include "tools/common/data_file.h"
#include "tools/common/dataset.h"
#include "tools/explain/explain_options.h"
#include "tools/textbook/error_estimate.h"
#include "tools/textbook/information.h"
#include "tools/textbook/j48_text.h"
#include "tools/textbook/textbook_learn.h"

namespace {

const std::string weatherNominal =
    "@relation weather.symbolic\n"
    "@attribute outlook {sunny, overcast, rainy}\n@attribute temperature {hot, mild, cool}\n"
    "@attribute humidity {high, normal}\n@attribute windy {TRUE, FALSE}\n@attribute play {yes, no}\n@data\n"
    "sunny,hot,high,FALSE,no\nsunny,hot,high,TRUE,no\novercast,hot,high,FALSE,yes\nrainy,mild,high,FALSE,"
    "yes\n"
    "rainy,cool,normal,FALSE,yes\nrainy,cool,normal,TRUE,no\novercast,cool,normal,TRUE,yes\n"
    "sunny,mild,high,FALSE,no\nsunny,cool,normal,FALSE,yes\nrainy,mild,normal,FALSE,yes\n"
    "sunny,mild,normal,TRUE,yes\novercast,mild,high,TRUE,yes\novercast,hot,normal,FALSE,yes\n"
    "rainy,mild,high,TRUE,no\n";

// Values missing at random, a nominal attribute tested twice on a path,
// and a subtree that pruning replaces by its largest branch.
const std::string missingValues =
    "@relation m5\n@attribute a numeric\n@attribute b {p,q,r}\n@attribute c numeric\n"
    "@attribute class {y,n}\n@data\n"
    "9,q,5,n\n8,?,3,y\n?,q,1,n\n6,q,1,n\n?,r,?,n\n3,p,1,n\n3,p,?,y\n6,p,1,y\n9,r,5,y\n5,p,3,y\n5,q,0,n\n"
    "7,p,5,n\n7,q,?,n\n5,q,0,n\n5,?,2,y\n4,p,0,n\n0,p,4,n\n?,q,?,y\n7,q,1,y\n?,p,1,y\n7,r,1,y\n7,?,2,n\n"
    "8,p,5,y\n8,r,4,y\n0,q,2,y\n4,q,5,n\n5,r,2,y\n5,q,5,n\n2,r,3,n\n2,p,2,n\n6,p,4,y\n9,r,5,y\n9,r,?,y\n"
    "?,p,1,n\n3,r,?,n\n?,p,5,n\n6,?,5,y\n1,q,4,y\n2,q,?,y\n9,?,?,n\n";

// Rows "i,CLASS" for i from 0, the first `first` of class a.
std::string numbered(int rows, int first, const char* values) {
  std::string text =
      std::string("@relation n\n@attribute x numeric\n@attribute class {") + values + "}\n@data\n";
  for (int i = 0; i < rows; ++i) text += std::to_string(i) + (i < first ? ",a\n" : ",b\n");
  return text;
}

}  // namespace

TEST(TextbookInformation, GivesTheWeatherDatasFiguresThatEveryCourseQuotes) {
  const std::vector<double> playing{9, 5};
  EXPECT_NEAR(information(playing), 0.940285959, 1e-9);
  const struct {
    const char* attribute;
    std::vector<double> branches;  // yes and no of each value
    double unknown;
    double gain, splitInformation, gainRatio;
  } cases[] = {
      {"outlook", {2, 3, 4, 0, 3, 2}, 0, 0.246749820, 1.577406283, 0.156427562},
      {"temperature", {2, 2, 4, 2, 3, 1}, 0, 0.029222566, 1.556656707, 0.018772646},
      {"humidity", {3, 4, 6, 1}, 0, 0.151835501, 1, 0.151835501},
      {"windy", {6, 2, 3, 3}, 0, 0.048127030, 0.985228136, 0.048848616},
      // Quinlan's example of a missing value: one overcast outlook unknown.
      {"outlook, one unknown", {2, 3, 3, 0, 3, 2}, 1, 0.199040708, 1.809200033, 0.110015866},
  };
  for (const auto& c : cases) {
    std::vector<double> sizes;
    for (std::size_t at = 0; at < c.branches.size(); at += 2)
      sizes.push_back(c.branches[at] + c.branches[at + 1]);
    const double gained = gain(c.branches, 2, c.unknown);
    const double split = splitInformation(sizes, c.unknown);
    EXPECT_NEAR(gained, c.gain, 1e-9) << c.attribute;
    EXPECT_NEAR(split, c.splitInformation, 1e-9) << c.attribute;
    EXPECT_NEAR(gainRatio(gained, split), c.gainRatio, 1e-9) << c.attribute;
  }
  EXPECT_NEAR(cutCost(11, 14), std::log2(11.0) / 14, 1e-15);
}

TEST(TextbookErrorEstimate, AddsTheUpperConfidenceLimitsErrors) {
  EXPECT_NEAR(normalQuantileAbove(0.25), 0.6744897501960817, 1e-13);
  const struct {
    double weight, errors, confidence, added;
  } cases[] = {
      {6, 0, 0.25, 1.237796844},      // none: 1 - CF^(1/N) of the cases
      {16, 1, 0.25, 1.475714632},     // the normal approximation
      {2.5, 0.4, 0.25, 1.015919675},  // between none and one, interpolated
      {3, 2.6, 0.25, 0.4},            // at most the correct cases
      {14, 5, 0.1, 2.878602932},
      {100, 20, 0.5, 0.5},  // z = 0: only the half-case correction
      {0, 0, 0.25, 0},
  };
  for (const auto& c : cases)
    EXPECT_NEAR(addedErrors(errorEstimate(c.confidence), c.weight, c.errors), c.added, 1e-9) << c.weight;
}

TEST(TextbookText, WritesNumbersAsJavaWritesADouble) {
  const struct {
    double value;
    const char* text;
  } cases[] = {{75, "75.0"},
               {0.6, "0.6"},
               {2.44, "2.44"},
               {1234567.5, "1234567.5"},
               {1.2345e-4, "1.2345E-4"},
               {12345678.25, "1.234567825E7"},
               {1e-7, "1.0E-7"},
               {0.001, "0.001"},
               {0, "0.0"},
               {-3.5, "-3.5"}};
  for (const auto& c : cases) EXPECT_EQ(javaNumber(c.value), c.text) << c.text;
  EXPECT_EQ(javaNumber(0.6F), "0.6");  // a float's own digits, not its double's
}

TEST(TextbookLearner, GrowsTheTreesThatJ48Grew) {
  TextbookOptions unpruned;
  unpruned.unpruned = true;
  TextbookOptions loose = unpruned;
  loose.minLeaf = 1;
  const struct {
    const char* name;
    std::string data;
    TextbookOptions options;
    const char* j48;  // J48 -B, -B -U or -B -U -M 1 on the same data
  } cases[] = {
      {"weather, nominal, pruned",
       weatherNominal,
       {},
       "outlook = overcast: yes (4.0)\n"
       "outlook != overcast\n"
       "|   humidity = high: no (5.0/1.0)\n"
       "|   humidity != high: yes (5.0/1.0)\n"},
      {"weather, nominal, -U -M 1", weatherNominal, loose,
       "outlook = overcast: yes (4.0)\n"
       "outlook != overcast\n"
       "|   temperature = hot: no (2.0)\n"
       "|   temperature != hot\n"
       "|   |   humidity = high\n"
       "|   |   |   outlook = sunny: no (1.0)\n"
       "|   |   |   outlook != sunny\n"
       "|   |   |   |   windy = TRUE: no (1.0)\n"
       "|   |   |   |   windy != TRUE: yes (1.0)\n"
       "|   |   humidity != high\n"
       "|   |   |   windy = TRUE\n"
       "|   |   |   |   outlook = sunny: yes (1.0)\n"
       "|   |   |   |   outlook != sunny: no (1.0)\n"
       "|   |   |   windy != TRUE: yes (3.0)\n"},
      {"weather, numeric, -U -M 1", weatherNumeric, loose,
       "outlook = overcast: yes (4.0)\n"
       "outlook != overcast\n"
       "|   windy = TRUE\n"
       "|   |   outlook = sunny\n"
       "|   |   |   temperature <= 75.0: yes (1.0)\n"
       "|   |   |   temperature > 75.0: no (1.0)\n"
       "|   |   outlook != sunny: no (2.0)\n"
       "|   windy != TRUE\n"
       "|   |   outlook = sunny\n"
       "|   |   |   temperature <= 70.0: yes (1.0)\n"
       "|   |   |   temperature > 70.0: no (2.0)\n"
       "|   |   outlook != sunny: yes (3.0)\n"},
      {"missing values, pruned: a branch raised",
       missingValues,
       {},
       "b = r\n"
       "|   a <= 4.0: n (2.22)\n"
       "|   a > 4.0: y (8.07/1.3)\n"
       "b != r\n"
       "|   b = p\n"
       "|   |   a <= 2.0: n (2.51/0.17)\n"
       "|   |   a > 2.0: y (12.35/5.41)\n"
       "|   b != p\n"
       "|   |   a <= 3.0: y (3.47/0.23)\n"
       "|   |   a > 3.0: n (11.39/2.88)\n"},
      {"missing values, -U", missingValues, unpruned,
       "b = r\n"
       "|   a <= 4.0: n (2.22)\n"
       "|   a > 4.0: y (8.07/1.3)\n"
       "b != r\n"
       "|   c <= 0.0: n (3.57/0.36)\n"
       "|   c > 0.0\n"
       "|   |   b = p\n"
       "|   |   |   a <= 2.0: n (2.56/0.19)\n"
       "|   |   |   a > 2.0: y (11.24/4.37)\n"
       "|   |   b != p\n"
       "|   |   |   a <= 3.0: y (3.4/0.27)\n"
       "|   |   |   a > 3.0: n (8.96/2.69)\n"},
      // A cut needs a tenth of the cases per class on either side, here 15,
      // so the ten of class a are cut off in two steps.
      {"the minimum from the class sizes, -U", numbered(300, 10, "a,b"), unpruned,
       "x <= 14.0\n"
       "|   x <= 9.0: a (10.0)\n"
       "|   x > 9.0: b (5.0)\n"
       "x > 14.0: b (285.0)\n"},
      // log2(10 cuts) / 20 costs more than a gain in nats would leave.
      {"the cost of a cut, in bits, -U",
       "@relation c\n@attribute x numeric\n@attribute class {a,b}\n@data\n0,a\n1,a\n2,a\n3,b\n4,a\n5,a\n6,b\n"
       "7,b\n8,a\n9,a\n10,b\n11,b\n12,a\n13,b\n14,a\n15,b\n16,b\n17,b\n18,b\n19,b\n",
       unpruned,
       "x <= 14.0: a (15.0/6.0)\n"
       "x > 14.0: b (5.0)\n"},
      // The threshold is the largest value of all the training set below the
      // cut's midpoint, 1.5 from the other branch.
      {"the threshold from all the data, -U -M 1",
       "@relation t\n@attribute a numeric\n@attribute b {u,v}\n@attribute class {X,P,N}\n@data\n"
       "1.5,u,X\n1.5,u,X\n1.5,u,X\n1.5,u,X\n1,v,P\n1,v,P\n1,v,P\n3,v,N\n3,v,N\n3,v,N\n",
       loose,
       "b = u: X (4.0)\n"
       "b != u\n"
       "|   a <= 1.5: P (3.0)\n"
       "|   a > 1.5: N (3.0)\n"},
      // The cut parts 4 yes from 2 yes and 2 no, whose majority is yes:
      // the training errors stay 2, so even the unpruned tree collapses.
      {"a split that does not reduce the training errors, -U",
       "@relation s\n@attribute x numeric\n@attribute class "
       "{a,b}\n@data\n1,a\n1,a\n1,a\n1,a\n2,a\n2,a\n2,b\n2,b\n",
       unpruned, ": a (8.0/2.0)\n"},
  };
  for (const auto& c : cases) {
    const Dataset data = datasetOf(c.data);
    EXPECT_EQ(j48Text(learnTextbook(data, c.options), data), c.j48) << c.name;
  }
}

TEST(TextbookLearner, ClassifiesAMissingValueDownBothBranchesByTheirShares) {
  const Dataset data = datasetOf(missingValues);
  const TextbookTree tree = learnTextbook(data);
  // The root tests b = r.
  const TextbookNode& root = tree.nodes[0];
  ASSERT_EQ(root.test, TextbookTest::equals);
  const auto leafShares = [&](std::size_t node) {
    const auto weights = tree.classWeightsOf(node);
    return weights[0] / tree.nodes[node].weight;
  };
  const float missing = NAN;
  // b is tested again below b != r, as b = p: the case goes down both
  // branches there too, and a = 9 takes the a > ... leaf at each of the
  // three tests of a.
  const std::vector<float> row{9, missing, 5};
  const TextbookNode& other = tree.nodes[root.no];
  const double expected = root.yesShare * leafShares(tree.nodes[root.yes].no) +
                          (1 - root.yesShare) * (other.yesShare * leafShares(tree.nodes[other.yes].no) +
                                                 (1 - other.yesShare) * leafShares(tree.nodes[other.no].no));
  const std::vector<double> shares = classShares(tree, row);
  EXPECT_NEAR(shares[0], expected, 1e-12);
  EXPECT_NEAR(shares[0] + shares[1], 1, 1e-12);
  EXPECT_EQ(classify(tree, row), shares[0] > shares[1] ? 0 : 1);
  EXPECT_EQ(classify(tree, std::vector<float>{9, 2, 5}), 0);  // b = r, a > 4: y
}

TEST(TextbookExplain, TellsEachStepWithTheLearnersFigures) {
  const Explained run = explain({"--method", "textbook", "-"}, weatherNominal);
  EXPECT_EQ(run.status, 0) << run.err;
  const char* const lines[] = {
      "root: 14 cases: 9 of yes, 5 of no\n",
      ("  outlook, nominal, 14 cases with a value: each label against the rest, at least 2 cases a branch\n"
       "    = sunny: 5 against 9, gain 0.102243564, split information 0.940285959, gain ratio 0.10873667\n"
       "    = overcast: 4 against 10, gain 0.226000244, split information 0.863120569, gain ratio "
       "0.261840874\n"),
      ("  average gain of the 4 usable attributes: 0.112760237; at least that, within 0.001: outlook (gain "
       "ratio 0.261840874), humidity (gain ratio 0.151835501)\n"
       "  chosen: outlook, the highest gain ratio of those\n"
       "  test outlook = overcast: 4 cases to yes, 10 to no\n"),
      "  root.no.no.no: its leaves misclassify 1, a leaf 1: a leaf\n",
      ("  root.no: the subtree 5.29464289, a leaf 6.51624377, its largest branch root.no.no 4.50066511: "
       "replaced by that branch, which takes all its cases and is pruned again\n"
       "  root.no: the subtree 4.50066511, a leaf 6.51624377, its largest branch root.no.yes 6.51624377: "
       "kept\n"),
      ("outlook = overcast: yes (4.0)\n"
       "outlook != overcast\n"
       "|   humidity = high: no (5.0/1.0)\n"
       "|   humidity != high: yes (5.0/1.0)\n"
       "\nNumber of Leaves  : \t3\n"),
  };
  for (const char* line : lines) EXPECT_EQ(occurrences(run.out, line), 1U) << line << run.out;
}

TEST(TextbookExplain, ShowsANumericAttributesCutsTheirCostAndRefusals) {
  const Explained run = explain({"--method=textbook", "--unpruned", "-"}, weatherNumeric);
  const char* const lines[] = {
      ("    64 | 65: 1 against 13, refused: too few cases on a side\n"
       "    65 | 68: 2 against 12, gain 0.0103181009, less the cost -0.216105113, split information "
       "0.591672779, gain ratio -0.365244306\n"),
      ("    9 cuts to choose from cost log2(9) / 14 = 0.226423214\n"
       "    unusable: no cut gains more than its cost\n"),
      "\nNo pruning: --unpruned.\n",
  };
  for (const char* line : lines) EXPECT_EQ(occurrences(run.out, line), 1U) << line << run.out;
}

TEST(TextbookExplain, RefusesWhatTheOtherMethodAloneTakes) {
  const struct {
    std::vector<std::string> args;
    const char* error;
  } cases[] = {
      {{"--method", "quinlan", "a.csv"}, "unknown method 'quinlan': give workbench or textbook"},
      {{"--method", "textbook", "--dot", "a.csv"},
       "--compare, --dot, --save and --session go with --method workbench"},
      {{"--min-leaf", "3", "a.csv"}, "--unpruned, --confidence and --min-leaf go with --method textbook"},
      {{"--unpruned", "a.csv"}, "--unpruned, --confidence and --min-leaf go with --method textbook"},
      {{"--method", "textbook", "--confidence", "0.6", "a.csv"},
       "bad confidence '0.6': give a number above 0 and at most 0.5"},
      {{"--method", "textbook", "--min-leaf", "0", "a.csv"},
       "bad minimum '0': give a number from 1 to 1000000"},
  };
  for (const auto& c : cases) {
    const ParsedExplainArguments parsed = parseExplainArguments(c.args);
    EXPECT_EQ(parsed.request, CommandRequest::misuse) << c.error;
    EXPECT_EQ(parsed.error, c.error);
  }
  const ParsedExplainArguments taken =
      parseExplainArguments({"--method", "textbook", "--confidence", "0.1", "--min-leaf", "5", "a.csv"});
  EXPECT_EQ(taken.error, "");
  EXPECT_EQ(taken.options.textbook.confidence, 0.1);
  EXPECT_EQ(taken.options.textbook.minLeaf, 5U);
}
