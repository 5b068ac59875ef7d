#include <csignal>
#include <cstdlib>
#include <ctime>

#include "app/command_loop.h"
#include "app/console.h"
#include "learner/learner.h"

int main() {
  // A save beyond the file size limit then fails like any other save
  // instead of ending the program.
  std::signal(SIGXFSZ, SIG_IGN);
  std::srand(static_cast<unsigned>(std::time(nullptr)));
  Console console = openConsole();
  {
    Learner learner;
    CommandLoop(learner, console);
  }
  closeConsole(console);
  return 0;
}
