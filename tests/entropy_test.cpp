#include "induction/entropy.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>

// Each figure is compared by its bits: nine significant digits name one
// float, the scores must match to the last bit, and the sign of a zero
// shows which way the arithmetic went.
TEST(Entropy, GivesTheQuotedFigures) {
  const struct {
    const char* what;
    float got;
    float expected;
  } cases[] = {
      {"log10(2) as a float", logTwoDivisor(), 0.30103001F},
      {"logTwo(1)", logTwo(1.0F), 0.0F},
      {"logTwo(0.5)", logTwo(0.5F), -1.0F},
      {"logTwo(0.25)", logTwo(0.25F), -2.0F},
      {"logTwo(2)", logTwo(2.0F), 1.0F},
      // One unit in the last place from the correctly rounded base-2
      // logarithms, -0.415037513 and -0.584962487.
      {"logTwo(0.75)", logTwo(0.75F), -0.415037483F},
      {"logTwo(2/3)", logTwo(static_cast<float>(2.0 / 3.0)), -0.584962428F},
      // A zero share adds nothing to an entropy.
      {"logFactor(0)", logFactor(0.0F), 1.0F},
      {"logFactor(-0.5)", logFactor(-0.5F), 0.0F},
      {"logFactor(0.5)", logFactor(0.5F), -1.0F},
      {"entropyCore(0, 1)", static_cast<float>(entropyCore(0.0, 1.0)), -0.0F},
      {"H(3/4)", twoWayEntropy(3.0F, 4.0F), 0.811278105F},
      {"H(1/4)", twoWayEntropy(1.0F, 4.0F), 0.811278105F},
      {"H(1/2)", twoWayEntropy(2.0F, 4.0F), 1.0F},
      {"H(1)", twoWayEntropy(4.0F, 4.0F), -0.0F},
      {"1 of a class of 3 in 4 passes", classSplitEntropy(3.0F, 4.0F, 1.0F), 0.688721776F},
      {"1 of a class of 2 in 4 passes", classSplitEntropy(2.0F, 4.0F, 1.0F), 0.5F},
      {"a class of 1 in 4 all passes", classSplitEntropy(1.0F, 4.0F, 1.0F), -0.0F},
      {"a class of 3 in 4 all fails", classSplitEntropy(3.0F, 4.0F, 0.0F), -0.0F},
  };
  for (const auto& c : cases)
    EXPECT_EQ(std::bit_cast<std::uint32_t>(c.got), std::bit_cast<std::uint32_t>(c.expected))
        << c.what << ": " << c.got;
}
