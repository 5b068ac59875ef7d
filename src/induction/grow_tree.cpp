#include <iostream>
#include <vector>

#include "induction/tree_builder.h"
#include "learner/learner.h"

void Learner::learn() {
  if (examples.empty()) return;
  try {
    // Inside the guard: building even this list can run out of memory.
    const std::vector<bool> classValues{false, true};
    TreeBuilder builder(*this, classValues);
    builder.run();
    clearExamples();
  } catch (const char* message) {
    // Printed behind the "..." of the learn command; the partial tree and
    // the examples stay, so that the user can look at both.
    std::cout << message << "\n" << std::flush;
  } catch (...) {
    root.reset();
  }
}
