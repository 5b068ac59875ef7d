#pragma once

#include "tools/textbook/textbook_observer.h"
#include "tools/textbook/textbook_options.h"
#include "tools/textbook/textbook_tree.h"

struct Dataset;

#include <cstdint>
#include <vector>

struct GrownTree {
  // The nodes in the order they were made (the root first, then each
  // split's yes and no children), each with the class weights of its cases;
  // nothing is collapsed or pruned yet.
  TextbookTree tree;
  // Where no value is missing, every case went down one path: then `rows`
  // holds every row once, in an order where the cases of each node stand
  // side by side, those of its yes child first, so that the root's are all
  // of them and each child's part of its parent's. Empty where values are
  // missing.
  std::vector<std::uint32_t> rows;
};

// Grows the whole tree as C4.5's release 8 grows it, with J48's binary
// tests of nominal attributes.
GrownTree growTextbookTree(const Dataset& data, const TextbookOptions& options,
                           const TextbookObserver* observer);
