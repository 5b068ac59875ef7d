#include "tools/textbook/textbook_pruning.h"

#include <algorithm>
#include <limits>
#include <vector>

#include "tools/common/dataset.h"
#include "tools/textbook/information.h"

namespace {

bool isLeaf(const TextbookNode& node) { return node.test == TextbookTest::leaf; }

// Cases on their way down a tree: rows with their weights, one range of
// them per node being visited.
struct Cases {
  std::vector<std::uint32_t> rows;
  std::vector<double> weights;
};

// Sends a range of cases down the subtree under `top`, visiting every node
// reached with the cases that reach it, as C4.5 sends them: a case whose
// tested value is missing goes down both branches, its weight split by the
// shares of the known weight that each branch takes of the cases at that
// node. `visit.reached(node, begin, end)` hears of every node reached;
// `visit.split(node, yesShare)` of each test, before its children; and
// `visit.done(node, begin, end)` of each test after its children, and
// answers whether to visit the node again from the start, as after the
// node's test changed. `visit.settled(node)` answers whether the node's
// range is already ordered [yes | no], with nothing missing, the yes part
// the yes child's weight in cases: then it is not parted again. A range is held in place: a node's cases are
// ordered [yes only | missing | no only], its yes child takes the first two
// parts and its no child the last two, and the missing part is saved and
// restored around each child, so that the node's range is its cases again
// when its children are done.
class Router {
 public:
  Router(TextbookTree& tree, const Dataset& data, Cases& cases) : tree_(tree), data_(data), cases_(cases) {}

  template <typename Visit>
  void route(std::uint32_t top, std::size_t begin, std::size_t end, Visit& visit);

 private:
  struct Frame {
    std::uint32_t node;
    std::size_t begin;
    std::size_t end;
    int stage = 0;
    std::size_t yesOnly = 0;
    std::size_t missing = 0;
    double yesShare = 0.0;
    std::size_t saved = 0;  // where its missing part is saved
  };
  struct Parts {
    std::size_t yesOnly = 0;
    std::size_t missing = 0;
    double yes = 0.0;  // known weight of each branch
    double no = 0.0;
  };
  Parts partition(const TextbookNode& node, std::size_t begin, std::size_t end);
  void restoreMissing(const Frame& frame, double factor);

