// The data reader that every tool shares: what it takes, what it refuses
// and on which line. The programs' own tests only check that its answers
// reach their output.
#include "tools/common/data_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "tools/common/node_text.h"
#include "tools/common/number_parsing.h"

namespace {

struct Read {
  std::size_t width = 0;
  std::vector<float> values;
  std::vector<int> classes;
  std::size_t line = 0;  // of the refusal, or 0
  std::string reason;
};

// The reader's blocks, and blocks small enough to cut every text at every
// place, across every record and byte-order mark.
constexpr std::size_t blockSizes[] = {dataBlockSize, 1, 2, 3, 5, 8};

Read readText(const std::string& text, const DataOptions& options = {}, Dataset* kept = nullptr,
              std::size_t blockSize = dataBlockSize) {
  std::FILE* file = std::tmpfile();
  std::fwrite(text.data(), 1, text.size(), file);
  std::rewind(file);
  Dataset data;
  Read read;
  try {
    readData(file, data, options, blockSize);
  } catch (const DataError& error) {
    read.line = error.line;
    read.reason = error.reason;
    EXPECT_EQ(data.size(), 0U);
  }
  std::fclose(file);
  read.width = data.width;
  read.values = data.values;
  read.classes.assign(data.classes.begin(), data.classes.end());
  if (kept != nullptr) *kept = std::move(data);
  return read;
}

}  // namespace

TEST(DataFile, TakesEveryNumberThatStrtofReadsInThePlainForm) {
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

TEST(DataFile, RefusesABadRowOfThePlainFormNamingItsLineAndReason) {
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
      // A first row that is not all numbers is not of the plain form.
      {"1,0,1\n1\v,0,1\n", 2, "field 1 is not a number"},
      {"1,0\n1,0\r\r\n", 2, "field 2 is not a number"},
      {std::string("1,0,1\n1,\0,1\n", 12), 2, "field 2 is not a number"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    for (const std::size_t block : blockSizes) {
      const Read read = readText(c.text, {}, nullptr, block);
      EXPECT_EQ(read.line, c.line);
      EXPECT_EQ(read.reason, c.reason);
    }
  }
}

TEST(DataFile, LoadsAFileOrStandardInputAndNamesTheFileInARefusal) {
  const TempDir dir;
  const std::string rows = dir.file("rows.csv");
  writeFile(rows, "1,0,1\n0,1,2\n");
  Dataset data;
  EXPECT_EQ(loadData(rows, nullptr, data), rows + ":2: the class is neither 0 nor 1");
  // A name shows on a terminal as it is, never as the controls it holds.
  EXPECT_EQ(loadData(dir.file("\x1b[2J\a.csv"), nullptr, data),
            dir.file("\\x1b[2J\\x07.csv") + ": cannot open: No such file or directory");
  std::FILE* input = std::tmpfile();
  std::fputs("1,0,1\n0,1,0\n", input);
  std::rewind(input);
  EXPECT_EQ(loadData(dir.path(), nullptr, data), dir.path() + ":1: read failed: Is a directory");
  EXPECT_EQ(loadData("-", input, data), std::nullopt);
  std::fclose(input);
  EXPECT_EQ(data.values, (std::vector<float>{1, 0, 0, 1}));
}

TEST(DataFile, RefusesWhatCannotBeHeldInMemory) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the address sanitizer reserves more address space than the limit leaves";
#else
  // The endless first line of /dev/zero, and endless rows, with 256 MiB of
  // address space left.
  std::FILE* rows = popen("yes 1,x", "r");
  ASSERT_NE(rows, nullptr);
  const struct {
    std::string name;
    std::FILE* file;
    const char* refusal;
  } cases[] = {{"/dev/zero", nullptr, "/dev/zero:1: the line is too long to be held in memory"},
               {"-", rows, "-: out of memory"}};
  std::size_t pages = 0;
  std::ifstream("/proc/self/statm") >> pages;
  rlimit before{};
  ASSERT_EQ(getrlimit(RLIMIT_AS, &before), 0);
  rlimit limited = before;
  limited.rlim_cur = pages * static_cast<std::size_t>(sysconf(_SC_PAGESIZE)) + (std::size_t{256} << 20);
  for (const auto& c : cases) {
    ASSERT_EQ(setrlimit(RLIMIT_AS, &limited), 0);
    Dataset data;
    const auto refused = loadData(c.name, c.file, data);
    ASSERT_EQ(setrlimit(RLIMIT_AS, &before), 0);
    EXPECT_EQ(refused, c.refusal);
  }
  pclose(rows);
#endif
}

