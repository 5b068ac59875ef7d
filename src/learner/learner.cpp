#include "learner/learner.h"

#include <new>
#include <utility>

#include "induction/growth.h"
#include "learner/row_folding.h"

void Learner::addExample(std::vector<float> values, std::uint8_t classValue) {
  examples.emplace_back(classValue, values);
}

void Learner::clearExamples() {
  // Every example is read to see whether it holds a heap block, and on a
  // large set the reads wait for memory: the set is destroyed from the back
  // a chunk at a time, the memory of the next chunk asked for first.
  constexpr std::size_t chunk = 1024;
  constexpr std::size_t perLine = 64 / sizeof(Example);
  while (!examples.empty()) {
    const std::size_t keep = examples.size() > chunk ? examples.size() - chunk : 0;
    for (std::size_t e = keep > chunk ? keep - chunk : 0; e < keep; e += perLine)
      __builtin_prefetch(&examples[e]);
    examples.erase(examples.begin() + static_cast<std::ptrdiff_t>(keep), examples.end());
  }
}

std::uint8_t Learner::classify(std::span<const float> values) const {
  if (!root) return 1;
  return root->classify(values);
}

const char* Learner::learn() {
  if (examples.empty()) return nullptr;
  // Freed first, so that the old tree and the new are never both in memory.
  root.reset();
  Growth grown = learnFrom(examples);
  root = std::move(grown.tree);
  // After a failure the partial tree and the examples stay, so that the
  // user can look at both.
  if (grown.failure == nullptr && root) clearExamples();
  return grown.failure;
}

Growth learnFrom(std::span<const Example> examples, const GrowthObserver* observer) {
  Growth grown;
  // The one guard of a learn, around the folding and the growth alike. It
  // takes only the growth's own failure and a lack of memory: any other
  // error is a fault of the program, and is not to pass for "no tree".
  try {
    growTree(foldRows(examples), grown.tree, observer);
  } catch (const char* failure) {
    grown.failure = failure;
  } catch (const std::bad_alloc&) {
    grown.tree.reset();
  }
  return grown;
}
