#include "tools/common/dataset.h"

#include <algorithm>
#include <cstdlib>
#include <span>

#include "examples/example_generator.h"
#include "learner/learner.h"

Dataset generate(char fitness, std::size_t count, unsigned seed) {
  Dataset data;
  data.width = valueCount(fitness);
  data.values.reserve(count * data.width);
  data.classes.reserve(count);
  std::srand(seed);
  std::vector<float> values;
  std::uint8_t classValue = 0;
  for (std::size_t i = 0; i < count; ++i) {
    makeExample(values, classValue, fitness);
    data.values.insert(data.values.end(), values.begin(), values.end());
    data.classes.push_back(classValue);
  }
  return data;
}

std::size_t maxExamples(std::size_t width) {
  return std::min({std::vector<float>().max_size() / std::max<std::size_t>(width, 1),
                   std::vector<std::uint8_t>().max_size(), ExampleSet().max_size()});
}

void fillLearner(Learner& learner, const Dataset& data) {
  learner.clearExamples();
  learner.examples.reserve(data.size());
  const float* values = data.values.data();
  for (std::size_t i = 0; i < data.size(); ++i, values += data.width) {
    // Emplaced rather than added, so that no vector is made per example.
    learner.examples.emplace_back(data.classes[i], std::span<const float>(values, data.width));
  }
}
