#pragma once

#include "app/console.h"
#include "examples/example_generator.h"

struct Learner;

// Prints the menu once, then runs one command per key until a quit key
// (Escape, q, Q) or a key whose code is 0.
void CommandLoop(Learner& learner, Console& console);

// Shows the fitness menu and takes one key; a fitness code replaces
// `fitness`, any other key leaves it.
void fitnessMenu(FitnessFunction& fitness, Console& console);

// Shows the file menu and saves or loads the tree under a name read from the
// console.
void fileMenu(Learner& learner, Console& console);