  TextbookTree& tree_;
  const Dataset& data_;
  Cases& cases_;
  std::vector<Frame> frames_;
  Cases saved_;
  Cases missingScratch_;
  Cases noScratch_;
};

Router::Parts Router::partition(const TextbookNode& node, std::size_t begin, std::size_t end) {
  // Stable, so that a range's rows stay in increasing order and the values
  // are read from memory in order.
  Parts parts;
  missingScratch_.rows.clear();
  missingScratch_.weights.clear();
  noScratch_.rows.clear();
  noScratch_.weights.clear();
  std::size_t kept = begin;
  for (std::size_t at = begin; at < end; ++at) {
    const std::uint32_t row = cases_.rows[at];
    const double weight = cases_.weights[at];
    switch (branchFor(node, data_.value(row, node.attribute))) {
      case TextbookBranch::yes:
        cases_.rows[kept] = row;
        cases_.weights[kept++] = weight;
        parts.yes += weight;
        break;
      case TextbookBranch::no:
        noScratch_.rows.push_back(row);
        noScratch_.weights.push_back(weight);
        parts.no += weight;
        break;
      case TextbookBranch::both:
        missingScratch_.rows.push_back(row);
        missingScratch_.weights.push_back(weight);
        break;
    }
  }
  parts.yesOnly = kept - begin;
  parts.missing = missingScratch_.rows.size();
  for (const Cases* part : {&missingScratch_, &noScratch_}) {
    std::copy(part->rows.begin(), part->rows.end(), cases_.rows.begin() + static_cast<std::ptrdiff_t>(kept));
    std::copy(part->weights.begin(), part->weights.end(),
              cases_.weights.begin() + static_cast<std::ptrdiff_t>(kept));
    kept += part->rows.size();
  }
  return parts;
}

void Router::restoreMissing(const Frame& frame, double factor) {
  const auto at = static_cast<std::ptrdiff_t>(frame.begin + frame.yesOnly);
  const auto from = static_cast<std::ptrdiff_t>(frame.saved);
  const auto count = static_cast<std::ptrdiff_t>(frame.missing);
  std::copy(saved_.rows.begin() + from, saved_.rows.begin() + from + count, cases_.rows.begin() + at);
  for (std::ptrdiff_t k = 0; k < count; ++k)
    cases_.weights[static_cast<std::size_t>(at + k)] =
        saved_.weights[static_cast<std::size_t>(from + k)] * factor;
}

template <typename Visit>
void Router::route(std::uint32_t top, std::size_t begin, std::size_t end, Visit& visit) {
  frames_.clear();
  frames_.push_back({top, begin, end});
  while (!frames_.empty()) {
    Frame& frame = frames_.back();
    const TextbookNode& node = tree_.nodes[frame.node];
    if (frame.stage == 0) {
      visit.reached(frame.node, frame.begin, frame.end);
      if (isLeaf(node)) {
        frames_.pop_back();
        continue;
      }
      if (visit.settled(frame.node)) {
        frame.yesOnly = static_cast<std::size_t>(tree_.nodes[node.yes].weight);
        frame.missing = 0;
        frame.yesShare = node.yesShare;
      } else {
        const Parts parts = partition(node, frame.begin, frame.end);
        frame.yesOnly = parts.yesOnly;
        frame.missing = parts.missing;
        const double known = parts.yes + parts.no;
        frame.yesShare = known > 0.0 ? parts.yes / known : 0.5;
        visit.split(frame.node, frame.yesShare);
      }
      frame.saved = saved_.rows.size();
      const auto missingBegin = static_cast<std::ptrdiff_t>(frame.begin + frame.yesOnly);
      const auto missingEnd = missingBegin + static_cast<std::ptrdiff_t>(frame.missing);
      saved_.rows.insert(saved_.rows.end(), cases_.rows.begin() + missingBegin,
                         cases_.rows.begin() + missingEnd);
      saved_.weights.insert(saved_.weights.end(), cases_.weights.begin() + missingBegin,
                            cases_.weights.begin() + missingEnd);
      restoreMissing(frame, frame.yesShare);
      frame.stage = 1;
      const Frame yes{node.yes, frame.begin, frame.begin + frame.yesOnly + frame.missing};
      frames_.push_back(yes);
    } else if (frame.stage == 1) {
      // The yes child left its range in another order: part it again.
      if (frame.missing > 0) {
        partition(node, frame.begin, frame.begin + frame.yesOnly + frame.missing);
        restoreMissing(frame, 1.0 - frame.yesShare);
      }
      frame.stage = 2;
      const Frame no{node.no, frame.begin + frame.yesOnly, frame.end};
      frames_.push_back(no);
    } else {
      if (frame.missing > 0) {
        partition(node, frame.begin + frame.yesOnly, frame.end);
        restoreMissing(frame, 1.0);
      }
      saved_.rows.resize(frame.saved);
      saved_.weights.resize(frame.saved);
      const Frame finished = frame;
      if (visit.done(finished.node, finished.begin, finished.begin + finished.yesOnly, finished.end)) {
        frames_.back() = Frame{finished.node, finished.begin, finished.end};
      } else {
        frames_.pop_back();
      }
    }
  }
}

// The total, majority and errors of a range of cases, whose class weights
// go into `classes`.
struct Tally {
  double weight = 0.0;
  double errors = 0.0;
  std::uint8_t majority = 0;
};

Tally tally(const Dataset& data, const Cases& cases, std::size_t begin, std::size_t end,
            std::span<double> classes) {
  std::fill(classes.begin(), classes.end(), 0.0);
  Tally made;
  for (std::size_t at = begin; at < end; ++at) {
    classes[data.classes[cases.rows[at]]] += cases.weights[at];
    made.weight += cases.weights[at];
  }
  std::size_t majority = 0;
  for (std::size_t c = 0; c < classes.size(); ++c) majority = classes[c] > classes[majority] ? c : majority;
  made.majority = static_cast<std::uint8_t>(majority);
  made.errors = made.weight - classes[majority];
  return made;
}

// The estimated errors of a branch on cases it need not have learnt from:
// each leaf's as if it answered the majority of the cases that reach it.
struct BranchEstimate {
  const TextbookTree& tree;
  const Dataset& data;
  const ErrorEstimate& estimate;
  const Cases& cases;
  std::vector<double> classes;
  double sum = 0.0;

  void reached(std::uint32_t node, std::size_t begin, std::size_t end) {
    if (!isLeaf(tree.nodes[node])) return;
    const Tally t = tally(data, cases, begin, end, classes);
    sum += estimatedErrors(estimate, t.weight, t.errors);
  }
  bool settled(std::uint32_t) const { return false; }
  void split(std::uint32_t, double) {}
  bool done(std::uint32_t, std::size_t, std::size_t, std::size_t) { return false; }
};

// The pruning pass: every node reached takes the class weights of the cases
// that reach it; each test, once its children are pruned, is judged.
class Pruner {
 public:
  Pruner(GrownTree& grown, const Dataset& data, const ErrorEstimate& estimate,
         const TextbookObserver* observer)
      : tree_(grown.tree),
        data_(data),
        estimate_(estimate),
        observer_(observer),
        ordered_(!grown.rows.empty()),
        estimates_(tree_.nodes.size(), 0.0) {
    const std::size_t rows = data_.size();
    if (ordered_) {
      cases_.rows = std::move(grown.rows);
      settled_.assign(tree_.nodes.size(), 1);
      slots_.assign(tree_.nodes.size(), noNode);
    } else {
      cases_.rows.resize(rows);
      for (std::size_t r = 0; r < rows; ++r) cases_.rows[r] = static_cast<std::uint32_t>(r);
      settled_.assign(tree_.nodes.size(), 0);
    }
    cases_.weights.assign(rows, 1.0);
  }