namespace {

// A data set in one line: the attributes (a nominal one with its labels),
// the class and its labels, then each row's values (? where missing), its
// class index and its line, then the rows left out.
std::string describe(const Dataset& data) {
  const auto labelled = [](const Attribute& a) {
    std::string text = a.name.empty() ? "-" : a.name;
    if (a.kind == AttributeKind::numeric) return text;
    for (std::size_t i = 0; i < a.labels.size(); ++i) text += (i > 0 ? "," : "{") + a.labels[i];
    return text + (a.labels.empty() ? "{}" : "}");
  };
  std::string text;
  for (const Attribute& a : data.attributes) text += labelled(a) + ' ';
  text += "| " + labelled(data.classAttribute) + " |";
  for (std::size_t row = 0; row < data.size(); ++row) {
    text += ' ';
    for (std::size_t k = 0; k < data.width; ++k)
      text += (std::isnan(data.value(row, k)) ? "?" : numberText(data.value(row, k))) + ",";
    text += ':' + std::to_string(data.classes[row]);
    if (!data.lines.empty()) text += '@' + std::to_string(data.lines[row]);
  }
  if (data.rowsWithoutClass > 0)
    text += " | " + std::to_string(data.rowsWithoutClass) + " left out from " +
            std::to_string(data.firstRowWithoutClass);
  return text;
}

}  // namespace

