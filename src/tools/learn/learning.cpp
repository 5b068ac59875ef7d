#include "tools/learn/learning.h"

#include "learner/learner.h"
#include "tools/common/dataset.h"
#include "tools/textbook/textbook_learn.h"

Learnt learnTree(const Dataset& data, const LearnOptions& options) {
  Learnt learnt;
  learnt.method = options.method;
  if (options.method == LearnMethod::textbook) {
    learnt.textbook = learnTextbook(data, options.textbook);
    learnt.tree = workbenchTree(learnt.textbook);
    return learnt;
  }
  Learner learner;
  fillLearner(learner, data);
  Growth growth = learnFrom(learner.examples);
  learnt.tree.root = std::move(growth.tree);
  learnt.failure = growth.failure;
  return learnt;
}

std::uint8_t answer(const Learnt& learnt, std::span<const float> row) {
  if (learnt.method == LearnMethod::textbook) return classify(learnt.textbook, row);
  return learnt.tree.root ? learnt.tree.root->classify(row) : 1;
}
