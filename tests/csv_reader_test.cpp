// The CSV reader that the explainer and the bench tool share: what it
// takes, what it refuses and on which line. The programs' own tests only
// check that its answers reach their output.
#include "tools/common/csv_reader.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace {

struct Read {
  std::size_t width = 0;
  std::vector<float> values;
  std::vector<int> classes;
  std::size_t line = 0;  // of the refusal, or 0
  std::string reason;
};

Read readText(const std::string& text) {
  std::FILE* file = std::tmpfile();
  std::fwrite(text.data(), 1, text.size(), file);
  std::rewind(file);
  Dataset data;
  Read read;
  try {
    readCsv(file, data);
  } catch (const CsvError& error) {
    read.line = error.line;
    read.reason = error.reason;
    EXPECT_EQ(data.size(), 0U);
  }
  std::fclose(file);
  read.width = data.width;
  read.values = data.values;
  read.classes.assign(data.classes.begin(), data.classes.end());
  return read;
}

}  // namespace

TEST(CsvReader, TakesEveryNumberThatStrtofReads) {
  const std::string zeros(100, '0');
  // Rows across many of the reader's blocks, and a line longer than one.
  // A first row of its own, so that no line cut by a block's end reads as
  // the start of the block before it.
  std::string rows = "1,1,1\n";
  std::vector<float> rowValues{1, 1};
  std::vector<int> rowClasses{1};
  for (int i = 0; i < 200000; ++i) {
    rows += i % 2 == 0 ? "1,0.5,1\n" : "0,2,0\r\n";
    rowValues.insert(rowValues.end(), {i % 2 == 0 ? 1.0F : 0.0F, i % 2 == 0 ? 0.5F : 2.0F});
    rowClasses.push_back(i % 2 == 0 ? 1 : 0);
  }
  const struct {
    std::string text;
    std::size_t width;
    std::vector<float> values;
    std::vector<int> classes;
  } cases[] = {
      // CRLF line ends, blanks around fields, no end on the last line
      {"0.0,0.0,0\r\n0,1,0\n 1.0 , 0.0 ,0\n1,1,1.0", 2, {0, 0, 0, 1, 1, 0, 1, 1}, {0, 0, 0, 1}},
      {"", 0, {}, {}},
      {"+1,0x1p-2,1e999,-INFINITY,1e-50,-0\n", 5, {1, 0.25F, INFINITY, -INFINITY, 0}, {0}},
      {"\v7,.5,5.,1E+2,1\n", 4, {7, 0.5F, 5, 100}, {1}},
      // a number of any length
      {zeros + "1,0.5" + zeros + "," + zeros + "1", 2, {1, 0.5F}, {1}},
      {rows, 2, rowValues, rowClasses},
      {std::string(3 << 20, '0') + "7,1", 1, {7}, {1}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text.substr(0, 60));
    const Read read = readText(c.text);
    EXPECT_EQ(read.reason, "");
    EXPECT_EQ(read.width, c.width);
    EXPECT_EQ(read.values, c.values);
    EXPECT_EQ(read.classes, c.classes);
  }
}

TEST(CsvReader, RefusesABadRowNamingItsLineAndReason) {
  const struct {
    std::string text;
    std::size_t line;
    const char* reason;
  } cases[] = {
      {"1.0,0.0,1\n0,1,0\n1,1\n", 3, "2 fields where the first row has 3"},
      {"1.0,0.0,1\n0,x,0\n", 2, "field 2 is not a number"},
      {"1.0,0.0,1\n0,1,0\n1,0,2\n", 3, "the class is neither 0 nor 1"},
      {"1.0,0.0,1\n0,1,0.5\n", 2, "the class is neither 0 nor 1"},
      {"1,0,1\n\n0,0,0\n", 2, "field 1 is not a number"},
      {"1,0,1\n0,1e,0\n", 2, "field 2 is not a number"},
      {"1,0,1\n0,1,0,\n", 2, "field 4 is not a number"},
      {"1\v,0,1\n", 1, "field 1 is not a number"},
      {"1,0\r\r\n", 1, "field 2 is not a number"},
      {std::string("1,\0,1\n", 6), 1, "field 2 is not a number"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const Read read = readText(c.text);
    EXPECT_EQ(read.line, c.line);
    EXPECT_EQ(read.reason, c.reason);
  }
}

TEST(CsvReader, LoadsAFileOrStandardInputAndNamesTheFileInARefusal) {
  const TempDir dir;
  const std::string rows = dir.file("rows.csv");
  writeFile(rows, "1,0,1\n0,1,2\n");
  Dataset data;
  EXPECT_EQ(loadCsv(rows, nullptr, data), rows + ":2: the class is neither 0 nor 1");
  // A name shows on a terminal as it is, never as the controls it holds.
  EXPECT_EQ(loadCsv(dir.file("\x1b[2J\a.csv"), nullptr, data),
            dir.file("\\x1b[2J\\x07.csv") + ": cannot open: No such file or directory");
  std::FILE* input = std::tmpfile();
  std::fputs("1,0,1\n0,1,0\n", input);
  std::rewind(input);
  EXPECT_EQ(loadCsv(dir.path(), nullptr, data), dir.path() + ":1: read failed: Is a directory");
  EXPECT_EQ(loadCsv("-", input, data), std::nullopt);
  std::fclose(input);
  EXPECT_EQ(data.values, (std::vector<float>{1, 0, 0, 1}));
}

TEST(CsvReader, RefusesALineThatCannotBeHeldInMemory) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the address sanitizer reserves more address space than the limit leaves";
#else
  // The endless first line of /dev/zero, with 256 MiB of address space left.
  std::size_t pages = 0;
  std::ifstream("/proc/self/statm") >> pages;
  rlimit before{};
  ASSERT_EQ(getrlimit(RLIMIT_AS, &before), 0);
  rlimit limited = before;
  limited.rlim_cur = pages * static_cast<std::size_t>(sysconf(_SC_PAGESIZE)) + (std::size_t{256} << 20);
  ASSERT_EQ(setrlimit(RLIMIT_AS, &limited), 0);
  Dataset data;
  const auto refused = loadCsv("/dev/zero", nullptr, data);
  ASSERT_EQ(setrlimit(RLIMIT_AS, &before), 0);
  EXPECT_EQ(refused, "/dev/zero:1: the line is too long to be held in memory");
#endif
}
