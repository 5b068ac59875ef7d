#include "tools/curve/curve_svg.h"

#include <cmath>
#include <cstdio>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

#include "tools/curve/curve_chart.h"

namespace {

// The plot's corners in the document's units, with room on the left for the
// share's labels, below for the examples' and on the right for the legend.
constexpr double left = 70;
constexpr double right = 600;
constexpr double top = 50;
constexpr double bottom = 390;
constexpr double width = 860;
constexpr double height = 450;

constexpr std::size_t mostLinearExamples = 100;

// Okabe and Ito's colours, apart for every colour vision, each with a dash
// of its own.
constexpr const char* colours[] = {"#000000", "#e69f00", "#56b4e9", "#009e73",
                                   "#0072b2", "#d55e00", "#cc79a7", "#999999"};
constexpr const char* dashes[] = {"", "8 4", "2 3", "8 3 2 3", "12 4", "4 4", "1 5", "10 3 2 3 2 3"};

std::string number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", value);
  return text;
}

// Only the title can hold characters that XML gives a meaning.
std::string escaped(const std::string& text) {
  std::string out;
  for (const char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

struct ExampleAxis {
  std::size_t examples;
  bool logarithmic;

  // Where example `e`, from 1, stands; between two examples for a run of
  // them.
  double at(double e) const {
    if (examples == 1) return (left + right) / 2;
    const auto last = static_cast<double>(examples);
    const double share = logarithmic ? std::log(e) / std::log(last) : (e - 1) / (last - 1);
    return left + share * (right - left);
  }
};

double shareAt(double share) { return bottom - share * (bottom - top); }

void line(std::ostream& out, double x1, double y1, double x2, double y2, const char* style) {
  out << "<line x1=\"" << number(x1) << "\" y1=\"" << number(y1) << "\" x2=\"" << number(x2) << "\" y2=\""
      << number(y2) << "\" " << style << "/>\n";
}

void text(std::ostream& out, double x, double y, const char* anchor, const std::string& words,
          const char* extra = "") {
  out << "<text x=\"" << number(x) << "\" y=\"" << number(y) << "\" text-anchor=\"" << anchor << "\"" << extra
      << ">" << words << "</text>\n";
}

// The first of 1, 2, 5, 10, 20, 50, ... that leaves at most ten steps.
std::size_t tickStep(std::size_t examples) {
  for (std::size_t decade = 1;; decade *= 10) {
    for (const std::size_t step : {std::size_t{1}, std::size_t{2}, std::size_t{5}}) {
      if (examples / (step * decade) <= 10) return step * decade;
    }
  }
}

void writeAxes(const ExampleAxis& axis, std::ostream& out) {
  for (int tenth = 0; tenth <= 10; ++tenth) {
    const double y = shareAt(tenth / 10.0);
    line(out, left, y, right, y, tenth == 0 ? "stroke=\"black\"" : "stroke=\"#dddddd\"");
    text(out, left - 8, y + 4, "end", tenth == 10 ? "1.0" : "0." + std::to_string(tenth));
  }
  line(out, left, top, left, bottom, "stroke=\"black\"");
  // Ticks at 1, 2, 5, 10, 20, 50, ... on a logarithmic axis, and at a step
  // of the same series that gives at most ten on a linear one.
  std::vector<std::size_t> ticks{1};
  if (axis.logarithmic) {
    for (std::size_t decade = 1; decade < axis.examples; decade *= 10) {
      for (const std::size_t step : {std::size_t{2}, std::size_t{5}, std::size_t{10}}) {
        if (decade * step <= axis.examples) ticks.push_back(decade * step);
      }
    }
  } else {
    const std::size_t step = tickStep(axis.examples);
    for (std::size_t e = step; e <= axis.examples; e += step) {
      if (e > 1) ticks.push_back(e);
    }
  }
  for (const std::size_t e : ticks) {
    const double x = axis.at(static_cast<double>(e));
    line(out, x, bottom, x, bottom + 5, "stroke=\"black\"");
    text(out, x, bottom + 20, "middle", std::to_string(e));
  }
  text(out, (left + right) / 2, bottom + 45, "middle",
       axis.logarithmic ? "example, on a logarithmic scale" : "example");
  text(out, 20, (top + bottom) / 2, "middle", "share of runs right", " transform=\"rotate(-90 20 220)\"");
}

}  // namespace

void writeCurveSvg(const std::vector<LearningCurve>& curves, const std::string& title, std::ostream& out) {
  const ExampleAxis axis{curves.empty() ? 1 : curves.front().correct.size(),
                         !curves.empty() && curves.front().correct.size() > mostLinearExamples};
  out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << width << "\" height=\"" << height
      << "\" viewBox=\"0 0 " << width << " " << height << "\" font-family=\"sans-serif\" font-size=\"14\">\n"
      << "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
  text(out, width / 2, 28, "middle", escaped(title), " font-size=\"16\"");
  writeAxes(axis, out);
  for (std::size_t k = 0; k < curves.size(); ++k) {
    const LearningCurve& curve = curves[k];
    const char* colour = colours[k % std::size(colours)];
    const char* dash = dashes[k % std::size(dashes)];
    out << "<polyline fill=\"none\" stroke=\"" << colour << "\" stroke-width=\"2\"";
    if (*dash != '\0') out << " stroke-dasharray=\"" << dash << "\"";
    out << " points=\"";
    // A point for each example, or where more would share a unit of the
    // axis, for each run of them, as the text chart's columns take them.
    std::size_t first = 0;
    for (const std::size_t end : chartColumnEnds(axis.examples, static_cast<std::size_t>(right - left))) {
      std::size_t correct = 0;
      for (std::size_t i = first; i < end; ++i) correct += curve.correct[i];
      const double share = static_cast<double>(correct) / static_cast<double>((end - first) * curve.runs);
      out << (first == 0 ? "" : " ") << number(axis.at(static_cast<double>(first + 1 + end) / 2)) << ","
          << number(shareAt(share));
      first = end;
    }
    out << "\"/>\n";
    const double y = top + 10 + 24 * static_cast<double>(k);
    out << "<line x1=\"620\" y1=\"" << number(y) << "\" x2=\"660\" y2=\"" << number(y) << "\" stroke=\""
        << colour << "\" stroke-width=\"2\"";
    if (*dash != '\0') out << " stroke-dasharray=\"" << dash << "\"";
    out << "/>\n";
    text(out, 668, y + 5, "start",
         curve.learnEvery == 1 ? std::string("learn after every example")
                               : "learn every " + std::to_string(curve.learnEvery) + " examples");
  }
  out << "</svg>\n";
}
