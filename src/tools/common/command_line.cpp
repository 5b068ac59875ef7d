#include "tools/common/command_line.h"

#include <getopt.h>

#include <cerrno>
#include <cstdlib>
#include <string_view>

namespace {

// getopt_long answers an option's code; those of the long options lie
// beyond every character, so that a refused short option ('?' with the
// character in optopt) is told apart from a long one.
constexpr int firstCode = 256;

int codeOf(std::size_t index) { return firstCode + static_cast<int>(index); }

std::size_t indexOf(int code) { return static_cast<std::size_t>(code - firstCode); }

CommandLine misuse(std::string error) {
  CommandLine line;
  line.error = std::move(error);
  return line;
}

// What getopt_long refused in `arg` when it names no character: an option
// that is none of `names`, or the start of more than one of them.
std::string unknownOption(std::string_view arg, const std::vector<option>& names) {
  const std::string_view name = arg.substr(2, arg.find('=') - 2);
  std::string possibilities;
  int matches = 0;
  for (const option& o : names) {
    if (o.name != nullptr && !name.empty() && std::string_view(o.name).starts_with(name)) {
      possibilities += std::string(" '--") + o.name + "'";
      ++matches;
    }
  }
  if (matches > 1) return "option '" + std::string(arg) + "' is ambiguous; possibilities:" + possibilities;
  return "unrecognized option '" + std::string(arg) + "'";
}

}  // namespace

CommandLine parseCommandLine(const std::vector<std::string>& args, std::span<const ToolOption> options) {
  std::vector<option> table;
  for (std::size_t i = 0; i < options.size(); ++i)
    table.push_back(
        {options[i].name, options[i].takesValue ? required_argument : no_argument, nullptr, codeOf(i)});
  const std::size_t help = options.size();
  const std::size_t version = help + 1;
  table.push_back({"help", no_argument, nullptr, codeOf(help)});
  table.push_back({"version", no_argument, nullptr, codeOf(version)});
  table.push_back({nullptr, 0, nullptr, 0});

  // getopt_long takes writable words, and the caller's stay its own.
  std::vector<std::string> words{"program"};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  const int argc = static_cast<int>(words.size());

  CommandLine line;
  // 0 makes glibc start afresh, as a second parse in the same process needs;
  // getopt_long prints nothing itself, and the caller says what is wrong
  // on the stream it was given.
  optind = 0;
  opterr = 0;
  for (;;) {
    // "-" hands each operand back in its place (as code 1), whatever
    // POSIXLY_CORRECT says, so that an option after an operand still counts
    // and the argv copy stays in order; ":" tells a missing value apart.
    const int code = getopt_long(argc, argv.data(), "-:", table.data(), nullptr);
    if (code == -1) break;
    if (code == 1) {
      line.operands.emplace_back(optarg);
      continue;
    }
    if (code == ':')
      return misuse("option '--" + std::string(table[indexOf(optopt)].name) + "' requires an argument");
    if (code == '?') {
      if (optopt >= firstCode)
        return misuse("option '--" + std::string(table[indexOf(optopt)].name) +
                      "' doesn't allow an argument");
      if (optopt != 0) return misuse("invalid option -- '" + std::string(1, static_cast<char>(optopt)) + "'");
      return misuse(unknownOption(argv[static_cast<std::size_t>(optind - 1)], table));
    }
    const std::size_t index = indexOf(code);
    if (index == help || index == version) {
      line.request = index == help ? CommandRequest::help : CommandRequest::version;
      return line;
    }
    GivenOption given{index, optarg != nullptr ? optarg : "", ""};
    if (options[index].follower != nullptr) {
      if (optind >= argc)
        return misuse("option '--" + std::string(options[index].name) + "' requires " +
                      options[index].follower);
      // Taken past getopt_long, which in the order kept by "-" simply goes
      // on after it.
      given.follower = argv[static_cast<std::size_t>(optind++)];
    }
    line.options.push_back(std::move(given));
  }
  // What follows "--".
  for (int i = optind; i < argc; ++i) line.operands.emplace_back(argv[static_cast<std::size_t>(i)]);
  line.request = CommandRequest::run;
  return line;
}

std::optional<unsigned long long> wholeNumber(const char* text, unsigned long long least,
                                              unsigned long long most) {
  // strtoull alone would take blanks, a sign (wrapping a negative number
  // round) and a number that stops short of the end.
  if (*text < '0' || *text > '9') return std::nullopt;
  char* end = nullptr;
  errno = 0;
  const unsigned long long value = std::strtoull(text, &end, 10);
  if (*end != '\0' || errno != 0 || value < least || value > most) return std::nullopt;
  return value;
}

std::string badNumber(const char* what, const std::string& text, unsigned long long least,
                      unsigned long long most) {
  return "bad " + std::string(what) + " '" + text + "': give a number from " + std::to_string(least) +
         " to " + std::to_string(most);
}