TEST(DataFile, ReadsNamedDataFromCsvAndArff) {
  const struct {
    std::string text;
    DataOptions options;
    const char* read;
  } cases[] = {
      // A header over numbers; a class of numbers is labels, in their order as numbers.
      {"a,b,class\n1.5,2,1\n3,4,0\n", {}, "a b | class{0,1} | 1.5,2,:1@2 3,4,:0@3"},
      // A header of names alone, as pandas writes nominal data; a byte-order
      // mark, CRLF, quotes holding commas, doubled quotes and a line end.
      {"\xEF\xBB\xBFoutlook,\"wind, at noon\",play\r\nsunny,\"a \"\"gale\"\"\",no\r\n"
       "rainy,\"calm\nand dry\",yes\r\nsunny,calm,yes\r\n",
       {},
       "outlook{sunny,rainy} wind, at noon{a \"gale\",calm\nand dry,calm} | play{no,yes} | 0,0,:0@2 1,1,:1@3 "
       "0,2,:1@5"},
      // Missing values, blanks around fields and blank lines; a row without a
      // class is left out. A column turns nominal at its first name, and its
      // numbers before are labels by value.
      {"x, c\n\n1.0 ,a\n,b\n? , \nfoo,a\n1,b\n",
       {},
       "x{1,foo} | c{a,b} | 0,:0@3 ?,:1@4 1,:0@6 0,:1@7 | 1 left out from 5"},
      // No header: the first row is data, the columns have no names.
      {"sunny,85,no\nrainy,70,yes\n", {}, "-{sunny,rainy} - | -{no,yes} | 0,85,:0@1 1,70,:1@2"},
      {"3,2\n2,3\n", {}, "- | -{2,3} | 3,:0@1 2,:1@2"},
      // The header stated, and the class named by name or number.
      {"1,2\n3,4\n5,6\n", {HeaderRow::present, ""}, "1 | 2{4,6} | 3,:0@2 5,:1@3"},
      {"a,b,c\n1,x,2\n3,y,4\n", {HeaderRow::decide, "b"}, "a c | b{x,y} | 1,2,:0@2 3,4,:1@3"},
      {"1,0,5\n0,1,6\n", {HeaderRow::decide, "1"}, "| - | 0,5,:1 1,6,:0"},
      {"1,0,5\n0,1,6\n", {HeaderRow::absent, "2"}, "- - | -{0,1} | 1,5,:0@1 0,6,:1@2"},
      {"1,0,5\n0,1,6\n", {HeaderRow::absent, "3"}, "- - | -{5,6} | 1,0,:0@1 0,1,:1@2"},
      // ARFF: keywords in any case, quoted names, comments, declared order,
      // the class named; --no-header means nothing to it.
      {"% the weather data, cut short\n@RELATION weather\n\n@attribute outlook {sunny, overcast, 'rainy day'}\n"
       "@Attribute \"temp\" REAL   % degrees\n@attribute windy { TRUE,FALSE}\n@attribute play {yes,no}\n@DATA\n"
       "sunny,85,FALSE,no\n% a comment among the rows\n'rainy day' , ?, TRUE ,yes\r\novercast,?,FALSE,?\n",
       {HeaderRow::absent, "windy"},
       "outlook{sunny,overcast,rainy day} temp play{yes,no} | windy{TRUE,FALSE} | 0,85,1,:1@9 2,?,0,:0@11 1,?,?,:1@12"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    for (const std::size_t block : blockSizes) {
      Dataset data;
      const Read read = readText(c.text, c.options, &data, block);
      EXPECT_EQ(read.reason, "") << block;
      EXPECT_EQ(describe(data), c.read) << block;
    }
  }
}

TEST(DataFile, RefusesBadDataNamingTheLineAndReason) {
  std::string classes = "x,class\n";
  for (int i = 0; i <= 256; ++i) classes += "1,c" + std::to_string(i) + "\n";
  const struct {
    std::string text;
    DataOptions options;
    const char* refusal;
  } cases[] = {
      {"", {}, "1: the file holds no rows"},
      {"a,b\n", {}, "2: the file holds no rows"},
      {"a,b\n1,?\n", {}, "2: no row has a class"},
      {"a,b\n1,x\n2,x\n", {}, "1: the class 'b' has one value only, 'x'"},
      {"x,y\n1,2\n1,2,3\n", {}, "3: 3 fields where the header has 2"},
      {"x,1\ny,2,3\n", {HeaderRow::absent, ""}, "2: 3 fields where the first row has 2"},
      {"a,b\n1,\"x\n2,y\n", {}, "2: the quote that opens field 2 is never closed"},
      {"a,b\n1,\"x\"y\n", {}, "2: text after the closing quote of field 2"},
      {classes, {}, "258: the class 'class' has more than 256 values"},
      {"a,b\n1,x\n", {HeaderRow::decide, "c"}, "1: --class 'c': no column has that name"},
      {"a,a,b\n1,x,y\n", {HeaderRow::decide, "a"}, "1: --class 'a': more than one column has that name"},
      {"1,0\n", {HeaderRow::decide, "3"}, "1: --class '3': there are 2 columns"},
      {"1,0\n", {HeaderRow::decide, "x"}, "1: --class 'x': the columns have no names"},
      {"@relation r\n@attribute a numeric\n@attribute c numeric\n@data\n1,2\n", {},
       "3: the class 'c' is numeric; it must be nominal"},
      {"@relation r\n@attribute c {only}\n@data\nonly\n", {}, "2: the class 'c' has one value only, 'only'"},
      {"@relation r\n@attribute a {x,y}\n@attribute c {p,q}\n@data\nx,p\nz,q\n", {},
       "6: field 1, 'z', is not one of the values declared for 'a'"},
      {"@relation r\n@attribute a real\n@attribute c {p,q}\n@data\nx,p\n", {},
       "5: field 1 is not a number, and attribute 'a' is numeric"},
      {"@relation r\n@attribute a real\n@attribute c {p,q}\n@data\n1,p,2\n", {},
       "5: 3 values where 2 attributes are declared"},
      {"@relation r\n@attribute a real\n@attribute c {p,q}\n@data\n{0 1, 1 q}\n", {},
       "5: sparse rows ({INDEX VALUE, ...}) are not supported"},
      {"@relation r\n@attribute t string\n", {}, "2: attribute 't' is of type string, which is not supported"},
      {"@relation r\n@attribute a {x,y\n", {}, "2: the values of attribute 'a' are not closed with '}'"},
      {"@relation r\n@attribute a real\n", {}, "3: no @data line: the file holds no rows"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text.substr(0, 80));
    for (const std::size_t block : blockSizes) {
      const Read read = readText(c.text, c.options, nullptr, block);
      EXPECT_EQ(std::to_string(read.line) + ": " + read.reason, c.refusal) << block;
    }
  }
}

TEST(DataFile, RetriesAnInterruptedReadAndRefusesAFailedOne) {
  // Rows served 7 bytes a read, so that a failure comes between reads: the
  // reads fail with `error` from byte `good` on, once or for good.
  struct Stream {
    std::size_t good;
    int error;
    bool once;
    std::optional<std::string> refusal;
    std::size_t at = 0;
  } cases[] = {
      {8, EINTR, true, std::nullopt},
      {5, EIO, true, "-:2: read failed: Input/output error"},
      {14, EIO, false, "-:3: read failed: Input/output error"},
  };
  cookie_io_functions_t io{};
  io.read = [](void* cookie, char* buffer, std::size_t size) -> ssize_t {
    static const std::string rows = "1,0,1\n0,1,0\n1,1,1\n0,0,0\n";
    auto& s = *static_cast<Stream*>(cookie);
    if (s.at >= s.good && s.good != rows.size() + 1) {
      if (s.once) s.good = rows.size() + 1;
      errno = s.error;
      return -1;
    }
    const std::size_t n = std::min({size, rows.size() - s.at, std::size_t{7}});
    std::memcpy(buffer, rows.data() + s.at, n);
    s.at += n;
    return static_cast<ssize_t>(n);
  };
  for (Stream& c : cases) {
    std::FILE* stream = fopencookie(&c, "r", io);
    Dataset data;
    EXPECT_EQ(loadData("-", stream, data), c.refusal) << c.error;
    EXPECT_EQ(data.size(), c.refusal ? 0U : 4U);
    std::fclose(stream);
  }
}

TEST(NumberParsing, ReadsShortDecimalsAsStrtofDoes) {
  // The short path against strtof, bit for bit: decimals of one to nine
  // digits with the point anywhere, signs, and a few the short path leaves
  // to the library.
  std::mt19937 random(7);
  std::vector<std::string> texts{"0", "-0", ".5", "5.", "16777217", "9999999.5", "0.0000001", "1e5", "12345678"};
  for (int i = 0; i < 200000; ++i) {
    const int digits = 1 + static_cast<int>(random() % 9);
    std::string text = random() % 4 == 0 ? "-" : "";
    const int point = static_cast<int>(random() % static_cast<unsigned>(digits + 1));
    for (int d = 0; d < digits; ++d) {
      if (d == point) text += '.';
      text += static_cast<char>('0' + random() % 10);
    }
    texts.push_back(text);
  }
  for (const std::string& text : texts) {
    float value = 0.0F;
    ASSERT_TRUE(parseNumber(text, value)) << text;
    const float expected = std::strtof(text.c_str(), nullptr);
    ASSERT_EQ(std::memcmp(&value, &expected, sizeof value), 0) << text << ": " << value << " for " << expected;
  }
}
