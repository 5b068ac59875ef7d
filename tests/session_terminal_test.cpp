// The real program on a pseudo-terminal, as a user at a console runs it.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <sstream>

#include "support/program.h"
#include "support/temp_dir.h"
#include "support/text.h"
#include "tree/tree_file.h"

namespace {

const char* const prompt = "Command? <q/esc,l,0-9,c,f>";

struct TerminalTest : ::testing::Test {
  TempDir dir;
  TerminalSession session{dir.path()};

  void SetUp() override { ASSERT_TRUE(session.waitFor("or any other key to create 1 example.")); }

  // Sends one key and waits for the prompt that follows its command.
  void press(const std::string& key) {
    session.send(key);
    ASSERT_TRUE(session.waitFor(prompt)) << session.output();
  }
};

}  // namespace

TEST_F(TerminalTest, NamesAreTypedInKeyModeEchoedAndEdited) {
  EXPECT_FALSE(inKeyMode(session.initialSettings()));
  EXPECT_TRUE(inKeyMode(session.settings()));
  press("9");
  press("l");
  // An arrow key is dropped; Backspace erases; the name is echoed, and ends
  // with Enter.
  session.send("fs\x1b[Dtree.tx\x7ft\x7f");
  ASSERT_TRUE(session.waitFor("Save as: "));
  session.send("xt\n");
  ASSERT_TRUE(session.waitFor("tree.tx\b \bt\b \bxt\r\nTree saved."));
  EXPECT_TRUE(inKeyMode(session.settings()));
  std::istringstream saved(readFile(dir.file("tree.txt")));
  std::unique_ptr<TreeNode> tree;
  EXPECT_NO_THROW(TreeFile::read(tree, saved));
  // Ctrl-U erases the name, Ctrl-W a word at a time, and Backspace a whole
  // character, however many bytes it has.
  session.send("fsjunk\x15" "a b\x17\x17" "tree.bak\n" "fs\xc3\xa9\x7f" "a\n");
  ASSERT_TRUE(session.waitFor("Tree saved."));
  ASSERT_TRUE(session.waitFor("Tree saved."));
  EXPECT_EQ(readFile(dir.file("tree.bak")), readFile(dir.file("tree.txt")));
  EXPECT_EQ(readFile(dir.file("a")), readFile(dir.file("tree.txt")));
  // Ctrl-D gives up an empty name only; Escape gives any name up, and the
  // answer starts a line of its own.
  session.send("fsa\x04\x15\x04");
  ASSERT_TRUE(session.waitFor("a\b \b\r\nFailed to save."));
  session.send("fsabc");
  ASSERT_TRUE(session.waitFor("abc"));
  session.send("\x1b");
  ASSERT_TRUE(session.waitFor("Failed to save."));
  EXPECT_NE(session.output().find("abc\r\nFailed to save."), std::string::npos);
  ASSERT_TRUE(session.waitFor(prompt));
  EXPECT_FALSE(fileExists(dir.file("abc")));
  // Keys are not echoed: the only trace of the "0" is its example line.
  press("0");
  EXPECT_EQ(occurrences(session.output(), "response: "), 11U);
  session.send("q");
  const int status = session.wait();
  EXPECT_TRUE(exitedWithZero(status)) << status;
  EXPECT_TRUE(sameMode(session.settings(), session.initialSettings()));
}

TEST_F(TerminalTest, KeysTypedAheadOfANameActAsTheSameKeysTypedSlowly) {
  // One write, as a paste: the name and the keys after it are all waiting
  // before the program asks for the name.
  session.send("c&9lfsa.txt\n9q");
  const int status = session.wait();
  EXPECT_TRUE(exitedWithZero(status)) << status;
  const std::string& output = session.output();
  EXPECT_EQ(occurrences(output, "Save as: a.txt\r\nTree saved."), 1U);
  EXPECT_EQ(occurrences(output.substr(output.find("Tree saved.")), "response: "), 10U);
  EXPECT_EQ(occurrences(output, "response: "), 20U);
  std::istringstream saved(readFile(dir.file("a.txt")));
  std::unique_ptr<TreeNode> tree;
  EXPECT_NO_THROW(TreeFile::read(tree, saved));
}

TEST_F(TerminalTest, ArrowsFunctionKeysLettersAndTerminalReportsAreOneExampleEach) {
  press("\x1b[A");
  EXPECT_EQ(occurrences(session.output(), "response: "), 1U);
  press("\x1bOP");
  press("\x1b[15~");
  press("\xc3\xa9");
  press("\xe2\x82\xac");
  press("\xf0\x9f\x98\x80");
  EXPECT_EQ(occurrences(session.output(), "response: "), 6U);
  // A control sequence ends at its final byte however long it is, and a
  // string a terminal sends (here its answer to a colour query) at its
  // terminator, ESC \ or BEL: each is one key, the 0 behind it another.
  press("\x1b[" + std::string(40, '1') + "q");
  press("\x1b]11;rgb:0000/0000/0000\x1b\\0");
  press("\x1b]11;rgb:0000/0000/0000\a0");
  // Ctrl-S is a key, not flow control that freezes the screen.
  press("\x13");
  // A lone Escape quits once the short wait for a sequence has passed.
  session.send("\x1b");
  const int status = session.wait();
  EXPECT_TRUE(exitedWithZero(status)) << status;
  EXPECT_EQ(occurrences(session.output(), "response: "), 12U);
  EXPECT_TRUE(sameMode(session.settings(), session.initialSettings()));
}

TEST_F(TerminalTest, SavingToTheTerminalShowsTheTreeOnLinesOfItsOwn) {
  writeFile(dir.file("and.txt"), andFile);
  session.send("fl");
  ASSERT_TRUE(session.waitFor("Load from: "));
  session.send("and.txt\n");
  ASSERT_TRUE(session.waitFor("Tree loaded."));
  // Standard input here is the terminal too: the screen, not the keys.
  for (const char* name : {"/dev/stdout\n", "/dev/stdin\n"}) {
    session.send("fs");
    ASSERT_TRUE(session.waitFor("Save as: "));
    session.send(name);
    ASSERT_TRUE(session.waitFor("\t^Class: 0\r\nTree saved.")) << name << session.output();
  }
  // None of the program's own descriptors is read as a tree, and none
  // makes it wait.
  for (int fd = 0; fd < 8; ++fd) {
    session.send("fl/proc/self/fd/" + std::to_string(fd) + "\n");
    ASSERT_TRUE(session.waitFor("Failed to load.")) << fd;
  }
}
