#pragma once

#include "tools/textbook/textbook_observer.h"
#include "tools/textbook/textbook_options.h"
#include "tools/textbook/textbook_tree.h"

struct Dataset;

// Grows the whole tree as C4.5's release 8 grows it, with J48's binary
// tests of nominal attributes. The nodes are in the order they were made
// (the root first, then each split's yes and no children), each with the
// class weights of its cases; nothing is collapsed or pruned yet.
TextbookTree growTextbookTree(const Dataset& data, const TextbookOptions& options, const TextbookObserver* observer);
