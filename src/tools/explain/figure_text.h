#pragma once

#include <cstdint>
#include <string>

#include "induction/row_table.h"
#include "tools/common/data_names.h"

// The explainer's words for its figures, shared by the explanation and the
// digraph so that both say the same thing alike.

// Nine significant digits name every float exactly, so that each figure
// can be set beside a figure worked out by hand.
std::string nine(double value);

// "1 cut", "3 cuts": `count` and the word that goes with it.
std::string counted(std::uint64_t count, const char* one, const char* many);

std::string examples(std::uint64_t count);

// A node's set: "4 examples, 2 of class 0 and 2 of class 1", in the names of
// the classes where they have some.
std::string setText(std::uint64_t count, const ClassTally& classes, const DataNames& names = noNames);
