#include "tools/textbook/case_columns.h"

#include <algorithm>
#include <cmath>

#include "tools/common/dataset.h"

CaseColumns rootColumns(const Dataset& data) {
  const std::size_t rows = data.size();
  const std::size_t width = data.width;
  CaseColumns root;
  root.store = std::make_shared<std::vector<CaseEntry>>(rows * width);
  root.stride = rows;
  root.count = rows;
  root.known.assign(width, 0);
  for (std::size_t a = 0; a < width; ++a) {
    const std::span<CaseEntry> column = root.column(a);
    // The cases with a value first, each group in row order.
    std::size_t known = 0;
    for (std::size_t r = 0; r < rows; ++r) if (!std::isnan(data.value(r, a))) ++known;
    std::size_t withValue = 0;
    std::size_t without = known;
    for (std::size_t r = 0; r < rows; ++r) {
      const float value = data.value(r, a);
      column[std::isnan(value) ? without++ : withValue++] = {value, static_cast<std::uint32_t>(r)};
    }
    root.known[a] = static_cast<std::uint32_t>(known);
    const bool nominal = !data.attributes.empty() && data.attributes[a].kind == AttributeKind::nominal;
    if (!nominal) {
      std::sort(column.begin(), column.begin() + static_cast<std::ptrdiff_t>(known),
                [](const CaseEntry& x, const CaseEntry& y) { return x.value < y.value || (x.value == y.value && x.row < y.row); });
    }
  }
  return root;
}

ChildColumns splitColumns(CaseColumns node, std::span<const std::uint8_t> side, std::size_t yes, std::size_t both,
                          std::vector<CaseEntry>& scratch) {
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
