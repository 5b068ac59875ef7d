#include "app/arguments.h"

#include <getopt.h>

#include <cstdio>
#include <string>

namespace {

constexpr const char* helpText =
    "Usage: treebench\n"
    "An interactive console workbench for learning two-way decision trees with\n"
    "the C4.5 method from random boolean examples. Each new example is first\n"
    "classified by the current tree and marked CORRECT or WRONG, then joins the\n"
    "training set; one key learns a new tree, and trees are saved to and loaded\n"
    "from indented text files.\n"
    "\n"
    "It takes no arguments and reads no configuration; it is driven by keys:\n"
    "  q, Q, Escape  quit\n"
    "  0 to 9        make that many examples plus one (0 makes one)\n"
    "  l             learn a tree from the examples so far\n"
    "  f             file menu: s saves the tree, l loads one\n"
    "  c             choose the concept: | or, ^ xor, & and, # triple or,\n"
    "                  % exactly one of three (the menu's \"triple xor\"),\n"
    "                  * triple and; the examples are cleared\n"
    "  d             clear the examples; the tree stays\n"
    "  any other key make one example\n"
    "Without a terminal it reads the keys, and the file names after them, from\n"
    "standard input.\n"
    "\n"
    "      --help     display this help and exit\n"
    "      --version  output version information and exit\n"
    "\n"
    "The manual page, treebench(1), tells the rest.\n";

// A word of the command line as the message repeats it: a byte that does
// not print, as \x and two hex digits, so that no argument can steer the
// terminal. The tools escape their words alike.
std::string printableWord(const char* word) {
  static const char hex[] = "0123456789abcdef";
  std::string out;
  for (const char* at = word; *at != '\0'; ++at) {
    const auto code = static_cast<unsigned char>(*at);
    if (code >= 0x20 && code < 0x7f) {
      out += *at;
    } else {
      out += "\\x";
      out += hex[code >> 4];
      out += hex[code & 15];
    }
  }
  return out;
}

int refuse(const std::string& what) {
  std::fprintf(stderr,
               "treebench: %s\n"
               "The workbench takes no arguments: it is driven by keys, which 'treebench --help'\n"
               "lists; 'man treebench' tells the rest.\n",
               what.c_str());
  return 2;
}

// Written whole or not at all as far as the status goes: help that did not
// reach its reader must not pass for success.
int answer(const char* text) {
  const bool written = std::fputs(text, stdout) >= 0 && std::fflush(stdout) == 0;
  if (!written) std::fputs("treebench: write error\n", stderr);
  return written ? 0 : 1;
}

}  // namespace

std::optional<int> answerArguments(int argc, char** argv) {
  if (argc <= 1) return std::nullopt;
  enum { help = 256, version };
  const option options[] = {{"help", no_argument, nullptr, help},
                            {"version", no_argument, nullptr, version},
                            {nullptr, 0, nullptr, 0}};
  opterr = 0;  // its message would name the option otherwise than ours
  // "+": the first operand ends the options, as it would for any program
  // that takes none.
  int code = 0;
  while ((code = getopt_long(argc, argv, "+", options, nullptr)) != -1) {
    if (code == help) return answer(helpText);
    if (code == version) return answer("treebench (treebench) " TREEBENCH_VERSION "\n");
    const std::string word = printableWord(argv[optind - 1]);
    return refuse((word.starts_with("--") ? "unrecognized option '" : "invalid option '") + word + "'");
  }
  if (optind < argc) return refuse("extra operand '" + printableWord(argv[optind]) + "'");
  // Only "--": no argument was given after all.
  return std::nullopt;
}
