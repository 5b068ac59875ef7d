// treebench-explain --session: the training set of a learn rebuilt from a
// recorded workbench session, and the very tree the workbench saved.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "support/program.h"
#include "support/temp_dir.h"
#include "tools/explain/explain_program.h"
#include "tools/explain/session_log.h"

namespace {

std::string example(const std::string& values, int response, bool correct) {
  return "input: \"" + values + "\" response: " + std::to_string(response) + "." +
         (correct ? "\t\t\tCORRECT. \n" : "\t\t\tWRONG. \n");
}

const std::string learnt = "...Tree has completed learning.\n";

// Each line does one thing the reader must get right; the comment names the
// line's number.
const std::string log =
    "<q>   or <esc> to quit,\n"                                       // 1
    "Fitness function used is now &\n" +                              // 2
    example("1.00 & 1.00", 1, true) +                                 // 3
    "Examples cleared.\n" +                                           // 4: d
    example("0.00 & 1.00", 1, false) +                                // 5
    "Save as: ...\n"                                                  // 6: a name echoed at a terminal
    "Tree saved.\n"                                                   // 7
    "Out of memory: the example was not kept.\n" +                    // 8
    learnt +                                                          // 9: learn 1
    learnt +                                                          // 10: learn 2, no examples
    "Fitness function used is now %\n" +                              // 11
    "input: \"1.00 % 0.00 % 0.00  \" response: 0.\t\t\tWRONG. \r\n"   // 12: a terminal's line end
    "Load from: t.txt\n"                                              // 13
    "Tree loaded.\n" +                                                // 14: the examples stay
    example("0.00 % 1.00 % 1.00  ", 2, false) +                       // 15: answered by a leaf of class 2
    "...Illegal C4.5 Tree structure.\n"                               // 16: learn 3 keeps its examples
    "Tree has completed learning.\n"                                  // 17
    "input: \"1.00 % 1.00 % 1.00  \" response: 0.\t\t\tCORRECT.\n" +  // 18: its end blank trimmed
    learnt +                                                          // 19: learn 4
    example("0.00 % 0.00 % 1.00  ", 1, true) +                        // 20
    "<q>   or <esc> to quit,\n" +                                     // 21: a new session in the same log
    example("1.00 | 1.00", 1, true) +                                 // 22
    learnt +                                                          // 23: learn 5
    learnt;                                                           // 24: learn 6, no examples

SessionLearn read(std::string text, std::size_t learn) {
  const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(fmemopen(text.data(), text.size(), "r"), std::fclose);
  return readSessionLog(file.get(), learn);
}

}  // namespace

TEST(SessionLog, RebuildsTheTrainingSetOfALearnFromWhatTheSessionPrinted) {
  const struct {
    std::size_t asked;
    std::size_t number, line;
    char fitness;
    std::vector<float> values;
    std::vector<std::uint8_t> classes;
    std::vector<std::size_t> lines;
  } learns[] = {
      {1, 1, 9, '&', {0, 1}, {0}, {5}},
      {3, 3, 16, '%', {1, 0, 0, 0, 1, 1}, {1, 0}, {12, 15}},
      {4, 4, 19, '%', {1, 0, 0, 0, 1, 1, 1, 1, 1}, {1, 0, 0}, {12, 15, 18}},
      {0, 5, 23, '|', {1, 1}, {1}, {22}},
  };
  for (const auto& l : learns) {
    SCOPED_TRACE(l.asked);
    const SessionLearn got = read(log, l.asked);
    EXPECT_EQ(got.number, l.number);
    EXPECT_EQ(got.line, l.line);
    EXPECT_EQ(got.fitness, l.fitness);
    EXPECT_EQ(got.data.width, l.values.size() / l.classes.size());
    EXPECT_EQ(got.data.values, l.values);
    EXPECT_EQ(got.data.classes, l.classes);
    EXPECT_EQ(got.data.lines, l.lines);
  }
}

