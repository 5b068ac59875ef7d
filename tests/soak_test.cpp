// A long random session of the real program through a pipe: keys of every
// kind, file names good and bad, and every line it answers checked against
// the concept it claims. TREEBENCH_SOAK_KEYS sets the number of keys and
// TREEBENCH_SOAK_SEED the seed, so that a failed session can be replayed.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "examples/example_generator.h"
#include "learner/learner.h"
#include "support/program.h"
#include "support/temp_dir.h"
#include "support/text.h"

namespace {

const std::string fitnessCodes = "|^&#%*";

std::size_t keysWanted() {
  const char* text = std::getenv("TREEBENCH_SOAK_KEYS");
  return text != nullptr && *text != '\0' ? std::strtoull(text, nullptr, 10) : 200000;
}

// A fresh seed unless one is given; every failure names the one used.
std::uint32_t seedWanted() {
  const char* text = std::getenv("TREEBENCH_SOAK_SEED");
  if (text != nullptr && *text != '\0') return static_cast<std::uint32_t>(std::strtoul(text, nullptr, 10));
  return std::random_device{}();
}

const char* const saved = "Tree saved.";
const char* const notSaved = "Failed to save.";
const char* const loaded = "Tree loaded.";
const char* const notLoaded = "Failed to load.";

// The keys of a session and what the program must answer to them, worked out
// as they are drawn.
class Script {
 public:
  Script(const TempDir& dir, std::uint32_t seed) : dir_(dir), random_(seed) {
    writeFile(dir.file("good-and.txt"), andFile);
    writeFile(dir.file("good-leaf.txt"), "# by hand\r\n^Class: 1\r\n");
    std::string chain;
    for (int i = 0; i < 200; ++i)
      chain += ">Pred: =  Case Index: " + std::to_string(i % 3) + "  Case Value: 0\n^Class: 1\n";
    writeFile(dir.file("good-chain.txt"), chain + "^Class: 0");
    writeFile(dir.file("broken-incomplete.txt"), ">Pred: =  Case Index: 0  Case Value: 1\n\t^Class: 1\n");
    writeFile(dir.file("broken-marker.txt"), "Pred: =  Case Index: 0  Case Value: 1\n");
    writeFile(dir.file("broken-empty.txt"), "");
    writeFile(dir.file("broken-overlong.txt"), ">" + std::string(600, ' ') + "\n^\n^");
    writeFile(dir.file("broken-binary.txt"), std::string("\x00\xff\x01>\x80", 5));
    good_ = {"good-and.txt", "good-leaf.txt", "good-chain.txt"};
    broken_ = {"broken-incomplete.txt", "broken-marker.txt", "broken-empty.txt", "broken-overlong.txt",
               "broken-binary.txt"};
  }

  void draw(std::size_t wanted) {
    while (keyCount < wanted) drawKey();
    key('q');
  }

  std::string keys;
  std::size_t keyCount = 0;
  std::size_t exampleLines = 0;
  std::vector<std::string> fileResults;
  std::vector<std::string> savedNames;

 private:
  std::uint32_t below(std::size_t n) {
    return std::uniform_int_distribution<std::uint32_t>(0, static_cast<std::uint32_t>(n - 1))(random_);
  }

  void key(int code) {
    keys.push_back(static_cast<char>(code));
    ++keyCount;
  }

  void name(const std::string& text) { keys += text + "\n"; }

  // Any byte but the four that end the loop.
  int plainByte() {
    static const std::string letters = "abeghijkmnoprstuvwxyzABEGHIJKMNOPRSTUVWXYZ";
    static const std::string commands = "lLcCdDfF";
    const std::uint32_t kind = below(100);
    if (kind < 15) return commands[below(commands.size())];
    if (kind < 30) return '0' + static_cast<int>(below(10));
    if (kind < 60) return letters[below(letters.size())];
    if (kind < 75) {
      const int code = 1 + static_cast<int>(below(32));
      return code == 27 ? 127 : code;
    }
    if (kind < 90) return 128 + static_cast<int>(below(128));
    return ' ' + static_cast<int>(below(95));  // printable, command letters included
  }

