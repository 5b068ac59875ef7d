#pragma once

// The search for one attribute's best test at a node, as C4.5's release 8
// searches: every cut between neighbouring distinct values of a numeric
// attribute, and every label against the rest for a nominal one. Free of
// side effects but for the candidates it may list.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "tools/textbook/case_columns.h"
#include "tools/textbook/textbook_observer.h"

// What the search of every attribute at a node shares.
struct SearchContext {
  std::span<const std::uint8_t> classes;  // by row
  std::size_t classCount;
  double minLeaf;  // M
  // By row, for a learn with missing values; empty when every case weighs 1.
  std::span<const double> weights;
  // n log2 n for every whole n up to the number of cases, for the cases
  // that weigh 1.
  std::span<const double> weightedLogs;
  // The class weights of the node searched.
  std::span<const double> nodeClasses;
};

struct AttributeTest {
  TextbookVerdict verdict = TextbookVerdict::noCut;
  double gain = 0.0;  // less the cost of a numeric threshold
  double gainRatio = 0.0;
  double cost = 0.0;
  std::size_t cuts = 0;
  double minimum = 0.0;
  double known = 0.0;  // weight with a value
  double missing = 0.0;
  double yes = 0.0;  // known weight of each branch of the best test
  double no = 0.0;
  // Numeric: the best cut lies after entry `last` of the column, between
  // the values `lower` and `upper`. Nominal: the label tested for.
  std::size_t last = 0;
  float lower = 0.0F;
  float upper = 0.0F;
  std::uint32_t label = 0;
  std::uint32_t best = noNode;  // into the candidates, where they are listed
};

// `column` holds the node's cases, the `known` with a value first and
// sorted; `weight` is the node's. Lists every candidate in `candidates`
// unless it is null.
AttributeTest searchNumeric(const SearchContext& context, std::span<const CaseEntry> column,
                            std::size_t known, double weight, std::vector<TextbookCandidate>* candidates);

// `column` holds the node's cases, the `known` with a value first, each a
// label index below `labels`.
AttributeTest searchNominal(const SearchContext& context, std::span<const CaseEntry> column,
                            std::size_t known, std::size_t labels,
                            std::vector<TextbookCandidate>* candidates);
