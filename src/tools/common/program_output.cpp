#include "tools/common/program_output.h"

#include <cerrno>
#include <cstring>
#include <ostream>

#include "safety/file_saving.h"
#include "tools/common/printable.h"

int finishOutput(std::ostream& out, std::ostream& err, const char* program, int status) {
  out.flush();
  if (out) return status;
  const int cause = errno;
  err << program << ": write error";
  if (cause != 0) err << ": " << std::strerror(cause);
  err << '\n';
  return programFailed;
}

bool saveOutput(const std::string& name, std::string_view text, const char* program, std::ostream& err) {
  const int cause = saveFile(name.c_str(), text);
  if (cause != 0)
    err << program << ": " << printable(name) << ": cannot write: " << saveFailure(cause) << '\n';
  return cause == 0;
}

int refuseCommandLine(std::ostream& err, const char* program, const std::string& error) {
  // The error repeats the words of the command line as they were given.
  err << program << ": " << printable(error) << '\n'
      << "Try '" << program << " --help' for more information.\n";
  return programMisused;
}

std::optional<int> answerCommandLine(CommandRequest request, const std::string& error, const ToolTexts& tool,
                                     std::ostream& out, std::ostream& err) {
  switch (request) {
    case CommandRequest::run:
      return std::nullopt;
    case CommandRequest::misuse:
      return refuseCommandLine(err, tool.name, error);
    case CommandRequest::help:
    case CommandRequest::version:
      break;
  }
  errno = 0;
  out << (request == CommandRequest::help ? tool.help : tool.version);
  return finishOutput(out, err, tool.name, programSucceeded);
}
