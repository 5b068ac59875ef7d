#include "tools/curve/curve_program.h"

#include <sys/ioctl.h>

#include <cerrno>
#include <cstdint>
#include <limits>
#include <new>
#include <ostream>

#include "tools/common/program_output.h"
#include "tools/curve/curve_chart.h"
#include "tools/curve/curve_options.h"
#include "tools/curve/curve_svg.h"
#include "tools/curve/curve_text.h"
#include "tools/curve/learning_curve.h"

namespace {

constexpr const char* programName = "treebench-curve";

constexpr const char* helpText =
    "Usage: treebench-curve [OPTION]... CODE\n"
    "Replay workbench sessions of the concept CODE and show how often each example\n"
    "is answered right: the learning curve of the workbench's own loop, where each\n"
    "example is classified by the current tree and then kept, and every K examples\n"
    "a tree is learnt from those kept since the last learn.\n"
    "\n"
    "CODE is one of '|' or, '^' xor, '&' and, '#' triple or, '%' exactly one of\n"
    "three, '*' triple and; quote it for the shell.\n"
    "\n"
    "      --learn-every=K[,K]...  learn after every K examples, for each K given,\n"
    "                                1 to 10000, at most 8 (default 1,4,16)\n"
    "      --examples=N   examples in each session, 1 to 10000 (default 64)\n"
    "      --runs=R       sessions for each K, 1 to 1000 (default 100)\n"
    "      --seed=S       session r, counted from 0, seeds the C library's\n"
    "                       generator with S + r; S from 0 to 4294967295 (default 1)\n"
    "      --csv          print learn_every,example,correct_share rows instead\n"
    "      --svg          print the chart as an SVG document instead, one line for\n"
    "                       each K, with axes and a legend\n"
    "      --help         display this help and exit\n"
    "      --version      output version information and exit\n"
    "\n"
    "A share is the part of the R sessions that were right at an example, written\n"
    "with up to six digits after the point, rounded half up, without trailing\n"
    "zeros (0.5, 0.333333, 1). Without --csv and --svg, each K gets the share in\n"
    "blocks of examples, a chart as wide as the terminal, and the example after\n"
    "which every session stayed right. Up to 64 examples the blocks are eight\n"
    "alike; beyond, they end at 1, 2, 5, 10, 20, 50, ... examples. The chart has a\n"
    "column per example where they fit, and beyond a logarithmic scale.\n"
    "\n"
    "With --runs=1 the verdicts are those a workbench session prints after\n"
    "srand(S) when the learn key is pressed after every K-th example.\n"
    "\n"
    "Exit status:\n"
    " 0  if OK,\n"
    " 1  if memory runs out or output failed,\n"
    " 2  if the command line is wrong.\n"
    "\n"
    "Example:\n"
    "  treebench-curve '%' --learn-every 1,4,16 --examples 48 --runs 50\n";

constexpr ToolTexts curveTool{programName, helpText, "treebench-curve (treebench) " TREEBENCH_VERSION "\n"};

std::string runsText(const CurveOptions& options) {
  const unsigned lastSeed = options.seed + static_cast<unsigned>(options.runs - 1);
  return std::to_string(options.runs) + (options.runs == 1 ? " run of " : " runs of ") +
         std::to_string(options.examples) + (options.examples == 1 ? " example" : " examples") +
         (options.runs == 1 ? ", seed " + std::to_string(options.seed)
                            : ", seeds " + std::to_string(options.seed) + " to " + std::to_string(lastSeed));
}

void writeCurves(const CurveOptions& options, std::size_t chartColumns, std::ostream& out) {
  if (options.svg) {
    // The axes are the same for every curve, so all are measured first.
    std::vector<LearningCurve> curves;
    for (const std::size_t k : options.learnEvery)
      curves.push_back(measureCurve(options.fitness, k, options.examples, options.runs, options.seed));
    writeCurveSvg(curves, std::string("Concept ") + options.fitness + ": " + runsText(options), out);
    return;
  }
  if (options.csv) {
    out << curveCsvHeader;
  } else {
    out << "Concept " << options.fitness << ": " << runsText(options) << ".\n";
  }
  for (const std::size_t k : options.learnEvery) {
    const LearningCurve curve =
        measureCurve(options.fitness, k, options.examples, options.runs, options.seed);
    if (options.csv) {
      writeCurveCsv(curve, out);
    } else {
      out << '\n';
      writeCurveReport(curve, chartColumns, out);
    }
    // A reader of a long run sees each curve as it is done; a write that
    // failed stops the work.
    if (!out.flush()) return;
  }
}

}  // namespace

std::size_t terminalWidth(int fd, const char* columns) {
  if (columns != nullptr) {
    if (const auto width = wholeNumber(columns, 1, std::numeric_limits<std::uint16_t>::max()))
      return static_cast<std::size_t>(*width);
  }
  winsize size{};
  if (ioctl(fd, TIOCGWINSZ, &size) == 0) return size.ws_col;
  return 0;
}

int runCurve(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
             std::size_t terminalWidth) {
  const ParsedCurveArguments parsed = parseCurveArguments(args);
  try {
    if (const auto answered = answerCommandLine(parsed.request, parsed.error, curveTool, out, err))
      return *answered;
    // Cleared, so that a failed write is the only cause `finishOutput` can name.
    errno = 0;
    // The chart's rows start with six characters of the axis, and a line
    // as wide as the terminal would wrap on some.
    const std::size_t axis = 7;
    writeCurves(parsed.options, terminalWidth > axis ? terminalWidth - axis : defaultChartColumns, out);
    return finishOutput(out, err, programName, programSucceeded);
  } catch (const std::bad_alloc&) {
    err << programName << ": out of memory\n";
  }
  return programFailed;
}
