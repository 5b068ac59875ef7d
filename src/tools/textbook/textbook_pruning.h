#pragma once

#include "tools/textbook/error_estimate.h"
#include "tools/textbook/textbook_growth.h"
#include "tools/textbook/textbook_observer.h"
#include "tools/textbook/textbook_tree.h"

struct Dataset;

// These work on a tree as it grew, its nodes in the order they were made
// (children after their parent), and leave unreachable the nodes they cut
// off; `preOrder` then gathers what is left.

// Makes a leaf, top down, of every test whose subtree's leaves misclassify
// at least as much training weight as the test's node would as a leaf (to
// within a thousandth): such a subtree does not reduce the training error.
void collapseTextbookTree(TextbookTree& tree, const TextbookObserver* observer);

// C4.5's pruning, children before their parent: with the cases of `data`
// sent down the tree again, each test is kept, made a leaf, or replaced by
// its largest branch (subtree raising), whichever the pessimistic error
// estimates favour, with C4.5's margin of a tenth of a case. A raised
// branch takes every case of the test it replaces, and is pruned again.
// Where the growth left its cases in order (`grown.rows`), they are not
// sent down again, and a branch is estimated from its leaves' own counts
// and the cases of the other branch alone.
void pruneTextbookTree(GrownTree& grown, const Dataset& data, const ErrorEstimate& estimate,
                       const TextbookObserver* observer);

// The nodes reachable from the root, in pre-order.
TextbookTree preOrder(const TextbookTree& tree);
