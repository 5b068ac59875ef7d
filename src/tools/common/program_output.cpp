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

int writeText(std::ostream& out, std::ostream& err, const char* program, const char* text) {
  errno = 0;
  out << text;
  return finishOutput(out, err, program, programSucceeded);
}

int refuseCommandLine(std::ostream& err, const char* program, const std::string& error) {
  err << program << ": " << error << '\n' << "Try '" << program << " --help' for more information.\n";
  return programMisused;
}
