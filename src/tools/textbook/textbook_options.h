#pragma once

#include <cstdint>
#include <optional>
#include <string>

// How the textbook learner grows and prunes; the defaults are those C4.5's
// release 8 and Weka's J48 ship with.
struct TextbookOptions {
  bool unpruned = false;      // grow and collapse only, without the pessimistic pruning
  double confidence = 0.25;   // CF, from 0 (exclusive) to 0.5: lower prunes harder
  std::uint32_t minLeaf = 2;  // M, at least 1: the fewest cases on two branches of a test
};

// The confidence factors the error estimate is defined for.
constexpr bool validConfidence(double confidence) { return confidence > 0.0 && confidence <= 0.5; }

// Each reads the text of a command-line value into `options` and answers
// what is wrong with it, or nothing: a confidence factor from above 0 to
// 0.5, a minimum of 1 to 1000000 cases.
std::optional<std::string> readConfidence(const std::string& text, TextbookOptions& options);
std::optional<std::string> readMinLeaf(const std::string& text, TextbookOptions& options);
