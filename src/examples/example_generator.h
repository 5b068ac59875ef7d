#pragma once

#include <cstdint>
#include <vector>

struct Learner;

// A boolean concept named by one character: or '|', xor '^', and '&',
// triple or '#', triple xor '%' (exactly one of three), triple and '*'.
// Any other character is taken as and.
using FitnessFunction = char;

bool isFitnessFunction(int code);

// The number of values an example of this concept has: 2 or 3.
std::size_t valueCount(FitnessFunction fitness);

// The class the concept gives to these values (each 0 or 1).
std::uint8_t classOf(FitnessFunction fitness, const std::vector<float>& values);

// Draws the values from the C library's generator, x1 first, and labels them.
void makeExample(std::vector<float>& values, std::uint8_t& classValue, FitnessFunction fitness);

// Classifies a new example with the current tree, adds it to the training
// set and prints the input line with its verdict. Where memory runs out, it
// says so on a line of its own instead, keeps nothing and answers false.
bool trainAndTest(Learner& learner, FitnessFunction fitness);
