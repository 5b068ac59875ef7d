// Classifications per second on the depth-3 tree learnt for exactly one of three ('%').
#include <benchmark/benchmark.h>

#include <array>
#include <vector>

#include "examples/example_generator.h"
#include "learner/learner.h"

namespace {

void learnTripleXor(Learner& learner) {
  for (unsigned bits = 0; bits < 8; ++bits) {
    std::vector<float> values{static_cast<float>(bits & 1U), static_cast<float>((bits >> 1) & 1U),
                              static_cast<float>((bits >> 2) & 1U)};
    const std::uint8_t classValue = classOf('%', values);
    learner.addExample(values, classValue);
  }
  learner.learn();
}

void classifyDepthThree(benchmark::State& state) {
  Learner learner;
  learnTripleXor(learner);
  // Every input in turn, so that each leaf and path is taken.
  std::array<std::array<float, 3>, 8> inputs{};
  for (unsigned bits = 0; bits < 8; ++bits) {
    inputs[bits] = {static_cast<float>(bits & 1U), static_cast<float>((bits >> 1) & 1U),
                    static_cast<float>((bits >> 2) & 1U)};
  }
  unsigned next = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(learner.classify(inputs[next]));
    next = (next + 1) & 7U;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(classifyDepthThree);

}  // namespace

BENCHMARK_MAIN();
