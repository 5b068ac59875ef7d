#pragma once

#include <string>
#include <vector>

#include "tools/common/dataset.h"

// What a data file calls its attributes, their values and the classes,
// for every place that shows a tree or an explanation: the drawing, the
// Graphviz digraph, the truth table, the test of a tree on rows and the
// explainer. Whatever it does not name keeps the tools' own words: x1, x2,
// ... for the attributes from the first, a value's number, class 0, class
// 1, ... A tree read alone has no names.
struct DataNames {
  std::vector<Attribute> attributes;  // by case index
  std::vector<std::string> classes;   // the class labels by index
};

inline const DataNames noNames{};

DataNames namesOf(const Dataset& data);