TEST(SessionLog, RefusesALogWithoutALearnOfExamples) {
  const struct {
    std::string text;
    std::size_t learn;
    std::size_t line;
    const char* reason;
  } refusals[] = {
      {example("1.00 | 1.00", 1, true), 0, 0, "the log holds no learn"},
      {"<q>   or <esc> to quit,\n" + learnt, 0, 0, "the log holds no example line"},
      {learnt + example("1.00 | 1.00", 1, true), 0, 0, "none of the log's 1 learn had examples"},
      {log, 2, 0, "learn 2, on line 10, had no examples"},
      {log, 7, 0, "there is no learn 7: the log holds 6 learns"},
      {learnt + example("0.50 | 1.00", 1, true), 0, 2, "not an example line as the workbench prints it"},
      {example("1.00 | 1.00", 1, true) + example("1.00 # 1.00 # 0.00  ", 1, true), 0, 2,
       "an example of 3 values among examples of 2, with no clear between them"},
  };
  for (const auto& r : refusals) {
    try {
      read(r.text, r.learn);
      ADD_FAILURE() << "not refused: " << r.reason;
    } catch (const SessionLogError& error) {
      EXPECT_EQ(error.line, r.line) << r.reason;
      EXPECT_EQ(error.reason, r.reason);
    }
  }
}

namespace {

// Every concept, several learns, and c and d between them; the tree is
// saved after each learn, so that learn K's tree is in tree-K.txt.
const std::string sessionKeys =
    "9lfstree-1.txt\nc^99d5lfstree-2.txt\nc&97c#99lfstree-3.txt\nl"
    "c%999dd9997lfstree-5.txt\nc*9999lfstree-6.txt\nc|3c^999d99lfstree-7.txt\n";

// Explains learn K of the log `output` for each tree the session saved, and
// answers the header of the first.
std::string expectSavedTrees(const TempDir& dir, const std::string& output) {
  writeFile(dir.file("session.log"), output);
  std::string header;
  for (const int k : {1, 2, 3, 5, 6, 7}) {
    SCOPED_TRACE(k);
    const std::string saved = dir.file("explained.txt");
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(
        runExplain({"--session", dir.file("session.log"), "--learn", std::to_string(k), "--save", saved},
                   stdin, out, err),
        0)
        << err.str();
    EXPECT_EQ(readFile(saved), readFile(dir.file("tree-" + std::to_string(k) + ".txt")));
    if (header.empty()) header = out.str().substr(0, out.str().find('\n'));
  }
  return header;
}

}  // namespace

TEST(ExplainSession, SavesTheTreeTheWorkbenchSavedThroughAPipe) {
  const TempDir dir;
  RunOptions options;
  options.folder = dir.path();
  const ProgramRun run = runWithoutTerminal(sessionKeys + "q", options);
  ASSERT_TRUE(exitedWithZero(run.status));
  EXPECT_EQ(expectSavedTrees(dir, run.output), "10 examples of 2 values made for |, learnt by learn 1 of " +
                                                   dir.file("session.log") + " (line 21).");
  // The log names itself in a refusal.
  writeFile(dir.file("session.log"), "");
  std::ostringstream out;
  std::ostringstream err;
  EXPECT_EQ(runExplain({"--session", dir.file("session.log")}, stdin, out, err), 1);
  EXPECT_EQ(err.str(), "treebench-explain: " + dir.file("session.log") + ": the log holds no learn\n");
}

TEST(ExplainSession, SavesTheTreeTheWorkbenchSavedAtATerminal) {
  const TempDir dir;
  TerminalSession session(dir.path());
  // Typed ahead, names and all, as a paste: keys stay keys.
  session.send(sessionKeys);
  ASSERT_TRUE(session.waitFor("Save as: tree-7.txt\r\nTree saved."));
  session.send("q");
  ASSERT_TRUE(exitedWithZero(session.wait()));
  // What the terminal showed, as a recording of it holds it.
  expectSavedTrees(dir, session.output());
}