  void drawKey() {
    int code = plainByte();
    while (code == 'q' || code == 'Q') code = plainByte();
    key(code);
    switch (code) {
      case 'l':
      case 'L':
        if (pending_ > 0) hasTree_ = true;
        pending_ = 0;
        return;
      case 'd':
      case 'D':
        pending_ = 0;
        return;
      case 'c':
      case 'C':
        fitnessKey();
        pending_ = 0;
        return;
      case 'f':
      case 'F':
        fileKey();
        return;
      default:
        break;
    }
    const int made = code >= '1' && code <= '9' ? code - '0' + 1 : 1;
    pending_ += static_cast<std::size_t>(made);
    exampleLines += static_cast<std::size_t>(made);
  }

  void fitnessKey() {
    if (below(10) < 7) {
      key(fitnessCodes[below(fitnessCodes.size())]);
      return;
    }
    int code = static_cast<int>(below(256));
    while (fitnessCodes.find(static_cast<char>(code)) != std::string::npos)
      code = static_cast<int>(below(256));
    key(code);
  }

  void fileKey() {
    const std::uint32_t choice = below(10);
    if (choice < 4) {
      key(below(2) == 0 ? 's' : 'S');
      saveName();
    } else if (choice < 8) {
      key(below(2) == 0 ? 'l' : 'L');
      loadName();
    } else {
      int code = static_cast<int>(below(256));
      while (code == 's' || code == 'S' || code == 'l' || code == 'L') code = static_cast<int>(below(256));
      key(code);
    }
  }

  // A name that can never be stored or read.
  std::string badName() {
    switch (below(5)) {
      case 0:
        return dir_.file("missing/folder.txt");
      case 1:
        return dir_.file(std::string(600, 'n'));
      case 2:
        return dir_.file(std::string("nul\0name", 8));
      case 3:
        return "";
      default:
        return dir_.file("missing/") + static_cast<char>(128 + below(128));
    }
  }

  void saveName() {
    if (below(10) < 6) {
      const std::string target = "saved-" + std::to_string(below(8)) + ".txt";
      name(dir_.file(target));
      fileResults.push_back(hasTree_ ? saved : notSaved);
      if (hasTree_ && std::find(savedNames.begin(), savedNames.end(), target) == savedNames.end())
        savedNames.push_back(target);
      return;
    }
    name(badName());
    fileResults.push_back(notSaved);
  }

  void loadName() {
    const std::uint32_t choice = below(10);
    if (choice < 3) {
      name(dir_.file(good_[below(good_.size())]));
      fileResults.push_back(loaded);
      hasTree_ = true;
    } else if (choice < 5) {
      const std::string target = "saved-" + std::to_string(below(8)) + ".txt";
      name(dir_.file(target));
      const bool exists = std::find(savedNames.begin(), savedNames.end(), target) != savedNames.end();
      fileResults.push_back(exists ? loaded : notLoaded);
    } else if (choice < 7) {
      name(dir_.file(broken_[below(broken_.size())]));
      fileResults.push_back(notLoaded);
    } else if (choice < 8) {
      name(dir_.path());
      fileResults.push_back(notLoaded);
    } else {
      name(badName());
      fileResults.push_back(notLoaded);
    }
  }

  const TempDir& dir_;
  std::mt19937 random_;
  std::vector<std::string> good_;
  std::vector<std::string> broken_;
  bool hasTree_ = false;
  std::size_t pending_ = 0;
};

// Checks the output line by line as it arrives.
class Checker {
 public:
  void take(std::string_view chunk) {
    for (const char c : chunk) {
      if (c != '\n') {
        line_.push_back(c);
        continue;
      }
      checkLine();
      line_.clear();
    }
  }
  void finish() {
    checkLine();
    line_.clear();
  }

  std::size_t exampleLines = 0;
  std::size_t badLines = 0;
  std::vector<std::string> fileResults;
  std::string firstBad;

 private:
  void bad() {
    if (badLines++ == 0) firstBad = line_;
  }

