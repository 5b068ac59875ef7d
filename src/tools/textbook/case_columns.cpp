#include "tools/textbook/case_columns.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <utility>

#include "tools/common/dataset.h"

namespace {

// A float's bits as an unsigned key in the order of the floats.
std::uint32_t sortKey(float value) {
  const auto bits = std::bit_cast<std::uint32_t>(value);
  return (bits & 0x80000000U) != 0 ? ~bits : bits | 0x80000000U;
}

// Sorts entries by value, equal values in the order they came (by row),
// without NaNs: three stable passes of eleven bits each, skipping a pass
// where every key has the same digit.
void sortByValue(std::span<CaseEntry> entries, std::vector<CaseEntry>& buffer) {
  const std::size_t count = entries.size();
  constexpr std::size_t small = 4096;
  if (count < small) {
    std::stable_sort(entries.begin(), entries.end(),
                     [](const CaseEntry& x, const CaseEntry& y) { return x.value < y.value; });
    return;
  }
  constexpr unsigned digitBits = 11;
  constexpr std::size_t buckets = std::size_t{1} << digitBits;
  std::vector<std::array<std::size_t, buckets>> counts(3);
  for (auto& digits : counts) digits.fill(0);
  for (const CaseEntry& entry : entries) {
    const std::uint32_t key = sortKey(entry.value);
    for (unsigned pass = 0; pass < 3; ++pass) ++counts[pass][(key >> (pass * digitBits)) & (buckets - 1)];
  }
  buffer.resize(count);
  CaseEntry* from = entries.data();
  CaseEntry* to = buffer.data();
  for (unsigned pass = 0; pass < 3; ++pass) {
    std::array<std::size_t, buckets>& digits = counts[pass];
    if (std::find(digits.begin(), digits.end(), count) != digits.end()) continue;
    std::size_t at = 0;
    for (std::size_t& bucket : digits) at += std::exchange(bucket, at);
    for (std::size_t k = 0; k < count; ++k) {
      const std::uint32_t key = sortKey(from[k].value);
      to[digits[(key >> (pass * digitBits)) & (buckets - 1)]++] = from[k];
    }
    std::swap(from, to);
  }
  if (from != entries.data()) std::copy_n(from, count, entries.data());
}

}  // namespace

CaseColumns rootColumns(const Dataset& data) {
  const std::size_t rows = data.size();
  const std::size_t width = data.width;
  CaseColumns root;
  root.store = std::make_shared<std::vector<CaseEntry>>(rows * width);
  root.stride = rows;
  root.count = rows;
  root.known.assign(width, 0);
  std::vector<CaseEntry> buffer;
  for (std::size_t a = 0; a < width; ++a) {
    const std::span<CaseEntry> column = root.column(a);
    // The cases with a value first, each group in row order.
    std::size_t known = 0;
    for (std::size_t r = 0; r < rows; ++r)
      if (!std::isnan(data.value(r, a))) ++known;
    std::size_t withValue = 0;
    std::size_t without = known;
    for (std::size_t r = 0; r < rows; ++r) {
      const float value = data.value(r, a);
      column[std::isnan(value) ? without++ : withValue++] = {value, static_cast<std::uint32_t>(r)};
    }
    root.known[a] = static_cast<std::uint32_t>(known);
    const bool nominal = !data.attributes.empty() && data.attributes[a].kind == AttributeKind::nominal;
    if (!nominal) sortByValue(column.first(known), buffer);
  }
  return root;
}

ChildColumns splitColumns(CaseColumns node, std::span<const std::uint8_t> side, std::size_t yes,
                          std::size_t both, std::vector<CaseEntry>& scratch) {
  const std::size_t width = node.known.size();
  const std::size_t no = node.count - yes - both;
  ChildColumns children;
  children.yes.known.assign(width, 0);
  children.no.known.assign(width, 0);
  if (both == 0) {
    // In place: each column's yes entries move forward, its no entries
    // wait in `scratch` and follow them.
    scratch.resize(std::max(scratch.size(), no));
    for (std::size_t a = 0; a < width; ++a) {
      const std::span<CaseEntry> column = node.column(a);
      std::size_t kept = 0;
      std::size_t waiting = 0;
      std::uint32_t yesKnown = 0;
      for (std::size_t at = 0; at < column.size(); ++at) {
        const CaseEntry entry = column[at];
        if (side[entry.row] == toYes) {
          column[kept++] = entry;
          if (at < node.known[a]) ++yesKnown;
        } else {
          scratch[waiting++] = entry;
        }
      }
      std::copy_n(scratch.begin(), waiting, column.begin() + static_cast<std::ptrdiff_t>(kept));
      children.yes.known[a] = yesKnown;
      children.no.known[a] = node.known[a] - yesKnown;
    }
    children.yes.store = node.store;
    children.yes.stride = node.stride;
    children.yes.begin = node.begin;
    children.yes.count = yes;
    children.no = {std::move(node.store), node.stride, node.begin + yes, no, std::move(children.no.known)};
    return children;
  }
  // The cases that go both ways are copied: the yes child's columns are new,
  // the no child's are the node's, closed up.
  const std::size_t yesCount = yes + both;
  children.yes.store = std::make_shared<std::vector<CaseEntry>>(yesCount * width);
  children.yes.stride = yesCount;
  children.yes.count = yesCount;
  for (std::size_t a = 0; a < width; ++a) {
    const std::span<CaseEntry> column = node.column(a);
    const std::span<CaseEntry> yesColumn = children.yes.column(a);
    std::size_t toYesAt = 0;
    std::size_t kept = 0;
    std::uint32_t yesKnown = 0;
    std::uint32_t noKnown = 0;
    for (std::size_t at = 0; at < column.size(); ++at) {
      const CaseEntry entry = column[at];
      const std::uint8_t goes = side[entry.row];
      const std::uint32_t counted = at < node.known[a] ? 1U : 0U;
      if (goes != toNo) {
        yesColumn[toYesAt++] = entry;
        yesKnown += counted;
      }
      if (goes != toYes) {
        column[kept++] = entry;
        noKnown += counted;
      }
    }
    children.yes.known[a] = yesKnown;
    children.no.known[a] = noKnown;
  }
  children.no = {std::move(node.store), node.stride, node.begin, no + both, std::move(children.no.known)};
  return children;
}
