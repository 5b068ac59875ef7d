#pragma once

// The cases of a node as the textbook learner's growth holds them: one
// column per attribute, each holding every case of the node once, those
// with a value first and, for a numeric attribute, sorted by it. Columns are
// sorted once, for the root; a split partitions each column stably into
// its children's, so that no node sorts again.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

struct Dataset;

struct CaseEntry {
  float value;
  std::uint32_t row;
};

struct CaseColumns {
  // Shared by a node's children where they partition its columns in place.
  std::shared_ptr<std::vector<CaseEntry>> store;
  std::size_t stride = 0;            // entries from the start of one column to the next in `store`
  std::size_t begin = 0;             // where the node's entries start within each column
  std::size_t count = 0;             // cases at the node: entries in each column
  std::vector<std::uint32_t> known;  // per attribute: the entries with a value

  std::span<CaseEntry> column(std::size_t attribute) const {
    return {store->data() + attribute * stride + begin, count};
  }
};

// Every row of `data`, numeric columns sorted by value (then by row).
CaseColumns rootColumns(const Dataset& data);

// Where each case of a split goes, by row.
enum Side : std::uint8_t { toYes, toNo, toBoth };

struct ChildColumns {
  CaseColumns yes;
  CaseColumns no;
};

// Partitions `node` by `side` (read for its rows) into the children's
// columns, keeping each column's order. A case that goes both ways (`both`
// of them) is in both children; then the yes child gets columns of its own
// and the no child keeps the node's, else both share them. `scratch` is
// working space.
ChildColumns splitColumns(CaseColumns node, std::span<const std::uint8_t> side, std::size_t yes,
                          std::size_t both, std::vector<CaseEntry>& scratch);
