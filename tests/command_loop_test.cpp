#include "app/command_loop.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "learner/learner.h"
#include "support/temp_dir.h"
#include "support/text.h"

namespace {

const std::string menu =
    "<q>   or <esc> to quit,\n"
    "<l>   to learn,\n"
    "<0-9> to create #+1 examples,\n"
    "<f>   to save or load tree,\n"
    "<c>   to change fitness function from |,\n"
    "<d>   to clear all current examples,\n"
    "or any other key to create 1 example.\n";
const std::string prompt = "\n\nCommand? <q/esc,l,0-9,c,f>\n";
const std::string fileMenuText =
    "\n\nFile IO\n<s> to save this tree\n<l> to load a tree\n<q> or any other key to quit\n";
const std::string fitnessMenuText =
    "\n\nFitness Function Selection\nChange to what type?\n\tor '|', xor '^', and '&'\n"
    "\ttriple or '#', triple xor '%', triple and '*'\n";

// Runs the loop on `keys` as a script without a terminal; answers what it
// printed.
std::string session(Learner& learner, const std::string& keys) {
  std::string script = keys;
  std::FILE* in = fmemopen(script.data(), script.size(), "r");
  Console console;
  console.in = in;
  ::testing::internal::CaptureStdout();
  CommandLoop(learner, console);
  std::fflush(stdout);
  const std::string output = ::testing::internal::GetCapturedStdout();
  std::fclose(in);
  return output;
}

std::string session(const std::string& keys) {
  Learner learner;
  return session(learner, keys);
}

}  // namespace

TEST(CommandLoop, QuitKeysPrintOnlyTheMenu) {
  EXPECT_EQ(session("\x1b"), menu);
  EXPECT_EQ(session("q9"), menu);
  EXPECT_EQ(session("Q9"), menu);
  EXPECT_EQ(session(std::string(1, '\0') + "9"), menu);
}

TEST(CommandLoop, EndOfInputEndsTheLoopLikeQuit) {
  EXPECT_EQ(session("d"), menu + "Examples cleared.\n\n" + prompt);
}

TEST(CommandLoop, DigitKeysMakeOneMoreExampleThanTheirValue) {
  Learner learner;
  const std::string output = session(learner, "019q");
  EXPECT_EQ(occurrences(output, "response: "), 1U + 2U + 10U);
  EXPECT_EQ(learner.examples.size(), 13U);
  EXPECT_EQ(occurrences(output, prompt), 3U);
}

TEST(CommandLoop, EveryOtherKeyMakesOneExample) {
  Learner learner;
  const std::string output = session(learner, std::string("x\t\n\x01\x7f\x80\xffZq"));
  EXPECT_EQ(occurrences(output, "response: "), 8U);
  EXPECT_EQ(learner.examples.size(), 8U);
}

TEST(CommandLoop, ChangingTheFitnessClearsTheExamplesButNotTheMenu) {
  Learner learner;
  const std::string output = session(learner, "1c%0q");
  EXPECT_EQ(output.substr(0, menu.size()), menu);
  EXPECT_NE(output.find(fitnessMenuText + "Fitness function used is now %\n\n" + prompt), std::string::npos);
  EXPECT_NE(output.find(" % "), std::string::npos);
  EXPECT_EQ(occurrences(output, "<c>   to change"), 1U);
  EXPECT_EQ(learner.examples.size(), 1U);
  EXPECT_EQ(learner.examples[0].values.size(), 3U);
}

TEST(CommandLoop, AnotherKeyLeavesTheFitnessAndStillClears) {
  Learner learner;
  const std::string output = session(learner, "9Cxq");
  EXPECT_NE(output.find(fitnessMenuText + "Fitness function used is now |\n\n" + prompt), std::string::npos);
  EXPECT_TRUE(learner.examples.empty());
}

// The concepts are the codes that the menu quotes, and no others.
TEST(FitnessMenu, TakesExactlyTheCodesItOffers) {
  std::string offered;
  for (auto quote = fitnessMenuText.find('\''); quote != std::string::npos;
       quote = fitnessMenuText.find('\'', quote + 3))
    offered += fitnessMenuText[quote + 1];
  ASSERT_EQ(offered, "|^&#%*");
  std::string keys;
  for (int code = 0; code < 256; ++code) keys += static_cast<char>(code);
  std::FILE* in = fmemopen(keys.data(), keys.size(), "r");
  Console console;
  console.in = in;
  // Each key starts from a code other than itself, so that taking it shows.
  const auto startFor = [](char key) -> FitnessFunction { return key == '?' ? '!' : '?'; };
  std::string chosen;
  ::testing::internal::CaptureStdout();
  for (int code = 0; code < 256; ++code) {
    FitnessFunction fitness = startFor(static_cast<char>(code));
    fitnessMenu(fitness, console);
    chosen += fitness;
  }
  std::fflush(stdout);
  const std::string output = ::testing::internal::GetCapturedStdout();
  std::fclose(in);
  std::string expected;
  for (int code = 0; code < 256; ++code) {
    const char key = static_cast<char>(code);
    const char now = offered.find(key) != std::string::npos ? key : startFor(key);
    EXPECT_EQ(chosen[static_cast<std::size_t>(code)], now) << code;
    // Any other key is no error: the menu only says what stays.
    expected += fitnessMenuText + "Fitness function used is now " + now + "\n\n";
  }
  EXPECT_EQ(output, expected);
}

