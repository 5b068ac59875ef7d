#pragma once

#include <cstdint>
#include <string>

// `part` of `whole` (not 0) as a decimal rounded half up to six digits after
// the point, without the zeros at its end: "0.75", "0.333333", "1", "0".
// The viewer's test of a tree and the learning curve both print shares so,
// and a script may compare them as text.
std::string shareText(std::uint64_t part, std::uint64_t whole);
