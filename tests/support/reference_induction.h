#pragma once

#include <memory>
#include <string>

#include "learner/example.h"
#include "tree/tree_node.h"

// The induction written plainly from its description, step by step: whole
// examples copied into child sets and sorted at every node, counts kept as
// floats in steps of 1.0, recursion for growth. Slow, and kept only to check
// the program's induction against it.
//
// It learns from `examples` into `root` as Learner::learn does: nothing for
// an empty set; otherwise the old tree is freed and a new one grown; after a
// success the examples are cleared. Answers what learn prints: the growth
// failure's message and a line end, or nothing. As in the program, every
// node has the attribute count of the first example, a value missing from a
// short example reads as NaN, and of equal values a threshold takes the one
// with the smallest bits.
std::string referenceLearn(ExampleSet& examples, std::unique_ptr<TreeNode>& root);
