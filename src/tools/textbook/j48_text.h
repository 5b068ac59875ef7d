#pragma once

#include <string>

#include "tools/textbook/textbook_tree.h"

struct Dataset;

// The tree as Weka's J48 prints it, between its heading and "Number of
// Leaves", so that the two can be compared as text: one line per branch,
// "|   " for each level above it, a leaf's class after its branch's test,
// and its training weight with, where there is any, the weight it
// misclassifies, both rounded to two decimals ("(48.0/1.0)"). A tree that
// is a single leaf is one line, ": CLASS (N/E)". Names are those of `data`:
// an attribute without one is x1, x2, ... and a class without a label is
// its number.
std::string j48Text(const TextbookTree& tree, const Dataset& data);

// `value` as Java writes a double: the shortest decimal that reads back as
// the number, "1.0", "0.6", "1.2345E-4", "1.234567825E7". A float is written
// with the digits that name it as a float.
std::string javaNumber(double value);
std::string javaNumber(float value);
