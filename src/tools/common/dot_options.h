#pragma once

#include <optional>
#include <string>

#include "tools/common/command_line.h"
#include "tools/common/tree_dot.h"

// --max-depth N, which the viewer and the explainer take alike with --dot,
// so that a large tree fits on a slide.
constexpr ToolOption maxDepthOption{"max-depth", true};

// Takes N, from 0 (the root alone) up, into `depth`; answers what is wrong
// with it, or nothing.
std::optional<std::string> takeMaxDepth(const GivenOption& given, DotDepth& depth);
