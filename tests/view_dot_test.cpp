#include <gtest/gtest.h>

#include <string>

#include "support/text.h"
#include "support/view.h"
#include "tools/common/tree_dot.h"

namespace {

ViewRun dotOf(const std::string& file) { return runView({"--dot", "-"}, file); }

// The and tree with a greater-than test in place of the second equality.
const char* const mixedFile =
    ">Pred: =  Case Index: 0  Case Value: 1\n"
    "\t>Pred: <  Case Index: 1  Case Value: 0.5\n"
    "\t\t^Class: 1\n"
    "\t\t^Class: 0\n"
    "\t^Class: 0";

}  // namespace

TEST(ViewDot, WritesTestsInBoxesClassesInEllipsesFilledWithTheirColourAndLabelledEdges) {
  const ViewRun run = dotOf(mixedFile);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out,
            "digraph tree {\n"
            "  node [shape=box, style=filled, fillcolor=white];\n"
            "  n0 [label=\"x1 = 1\"];\n"
            "  n1 [label=\"x2 > 0.5\"];\n"
            "  n0 -> n1 [label=\"yes\"];\n"
            "  n2 [label=\"class 1\", shape=ellipse, fillcolor=\"#2166ac\", fontcolor=white];\n"
            "  n1 -> n2 [label=\"yes\"];\n"
            "  n3 [label=\"class 0\", shape=ellipse, fillcolor=\"#f1a340\"];\n"
            "  n1 -> n3 [label=\"no\"];\n"
            "  n4 [label=\"class 0\", shape=ellipse, fillcolor=\"#f1a340\"];\n"
            "  n0 -> n4 [label=\"no\"];\n"
            "}\n");
  EXPECT_EQ(dotOf("^Class: 1").out,
            "digraph tree {\n"
            "  node [shape=box, style=filled, fillcolor=white];\n"
            "  n0 [label=\"class 1\", shape=ellipse, fillcolor=\"#2166ac\", fontcolor=white];\n"
            "}\n");
  // A class no learn makes, from a file, in neither class's colour.
  EXPECT_TRUE(dotOf("^Class: 2").out.ends_with("[label=\"class 2\", shape=ellipse, fillcolor=\"#bababa\"];\n}\n"));
}

TEST(ViewDot, DrawsDownToTheMaximumDepthEachTestThereStandingForItsSubtree) {
  const struct {
    const char* depth;
    const char* end;  // of the digraph, from the node cut on: a leaf needs no mark
  } cuts[] = {{"1",
               "  n1 [label=\"x2 > 0.5\\n2 nodes below, not drawn\", style=\"filled,dashed\"];\n"
               "  n0 -> n1 [label=\"yes\"];\n"
               "  n2 [label=\"class 0\", shape=ellipse, fillcolor=\"#f1a340\"];\n"
               "  n0 -> n2 [label=\"no\"];\n}\n"},
              {"0", "  n0 [label=\"x1 = 1\\n4 nodes below, not drawn\", style=\"filled,dashed\"];\n}\n"}};
  for (const auto& c : cuts)
    EXPECT_TRUE(runView({"--dot", "--max-depth", c.depth, "-"}, mixedFile).out.ends_with(c.end)) << c.depth;
}

TEST(ViewDot, QuotesLabelsSoThatTheyShowAsTheyAre) {
  EXPECT_EQ(dotQuoted("x1 > 0.5"), "\"x1 > 0.5\"");
  EXPECT_EQ(dotQuoted("say \"yes\""), "\"say \\\"yes\\\"\"");
  EXPECT_EQ(dotQuoted("a\\nb"), "\"a\\\\nb\"");
  EXPECT_EQ(dotQuoted("two\nlines"), "\"two\\nlines\"");
  EXPECT_EQ(dotQuoted(""), "\"\"");
}

namespace {

// Renders `dot` with Graphviz into SVG; fails the test when Graphviz
// complains.
std::string svgOf(const std::string& dot) {
  CommandOptions options;
  options.input = dot;
  const CommandRun run = runCommand({"dot", "-Tsvg"}, options);
  EXPECT_EQ(exitCode(run.status), 0) << run.err;
  EXPECT_EQ(run.err, "");
  return run.out;
}

}  // namespace

TEST(ViewDot, GraphvizDrawsTheDigraph) {
  if (!onPath("dot")) GTEST_SKIP() << "Graphviz's dot is not installed; the digraph was not rendered";
  const std::string svg = svgOf(dotOf(mixedFile).out);
  EXPECT_EQ(occurrences(svg, "class=\"node\""), 5U);
  EXPECT_EQ(occurrences(svg, "class=\"edge\""), 4U);
  EXPECT_EQ(occurrences(svg, ">x1 = 1</text>"), 1U);
  EXPECT_EQ(occurrences(svg, ">x2 &gt; 0.5</text>"), 1U);
  EXPECT_EQ(occurrences(svg, ">class 0</text>"), 2U);
  EXPECT_EQ(occurrences(svg, ">class 1</text>"), 1U);
  EXPECT_EQ(occurrences(svg, ">yes</text>"), 2U);
  EXPECT_EQ(occurrences(svg, ">no</text>"), 2U);
}

TEST(ViewDot, GraphvizShowsAQuotedLabelAsItWas) {
  if (!onPath("dot")) GTEST_SKIP() << "Graphviz's dot is not installed; the labels were not rendered";
  const std::string svg = svgOf("digraph { a [label=" + dotQuoted("say \"yes\" \\ no") + "]; }\n");
  EXPECT_EQ(occurrences(svg, ">say &quot;yes&quot; \\ no</text>"), 1U) << svg;
}
