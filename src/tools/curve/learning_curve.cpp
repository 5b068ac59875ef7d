#include "tools/curve/learning_curve.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "learner/learner.h"

std::vector<bool> replaySession(FitnessFunction fitness, std::size_t learnEvery, std::size_t examples,
                                unsigned seed) {
  std::srand(seed);
  Learner learner;
  std::vector<bool> verdicts;
  verdicts.reserve(examples);
  std::vector<float> values;
  std::uint8_t classValue = 0;
  for (std::size_t example = 1; example <= examples; ++example) {
    // The steps of the workbench's trainAndTest, without its printing.
    makeExample(values, classValue, fitness);
    verdicts.push_back(learner.classify(values) == classValue);
    learner.addExample(values, classValue);
    // A growth failure would be printed on standard output, but examples of
    // 0 and 1 always grow a whole tree.
    if (example % learnEvery == 0) learner.learn();
  }
  return verdicts;
}

LearningCurve measureCurve(FitnessFunction fitness, std::size_t learnEvery, std::size_t examples,
                           std::size_t runs, unsigned seed) {
  LearningCurve curve{learnEvery, runs, std::vector<std::size_t>(examples, 0), 0};
  for (std::size_t run = 0; run < runs; ++run) {
    const std::vector<bool> verdicts =
        replaySession(fitness, learnEvery, examples, seed + static_cast<unsigned>(run));
    for (std::size_t i = 0; i < examples; ++i) {
      if (verdicts[i]) {
        ++curve.correct[i];
      } else {
        curve.lastWrong = std::max(curve.lastWrong, i + 1);
      }
    }
  }
  return curve;
}