  void checkLine() {
    if (const auto at = line_.find("Fitness function used is now "); at != std::string::npos) {
      fitness_ = line_[at + 29];
      if (fitnessCodes.find(fitness_) == std::string::npos) bad();
      return;
    }
    for (const char* prefix : {"Save as: ", "Load from: "}) {
      if (const auto at = line_.find(prefix); at != std::string::npos) {
        fileResults.push_back(line_.substr(at + std::string_view(prefix).size()));
        return;
      }
    }
    const auto at = line_.find("input: \"");
    if (at == std::string::npos) return;
    ++exampleLines;
    checkExample(std::string_view(line_).substr(at));
  }

  void checkExample(std::string_view text) {
    float x[3] = {0, 0, 0};
    char f1 = 0;
    char f2 = 0;
    int response = -1;
    const std::string line(text);
    std::vector<float> values;
    char rebuilt[128];
    if (valueCount(fitness_) == 3) {
      if (std::sscanf(line.c_str(), "input: \"%f %c %f %c %f \" response: %d.", &x[0], &f1, &x[1], &f2, &x[2],
                      &response) != 6)
        return bad();
      values = {x[0], x[1], x[2]};
      std::snprintf(rebuilt, sizeof rebuilt, "input: \"%.2f %c %.2f %c %.2f  \" response: %d.", x[0], f1,
                    x[1], f2, x[2], response);
    } else {
      if (std::sscanf(line.c_str(), "input: \"%f %c %f\" response: %d.", &x[0], &f1, &x[1], &response) != 4)
        return bad();
      f2 = f1;
      values = {x[0], x[1]};
      std::snprintf(rebuilt, sizeof rebuilt, "input: \"%.2f %c %.2f\" response: %d.", x[0], f1, x[1],
                    response);
    }
    for (const float v : values)
      if (v != 0.0F && v != 1.0F) return bad();
    if (f1 != fitness_ || f2 != fitness_ || (response != 0 && response != 1)) return bad();
    const bool correct = classOf(fitness_, values) == response;
    if (line != std::string(rebuilt) + (correct ? "\t\t\tCORRECT. " : "\t\t\tWRONG. ")) return bad();
  }

  std::string line_;
  char fitness_ = '|';
};

}  // namespace

TEST(Soak, RandomKeysAndFileNamesThroughAPipe) {
  const TempDir dir;
  const std::uint32_t seed = seedWanted();
  const std::size_t keys = keysWanted();
  SCOPED_TRACE("replay with TREEBENCH_SOAK_SEED=" + std::to_string(seed) +
               " TREEBENCH_SOAK_KEYS=" + std::to_string(keys));
  Script script(dir, seed);
  script.draw(keys);

  Checker checker;
  RunOptions options;
  options.onOutput = [&checker](std::string_view chunk) { checker.take(chunk); };
  const ProgramRun run = runWithoutTerminal(script.keys, options);
  checker.finish();

  EXPECT_TRUE(exitedWithZero(run.status)) << run.status;
  EXPECT_EQ(checker.badLines, 0U) << checker.firstBad;
  EXPECT_EQ(checker.exampleLines, script.exampleLines);
  EXPECT_EQ(checker.fileResults.size(), script.fileResults.size());
  const auto [expected, answered] = std::mismatch(script.fileResults.begin(), script.fileResults.end(),
                                                  checker.fileResults.begin(), checker.fileResults.end());
  if (expected != script.fileResults.end() && answered != checker.fileResults.end()) {
    ADD_FAILURE() << "file command " << (expected - script.fileResults.begin()) << " answered \"" << *answered
                  << "\" instead of \"" << *expected << "\"";
  }
  for (const std::string& name : script.savedNames) {
    Learner learner;
    EXPECT_TRUE(learner.load(dir.file(name).c_str())) << name;
  }
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  std::printf(
      "soak: seed %u, %zu keys, %zu example lines, %zu file commands, peak RSS of the program %ld kB\n", seed,
      script.keyCount, checker.exampleLines, checker.fileResults.size(), usage.ru_maxrss);
}
