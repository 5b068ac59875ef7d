#include "induction/grow_tree.h"

#include <vector>

#include "induction/tree_builder.h"

Growth growTree(const RowTable& rows, const GrowthObserver* observer) {
  Growth grown;
  try {
    // Inside the guard: building even this list can run out of memory.
    const std::vector<bool> classValues{false, true};
    TreeBuilder builder(classValues);
    builder.observer = observer;
    builder.run(rows, grown.tree);
  } catch (const char* message) {
    // The tree stays as far as it grew, so that it can be looked at.
    grown.failure = message;
  } catch (...) {
    grown.tree.reset();
  }
  return grown;
}