  void prune() {
    Router router(tree_, data_, cases_);
    router.route(0, 0, cases_.rows.size(), *this);
  }

  bool settled(std::uint32_t node) const { return settled_[node] != 0; }

  void reached(std::uint32_t node, std::size_t begin, std::size_t end) {
    TextbookNode& reachedNode = tree_.nodes[node];
    if (!settled(node)) {
      const std::size_t classCount = tree_.classCount;
      const std::span<double> classes(tree_.classWeights.data() + std::size_t{node} * classCount, classCount);
      const Tally t = tally(data_, cases_, begin, end, classes);
      reachedNode.weight = t.weight;
      reachedNode.errors = t.errors;
      reachedNode.majority = t.majority;
    }
    if (isLeaf(reachedNode))
      estimates_[node] = estimatedErrors(estimate_, reachedNode.weight, reachedNode.errors);
  }

  void split(std::uint32_t node, double yesShare) { tree_.nodes[node].yesShare = yesShare; }

  bool done(std::uint32_t node, std::size_t begin, std::size_t yesEnd, std::size_t end) {
    TextbookNode& judged = tree_.nodes[node];
    const double leafEstimate = estimatedErrors(estimate_, judged.weight, judged.errors);
    const double subtreeEstimate = estimates_[judged.yes] + estimates_[judged.no];
    // The branch that took the more known weight, the yes branch of equal ones.
    const bool yesLargest = judged.yesShare >= 0.5;
    const std::uint32_t largest = yesLargest ? judged.yes : judged.no;
    const double branchEstimate =
        ordered_ ? estimateWithOthers(largest, yesLargest ? yesEnd : begin, yesLargest ? end : yesEnd)
                 : estimateBranch(largest, begin, end);
    TextbookDecision decision = TextbookDecision::kept;
    const double margin = 0.1 + sameFigure;
    if (leafEstimate <= subtreeEstimate + margin && leafEstimate <= branchEstimate + margin) {
      decision = TextbookDecision::leaf;
    } else if (branchEstimate <= subtreeEstimate + margin) {
      decision = TextbookDecision::raised;
    }
    if (observer_)
      observer_->tell(TextbookPruned{node, subtreeEstimate, leafEstimate, branchEstimate, largest, decision,
                                     judged.majority});
    switch (decision) {
      case TextbookDecision::kept:
        estimates_[node] = subtreeEstimate;
        return false;
      case TextbookDecision::leaf:
        judged.test = TextbookTest::leaf;
        estimates_[node] = leafEstimate;
        return false;
      case TextbookDecision::raised:
        raise(node, largest);
        return true;
    }
    return false;
  }

 private:
  // The node becomes its largest branch, which then takes all of the
  // node's cases and is weighed and pruned again from the start.
  void raise(std::uint32_t node, std::uint32_t largest) {
    TextbookNode& raised = tree_.nodes[node];
    const TextbookNode branch = tree_.nodes[largest];
    raised.test = branch.test;
    raised.attribute = branch.attribute;
    raised.threshold = branch.threshold;
    raised.label = branch.label;
    raised.yes = branch.yes;
    raised.no = branch.no;
    std::vector<std::uint32_t> waiting{node};
    while (!waiting.empty()) {
      const std::uint32_t at = waiting.back();
      waiting.pop_back();
      settled_[at] = 0;
      if (!isLeaf(tree_.nodes[at])) waiting.insert(waiting.end(), {tree_.nodes[at].yes, tree_.nodes[at].no});
    }
  }

  // The branch's estimate on all the node's cases, where each case follows
  // one path: its leaves' own counts, with the cases of the other branch
  // (rows `begin` to `end`) added where they arrive. Only the leaves they
  // reach change their estimates.
  double estimateWithOthers(std::uint32_t branch, std::size_t begin, std::size_t end) {
    const std::size_t classCount = tree_.classCount;
    touched_.clear();
    added_.clear();
    for (std::size_t at = begin; at < end; ++at) {
      const std::uint32_t row = cases_.rows[at];
      std::uint32_t node = branch;
      while (!isLeaf(tree_.nodes[node])) {
        const TextbookNode& test = tree_.nodes[node];
        node = branchFor(test, data_.value(row, test.attribute)) == TextbookBranch::yes ? test.yes : test.no;
      }
      if (slots_[node] == noNode) {
        slots_[node] = static_cast<std::uint32_t>(touched_.size());
        touched_.push_back(node);
        added_.resize(added_.size() + classCount, 0.0);
      }
      added_[std::size_t{slots_[node]} * classCount + data_.classes[row]] += 1.0;
    }
    double sum = estimates_[branch];
    for (std::size_t k = 0; k < touched_.size(); ++k) {
      const std::uint32_t leaf = touched_[k];
      const auto own = tree_.classWeightsOf(leaf);
      double weight = 0.0;
      double most = 0.0;
      for (std::size_t c = 0; c < classCount; ++c) {
        const double w = own[c] + added_[k * classCount + c];
        weight += w;
        most = w > most ? w : most;
      }
      sum += estimatedErrors(estimate_, weight, weight - most) - estimates_[leaf];
      slots_[leaf] = noNode;
    }
    return sum;
  }

