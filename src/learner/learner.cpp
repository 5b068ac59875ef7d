#include "learner/learner.h"

Learner::~Learner() {
  root.reset();
  clearExamples();
  examples.shrink_to_fit();
}

void Learner::addExample(std::vector<float> values, std::uint8_t classValue) {
  examples.emplace_back(classValue, values);
}

void Learner::clearExamples() { examples.clear(); }

std::uint8_t Learner::classify(std::span<const float> values) const {
  if (!root) return 1;
  return root->classify(values);
}
