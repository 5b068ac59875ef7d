#include "tools/view/view_program.h"

#include <fcntl.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <istream>
#include <memory>
#include <new>
#include <ostream>
#include <vector>

#include "safety/file_access.h"
#include "safety/file_calls.h"
#include "tools/common/data_file.h"
#include "tools/common/printable.h"
#include "tools/common/program_output.h"
#include "tools/common/tree_dot.h"
#include "tools/common/tree_drawing.h"
#include "tools/common/tree_names.h"
#include "tools/view/tree_accuracy.h"
#include "tools/view/truth_table.h"
#include "tools/view/view_options.h"
#include "tree/tree_file.h"

namespace {

constexpr const char* programName = "treebench-view";

constexpr const char* helpText =
    "Usage: treebench-view [OPTION]... FILE\n"
    "Show the decision tree that treebench saved in FILE: draw it, print it as a\n"
    "Graphviz digraph, print its truth table, or test it on examples.\n"
    "\n"
    "With FILE -, read standard input.\n"
    "\n"
    "      --ascii      draw the tree with plain ASCII characters\n"
    "      --dot        print the tree as a Graphviz digraph, each leaf filled with\n"
    "                     its class's colour\n"
    "      --max-depth=N  with --dot, draw the nodes down to depth N only (the root\n"
    "                     is 0), each test at depth N dashed and saying how many\n"
    "                     nodes below it are not drawn\n"
    "      --table=N    print the tree's answer for every input of N values (1 to 16),\n"
    "                     each 0 or 1, and which concepts of N values agree with it\n"
    "      --test=DATA  classify every row of the data file DATA (a CSV file of\n"
    "                     the values then the class 0 or 1, a CSV file with names\n"
    "                     or an ARFF file, of two classes; - reads standard input)\n"
    "                     as the workbench does, and print the rows right and\n"
    "                     their share, a table of class against answer and the\n"
    "                     first 5 wrong rows, in the names of the data\n"
    "      --header     with --test: the first row of DATA names the columns\n"
    "      --no-header  with --test: the first row of DATA is data\n"
    "      --class=N|NAME  with --test: the class of DATA is column N (from 1) or\n"
    "                     the column NAME, not the last\n"
    "      --strict     fail on a line the workbench reads, but not as it is written\n"
    "                     (words that do not match, numbers out of range, text\n"
    "                     after the last value); such lines are always named\n"
    "      --help       display this help and exit\n"
    "      --version    output version information and exit\n"
    "\n"
    "--ascii goes with the drawing only; --dot, --table and --test each print\n"
    "instead of the drawing, and exclude one another and --ascii.\n"
    "\n"
    "The tree is drawn one line per node; a test such as 'x1 = 1' or 'x2 > 0.5'\n"
    "names the values x1, x2, ... from the first, and its 'yes' branch is taken\n"
    "when the test holds.\n"
    "\n"
    "Exit status:\n"
    " 0  if OK,\n"
    " 1  if FILE cannot be read or does not hold a complete tree (or, with --strict,\n"
    "      holds a line read leniently), DATA cannot be read, or output failed,\n"
    " 2  if the command line is wrong.\n"
    "\n"
    "Examples:\n"
    "  treebench-view --dot tree.txt | dot -Tsvg > tree.svg\n"
    "  treebench-view --test and.csv and.txt\n";

constexpr ToolTexts viewer{programName, helpText, "treebench-view (treebench) " TREEBENCH_VERSION "\n"};

void fileError(std::ostream& err, const std::string& file, const std::string& reason) {
  err << programName << ": " << printable(file) << ": " << reason << '\n';
}

void lineError(std::ostream& err, const std::string& file, std::size_t line, const std::string& reason) {
  // A reason may quote the bytes of the line as they stand in the file.
  fileError(err, file, "line " + std::to_string(line) + ": " + printable(reason));
}

// A class beyond 1 is no slip in a file whose names declare that class, as
// treebench-learn writes for data of more classes: the leaf reads as it
// was written, and is not named.
void keepSlips(std::vector<TreeFileWarning>& warnings, const DataNames& names) {
  std::erase_if(warnings, [&names](const TreeFileWarning& warning) {
    for (std::size_t c = 2; c < names.classes.size(); ++c) {
      const std::string number = std::to_string(c);
      if (warning.reason == "Class " + number + " is neither 0 nor 1; read as " + number) return true;
    }
    return false;
  });
}

// Reads the tree the way the workbench's load does, with the same reader, so
// that the viewer accepts and refuses exactly the files that load does, and
// names every line that the reader took leniently. The names of the data
// that treebench-learn keeps in the file's head go into `names`. On failure
// it says why and answers null.
std::unique_ptr<TreeNode> readTree(const std::string& file, std::istream& standardInput, std::ostream& err,
                                   std::vector<TreeFileWarning>& warnings, DataNames& names) {
  std::unique_ptr<TreeNode> tree;
  NameCommentReader comments;
  const auto readTapped = [&](std::streambuf& source) {
    NameCommentTap tap(source, comments);
    std::istream in(&tap);
    TreeFile::read(tree, in, &warnings);
    names = comments.names();
    keepSlips(warnings, names);
  };
  // Told before an error, which always comes from a later line.
  const auto tell = [&] {
    for (const TreeFileWarning& warning : warnings) lineError(err, file, warning.line, warning.reason);
  };
  try {
    if (file == "-") {
      readTapped(*standardInput.rdbuf());
    } else {
      // Worded as the data's reader words it. A folder opens, and its
      // first read fails.
      const int fd = openFile(AT_FDCWD, file.c_str(), O_RDONLY);
      if (fd < 0) {
        fileError(err, file, std::string("cannot open: ") + std::strerror(errno));
        return nullptr;
      }
      const struct Closer {
        int fd;
        ~Closer() { closeFile(fd); }
      } closer{fd};
      DescriptorReader buffer(fd);
      readTapped(buffer);
    }
    tell();
    return tree;
  } catch (const TreeFileError& error) {
    tell();
    lineError(err, file, error.line, error.reason);
  }
  return nullptr;
}

// A C stream over `in`, for the data reader, which reads C streams, when the
// data come on the viewer's standard input.
std::FILE* cStreamOver(std::istream& in) {
  cookie_io_functions_t io{};
  io.read = [](void* cookie, char* buffer, std::size_t size) -> ssize_t {
    std::istream& stream = *static_cast<std::istream*>(cookie);
    stream.read(buffer, static_cast<std::streamsize>(size));
    return stream.bad() ? -1 : stream.gcount();
  };
  return fopencookie(&in, "r", io);
}

// Reads the data of --test; on failure says why and answers false.
bool readTestData(const std::string& file, const DataOptions& options, std::istream& standardInput,
                  std::ostream& err, Dataset& data) {
  std::FILE* const input = file == "-" ? cStreamOver(standardInput) : nullptr;
  if (file == "-" && input == nullptr) {
    fileError(err, file, std::strerror(errno));
    return false;
  }
  const bool loaded = loadForMethod(programName, file, input, options, data, err);
  if (input != nullptr) std::fclose(input);
  return loaded;
}

int view(const ViewOptions& options, std::istream& standardInput, std::ostream& out, std::ostream& err) {
  std::vector<TreeFileWarning> warnings;
  DataNames names;
  const std::unique_ptr<TreeNode> tree = readTree(options.file, standardInput, err, warnings, names);
  if (!tree || (options.strict && !warnings.empty())) return programFailed;
  Dataset data;
  if (options.mode == ViewMode::test &&
      !readTestData(options.data, options.dataOptions, standardInput, err, data))
    return programFailed;
  // Cleared, so that a failed write is the only cause `finishOutput` can name.
  errno = 0;
  switch (options.mode) {
    case ViewMode::drawing:
      drawTree(*tree, options.ascii ? LineStyle::ascii : LineStyle::boxDrawing, out, names);
      break;
    case ViewMode::dot:
      writeDot(*tree, out, names, options.dotDepth);
      break;
    case ViewMode::table:
      writeTruthTable(*tree, options.tableWidth, out, names);
      break;
    case ViewMode::test:
      writeAccuracy(measureAccuracy(*tree, data), out, namesOf(data));
      break;
  }
  return finishOutput(out, err, programName, programSucceeded);
}

}  // namespace

int runViewer(const std::vector<std::string>& args, std::istream& standardInput, std::ostream& out,
              std::ostream& err) {
  try {
    const ParsedViewArguments parsed = parseViewArguments(args);
    if (const auto answered = answerCommandLine(parsed.request, parsed.error, viewer, out, err))
      return *answered;
    return view(parsed.options, standardInput, out, err);
  } catch (const std::bad_alloc&) {
    err << programName << ": out of memory\n";
  }
  return programFailed;
}
