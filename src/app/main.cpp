#include <cstdlib>
#include <ctime>

#include "app/arguments.h"
#include "app/command_loop.h"
#include "app/console.h"
#include "learner/learner.h"
#include "safety/file_access.h"
#include "safety/signals.h"

int main(int argc, char** argv) {
  // Answered before anything starts: no handler, no terminal mode.
  if (const auto answered = answerArguments(argc, argv)) return *answered;
  keepStandardStreamsOpen();
  installSignalHandlers();
  std::srand(static_cast<unsigned>(std::time(nullptr)));
  Console console = openConsole();
  try {
    Learner learner;
    CommandLoop(learner, console);
  } catch (...) {
    // Every command answers its own failures; should one escape all the
    // same, the terminal is given back before the program ends by it.
    closeConsole(console);
    throw;
  }
  closeConsole(console);
  return 0;
}