TEST(CommandLoop, LearningWithNoExamplesStillReports) {
  EXPECT_EQ(session("lq"), menu + "...Tree has completed learning.\n\n" + prompt);
  EXPECT_EQ(session("Lq"), menu + "...Tree has completed learning.\n\n" + prompt);
}

TEST(CommandLoop, LearningEmptiesTheTrainingSet) {
  Learner learner;
  session(learner, "99lq");
  EXPECT_TRUE(learner.examples.empty());
  EXPECT_NE(learner.root, nullptr);
}

TEST(CommandLoop, ClearingKeepsTheTree) {
  Learner learner;
  session(learner, "99lD9q");
  const TreeNode* tree = learner.root.get();
  const std::string output = session(learner, "9dq");
  EXPECT_NE(output.find("Examples cleared.\n\n" + prompt), std::string::npos);
  EXPECT_EQ(learner.root.get(), tree);
  EXPECT_TRUE(learner.examples.empty());
}

TEST(CommandLoop, LeavingTheFileMenuReadsNoName) {
  EXPECT_EQ(session("fqq"), menu + fileMenuText + "\n\n\n" + prompt);
  EXPECT_EQ(session("Fxq"), menu + fileMenuText + "\n\n\n" + prompt);
}

TEST(CommandLoop, SavesAndLoadsThroughTheFileMenu) {
  const TempDir dir;
  const std::string name = dir.file("tree.txt");
  Learner learner;
  EXPECT_EQ(session(learner, "fs" + name + "\nq"),
            menu + fileMenuText + "Save as: Failed to save.\n\n\n" + prompt);
  session(learner, "99lq");
  EXPECT_EQ(session(learner, "fS" + name + "\nq"),
            menu + fileMenuText + "Save as: Tree saved.\n\n\n" + prompt);
  EXPECT_EQ(session(learner, "fl" + name + "\nq"),
            menu + fileMenuText + "Load from: Tree loaded.\n\n\n" + prompt);
  EXPECT_EQ(session(learner, "fL" + name + ".missing\nq"),
            menu + fileMenuText + "Load from: Failed to load.\n\n\n" + prompt);
}

TEST(CommandLoop, AnOverlongNameIsRefusedAndNeverBecomesKeys) {
  const TempDir dir;
  Learner learner;
  session(learner, "99lq");
  const std::string longName = dir.path() + "/" + std::string(600, '9');
  EXPECT_EQ(session(learner, "fs" + longName + "\nq"),
            menu + fileMenuText + "Save as: Failed to save.\n\n\n" + prompt);
  EXPECT_EQ(session(learner, "fl" + longName + "\nq"),
            menu + fileMenuText + "Load from: Failed to load.\n\n\n" + prompt);
  EXPECT_TRUE(learner.examples.empty());
}

TEST(ReadName, TakesAtMost511BytesAndConsumesTheWholeLineAndRefusesControlCharacters) {
  std::string script = std::string(511, 'a') + "\n" + std::string(512, 'b') + std::string("\nc\0d\n", 5) +
                       "\x1b[Ay.txt\n\x1b\ntab\t.txt\ndel\x7f.txt\n  blanks kept \nlast";
  std::FILE* in = fmemopen(script.data(), script.size(), "r");
  Console console;
  console.in = in;
  // The name read, or "(none)".
  const auto next = [&console] {
    NameBuffer name;
    ::testing::internal::CaptureStdout();
    const bool read = readName(console, "", name);
    ::testing::internal::GetCapturedStdout();
    return read ? std::string(name) : std::string("(none)");
  };
  EXPECT_EQ(next(), std::string(511, 'a'));
  EXPECT_EQ(next(), "(none)");
  EXPECT_EQ(next(), "(none)");
  for (int i = 0; i < 4; ++i) EXPECT_EQ(next(), "(none)") << i;
  EXPECT_EQ(next(), "  blanks kept ");
  EXPECT_EQ(next(), "last");
  EXPECT_EQ(next(), "(none)");
  EXPECT_EQ(readKey(console, "", nullptr), 0);
  std::fclose(in);
}

TEST(CommandLoop, AnEmptyNameOrTheEndOfInputFailsCleanly) {
  Learner learner;
  session(learner, "99lq");
  EXPECT_EQ(session(learner, "fs\nq"), menu + fileMenuText + "Save as: Failed to save.\n\n\n" + prompt);
  EXPECT_EQ(session(learner, "fs"), menu + fileMenuText + "Save as: Failed to save.\n\n\n" + prompt);
  EXPECT_EQ(session(learner, "fl"), menu + fileMenuText + "Load from: Failed to load.\n\n\n" + prompt);
}
