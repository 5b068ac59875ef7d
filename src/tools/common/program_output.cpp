#include "tools/common/program_output.h"

#include <cerrno>
#include <cstring>
#include <ostream>

int finishOutput(std::ostream& out, std::ostream& err, const char* program, int status) {
  out.flush();
  if (out) return status;
  const int cause = errno;
  err << program << ": write error";
  if (cause != 0) err << ": " << std::strerror(cause);
  err << '\n';
  return programFailed;
}

int refuseCommandLine(std::ostream& err, const char* program, const std::string& error) {
  err << program << ": " << error << '\n' << "Try '" << program << " --help' for more information.\n";
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
