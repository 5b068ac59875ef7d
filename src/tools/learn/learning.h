#pragma once

#include <cstdint>
#include <span>

#include "tools/learn/learn_options.h"
#include "tools/learn/learnt_tree.h"
#include "tools/textbook/textbook_tree.h"

struct Dataset;

// A tree learnt by either method, in the form that answers a case as that
// method's classification does.
struct Learnt {
  LearnMethod method = LearnMethod::textbook;
  TextbookTree textbook;  // the textbook learner's tree
  LearntTree tree;        // in the workbench's form, for either method
  // Where the workbench's growth stopped, its message; the tree is then as
  // far as it grew.
  const char* failure = nullptr;
};

// Learns from `data` by `options.method`: the textbook learner with
// `options.textbook`, or the workbench's learn of its key `l`, from the
// data as its training set.
Learnt learnTree(const Dataset& data, const LearnOptions& options);

// The class that the learnt tree answers for the values of a case, NaN for
// one missing: the textbook learner's weighted vote, or the workbench's
// walk, 1 while there is no tree, as a learner without one answers.
std::uint8_t answer(const Learnt& learnt, std::span<const float> row);