  double estimateBranch(std::uint32_t branch, std::size_t begin, std::size_t end) {
    branchCases_.rows.assign(cases_.rows.begin() + static_cast<std::ptrdiff_t>(begin),
                             cases_.rows.begin() + static_cast<std::ptrdiff_t>(end));
    branchCases_.weights.assign(cases_.weights.begin() + static_cast<std::ptrdiff_t>(begin),
                                cases_.weights.begin() + static_cast<std::ptrdiff_t>(end));
    BranchEstimate visit{tree_, data_, estimate_, branchCases_, std::vector<double>(tree_.classCount), 0.0};
    Router router(tree_, data_, branchCases_);
    router.route(branch, 0, end - begin, visit);
    return visit.sum;
  }

  TextbookTree& tree_;
  const Dataset& data_;
  const ErrorEstimate& estimate_;
  const TextbookObserver* observer_;
  bool ordered_;
  std::vector<double> estimates_;      // of each pruned subtree
  std::vector<std::uint8_t> settled_;  // nodes whose range and counts the growth left as they are
  Cases cases_;
  Cases branchCases_;
  std::vector<std::uint32_t> slots_;  // of the leaves reached, into `added_`
  std::vector<std::uint32_t> touched_;
  std::vector<double> added_;
};

}  // namespace

void collapseTextbookTree(TextbookTree& tree, const TextbookObserver* observer) {
  if (tree.nodes.empty()) return;
  // Children are made after their parent, so a walk down the numbers
  // meets every child before its parent.
  std::vector<double> trainingErrors(tree.nodes.size(), 0.0);
  for (std::size_t at = tree.nodes.size(); at-- > 0;) {
    const TextbookNode& node = tree.nodes[at];
    trainingErrors[at] = isLeaf(node) ? node.errors : trainingErrors[node.yes] + trainingErrors[node.no];
  }
  std::vector<std::uint32_t> waiting{0};
  while (!waiting.empty()) {
    const std::uint32_t at = waiting.back();
    waiting.pop_back();
    TextbookNode& node = tree.nodes[at];
    if (isLeaf(node)) continue;
    if (trainingErrors[at] >= node.errors - 1e-3) {
      node.test = TextbookTest::leaf;
      if (observer) observer->tell(TextbookCollapsed{at, trainingErrors[at], node.errors});
      continue;
    }
    waiting.push_back(node.no);
    waiting.push_back(node.yes);
  }
}

void pruneTextbookTree(GrownTree& grown, const Dataset& data, const ErrorEstimate& estimate,
                       const TextbookObserver* observer) {
  if (grown.tree.nodes.empty() || data.size() == 0) return;
  Pruner(grown, data, estimate, observer).prune();
}

TextbookTree preOrder(const TextbookTree& tree) {
  TextbookTree ordered;
  ordered.classCount = tree.classCount;
  if (tree.nodes.empty()) return ordered;
  // Each entry: a node of `tree`, and the node of `ordered` whose `no`
  // it becomes (`noNode` for the root and for yes children, which follow
  // their parent).
  std::vector<std::pair<std::uint32_t, std::uint32_t>> waiting{{0U, noNode}};
  while (!waiting.empty()) {
    const auto [from, parent] = waiting.back();
    waiting.pop_back();
    const auto at = static_cast<std::uint32_t>(ordered.nodes.size());
    if (parent != noNode) ordered.nodes[parent].no = at;
    TextbookNode node = tree.nodes[from];
    const auto weights = tree.classWeightsOf(from);
    ordered.classWeights.insert(ordered.classWeights.end(), weights.begin(), weights.end());
    if (isLeaf(node)) {
      node.yes = 0;
      node.no = 0;
      node.yesShare = 0.0;
      ordered.nodes.push_back(node);
      continue;
    }
    node.yes = at + 1;
    ordered.nodes.push_back(node);
    waiting.emplace_back(tree.nodes[from].no, at);
    waiting.emplace_back(tree.nodes[from].yes, noNode);
  }
  return ordered;
}
