#include "app/command_loop.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <string_view>
#include <utility>

#include "learner/learner.h"
#include "support/examples.h"
#include "support/temp_dir.h"

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

// The values, answer and verdict of an example line are drawn at random:
// masked, the line reads as one of these.
std::string masked(std::string output) {
  const std::pair<const char*, const char*> masks[] = {{"0.00", "v"},         {"1.00", "v"},
                                                       {"response: 0.", "r"}, {"response: 1.", "r"},
                                                       {"CORRECT. ", "?"},    {"WRONG. ", "?"}};
  for (const auto& [drawn, mask] : masks) {
    for (auto at = output.find(drawn); at != std::string::npos; at = output.find(drawn, at))
      output.replace(at, std::string_view(drawn).size(), mask);
  }
  return output;
}
const std::string orLine = "input: \"v | v\" r\t\t\t?\n";
const std::string exactlyOneLine = "input: \"v % v % v  \" r\t\t\t?\n";

std::string times(std::size_t n, const std::string& text) {
  std::string repeated;
  while (n-- > 0) repeated += text;
  return repeated;
}

}  // namespace

// Each session's keys run on a learner that the keys of `before` prepared:
// what it prints, with example lines masked, and the learner it leaves.
TEST(CommandLoop, RunsOneCommandPerKey) {
  enum Tree { none, some, kept };  // kept: the very tree that `before` left
  const TempDir dir;
  const std::string name = dir.file("tree.txt");
  const std::string overlong = dir.path() + "/" + std::string(600, '9');
  const std::string learnt = "...Tree has completed learning.\n\n";
  const std::string cleared = "Examples cleared.\n\n";
  const std::string fileMenu = menu + fileMenuText;
  const std::string end = "\n\n\n" + prompt;
  const std::string saved = fileMenu + "Save as: Tree saved." + end;
  const std::string notSaved = fileMenu + "Save as: Failed to save." + end;
  const std::string loaded = fileMenu + "Load from: Tree loaded." + end;
  const std::string notLoaded = fileMenu + "Load from: Failed to load." + end;
  const std::string tenLines = times(10, orLine) + prompt;
  const struct {
    const char* what;
    std::string before;
    std::string keys;
    std::string output;
    std::size_t examples;
    Tree tree;
  } cases[] = {
      {"Escape quits", "", "\x1b", menu, 0, none},
      {"q quits", "", "q9", menu, 0, none},
      {"Q quits", "", "Q9", menu, 0, none},
      {"a key of code 0 quits", "", std::string(1, '\0') + "9", menu, 0, none},
      {"the end of input quits", "", "d", menu + cleared + prompt, 0, none},
      {"a digit makes one more example than its value", "", "019q",
       menu + orLine + prompt + times(2, orLine) + prompt + times(10, orLine) + prompt, 13, none},
      {"any other key makes one example", "", "x\t\n\x01\x7f\x80\xffZq", menu + times(8, orLine + prompt), 8,
       none},
      {"c changes the concept and clears", "", "1c%0q",
       menu + times(2, orLine) + prompt + fitnessMenuText + "Fitness function used is now %\n\n" + prompt +
           exactlyOneLine + prompt,
       1, none},
      {"C and another key keep the concept and clear", "", "9Cxq",
       menu + tenLines + fitnessMenuText + "Fitness function used is now |\n\n" + prompt, 0, none},
      {"l with no examples reports all the same", "", "lq", menu + learnt + prompt, 0, none},
      {"L learns and empties the set", "", "99Lq", menu + tenLines + tenLines + learnt + prompt, 0, some},
      {"D clears, the tree stays", "99l", "9Dq", menu + tenLines + cleared + prompt, 0, kept},
      {"q leaves the file menu", "", "fqq", fileMenu + end, 0, none},
      {"F and any other key too", "", "Fxq", fileMenu + end, 0, none},
      {"no tree to save", "", "fs" + name + "\nq", notSaved, 0, none},
      {"S saves", "99l", "fS" + name + "\nq", saved, 0, kept},
      {"l loads", "99lfs" + name + "\n", "fl" + name + "\nq", loaded, 0, some},
      {"L and a missing file", "99l", "fL" + name + ".missing\nq", notLoaded, 0, kept},
      {"an overlong name, never keys", "99l", "fs" + overlong + "\nq", notSaved, 0, kept},
      {"an overlong name to load", "99l", "fl" + overlong + "\nq", notLoaded, 0, kept},
      {"an empty name", "99l", "fs\nq", notSaved, 0, kept},
      {"the end of input for a name", "99l", "fs", notSaved, 0, kept},
      {"the end of input for a name to load", "99l", "fl", notLoaded, 0, kept},
  };
  for (const auto& c : cases) {
    Learner learner;
    if (!c.before.empty()) session(learner, c.before + "q");
    const TreeNode* before = learner.root.get();
    EXPECT_EQ(masked(session(learner, c.keys)), c.output) << c.what;
    EXPECT_EQ(learner.examples.size(), c.examples) << c.what;
    EXPECT_EQ(learner.root != nullptr, c.tree != none) << c.what;
    if (c.tree == kept) {
      EXPECT_EQ(learner.root.get(), before) << c.what;
    }
  }
}

// A growth that stops is told behind the dots, on their line; the
// examples stay for the next learn.
TEST(CommandLoop, TellsAStoppedGrowthBehindTheDots) {
  Learner learner;
  learner.examples = {example({0.1F}, 0), example({0.3F}, 0), example({0.6F}, 1), example({0.9F}, 1)};
  EXPECT_EQ(session(learner, "lq"),
            menu + "...Illegal C4.5 Tree structure.\nTree has completed learning.\n\n" + prompt);
  EXPECT_EQ(learner.examples.size(), 4U);
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
