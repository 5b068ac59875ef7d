#pragma once

#include "tools/textbook/textbook_observer.h"
#include "tools/textbook/textbook_options.h"
#include "tools/textbook/textbook_tree.h"

struct Dataset;

// Learns a tree from `data` as C4.5's release 8 grows and prunes it, in
// the form of Weka's J48 with binary tests of nominal attributes (J48 -B):
// the highest gain ratio among the tests whose gain is at least the
// average; numeric tests x <= t at a training value, their gain less the
// cost of choosing the cut; at least M cases on two branches, and for a
// numeric cut the minimum C4.5 derives from the class sizes; a nominal test
// one label against the rest; cases with a missing value split by weight;
// then the collapse of subtrees that do not reduce the training error and,
// unless `options.unpruned`, pessimistic pruning with subtree raising.
// `observer`, where given, hears every step. Throws std::length_error for
// a data set of 2^32 cases or more, std::bad_alloc when memory runs out.
TextbookTree learnTextbook(const Dataset& data, const TextbookOptions& options = {},
                           const TextbookObserver* observer = nullptr);
