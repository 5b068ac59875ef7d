#include "app/command_loop.h"

#include <cstdio>

#include "learner/learner.h"

namespace {

constexpr int escapeKey = 27;

// Each is also what a stop and continue while its key is awaited shows
// again, so each is kept as one text.
constexpr const char* prompt = "\n\nCommand? <q/esc,l,0-9,c,f>\n";
constexpr const char* fitnessMenuText =
    "\n\nFitness Function Selection\n"
    "Change to what type?\n"
    "\tor '|', xor '^', and '&'\n"
    "\ttriple or '#', triple xor '%', triple and '*'\n";
constexpr const char* fileMenuText =
    "\n\nFile IO\n"
    "<s> to save this tree\n"
    "<l> to load a tree\n"
    "<q> or any other key to quit\n";

void printMenu(FitnessFunction fitness) {
  std::printf("<q>   or <esc> to quit,\n");
  std::printf("<l>   to learn,\n");
  std::printf("<0-9> to create #+1 examples,\n");
  std::printf("<f>   to save or load tree,\n");
  std::printf("<c>   to change fitness function from %c,\n", fitness);
  std::printf("<d>   to clear all current examples,\n");
  std::printf("or any other key to create 1 example.\n");
}

// Keys are compared as signed characters: codes 128 to 255 are no command.
signed char asCharacter(int code) { return static_cast<signed char>(code & 0xFF); }

}  // namespace

void fitnessMenu(FitnessFunction& fitness, Console& console) {
  const signed char key = asCharacter(readKey(console, fitnessMenuText, fitnessMenuText));
  if (isFitnessFunction(key)) fitness = static_cast<FitnessFunction>(key);
  std::printf("Fitness function used is now %c\n\n", fitness);
}

void fileMenu(Learner& learner, Console& console) {
  const signed char key = asCharacter(readKey(console, fileMenuText, fileMenuText));
  NameBuffer name;
  if (key == 's' || key == 'S') {
    const bool saved = readName(console, "Save as: ", name) && learner.save(name);
    std::fputs(saved ? "Tree saved." : "Failed to save.", stdout);
  } else if (key == 'l' || key == 'L') {
    const bool loaded = readName(console, "Load from: ", name) && learner.load(name);
    std::fputs(loaded ? "Tree loaded." : "Failed to load.", stdout);
  }
  std::printf("\n\n\n");
}

void CommandLoop(Learner& learner, Console& console) {
  FitnessFunction fitness = '|';
  printMenu(fitness);
  // The first key follows the menu; every later one, the prompt.
  const char* request = "";
  for (;;) {
    const int code = readKey(console, request, prompt);
    request = prompt;
    const signed char key = asCharacter(code);
    if (key == 0) return;
    switch (key) {
      case escapeKey:
      case 'q':
      case 'Q':
        return;
      case '1':
      case '2':
      case '3':
      case '4':
      case '5':
      case '6':
      case '7':
      case '8':
      case '9':
        // The examples after one that could not be kept would fail alike.
        for (int run = 0; run <= key - '0' && trainAndTest(learner, fitness); ++run) {
        }
        break;
      case 'c':
      case 'C':
        fitnessMenu(fitness, console);
        learner.clearExamples();
        break;
      case 'd':
      case 'D':
        learner.clearExamples();
        std::printf("Examples cleared.\n\n");
        break;
      case 'f':
      case 'F':
        fileMenu(learner, console);
        break;
      case 'l':
      case 'L':
        std::printf("...");
        // A terminal's output is flushed at line ends only; the dots are to
        // be seen while the tree grows, not after.
        std::fflush(stdout);
        // A growth that stopped is told behind the dots, on their line.
        if (const char* failure = learner.learn()) {
          std::printf("%s\n", failure);
          std::fflush(stdout);
        }
        std::printf("Tree has completed learning.\n\n");
        break;
      default:
        trainAndTest(learner, fitness);
        break;
    }
  }
}
