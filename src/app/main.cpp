#include <signal.h>

#include <cstdlib>
#include <ctime>

#include "app/command_loop.h"
#include "app/console.h"
#include "learner/learner.h"

int main() {
  // A save beyond the file size limit then fails like any other save
  // instead of ending the program.
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  sigaction(SIGXFSZ, &ignore, nullptr);
  std::srand(static_cast<unsigned>(std::time(nullptr)));
  Console console = openConsole();
  {
    Learner learner;
    CommandLoop(learner, console);
  }
  closeConsole(console);
  return 0;
}
