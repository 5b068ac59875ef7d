#pragma once

#include <sys/stat.h>

#include <cstddef>
#include <streambuf>
#include <string_view>
#include <vector>

// Files are written or read through the very descriptor that opened them, so
// that nothing reopens a name that someone may have swapped meanwhile, and
// never when they are one of the program's own streams.

// Opens `name` in `folder` (a descriptor, or AT_FDCWD) close-on-exec and
// without taking a terminal as the controlling one; a file it creates is
// the program's alone (0600). -1 when the open fails.
int openFile(int folder, const char* name, int flags);

// Opens as `openFile` does, but without waiting for the other end of a FIFO,
// then makes the descriptor block as usual. -1 when the open fails (ENXIO:
// a FIFO that nobody reads).
int openWithoutWaiting(int folder, const char* name, int flags);

// Writes all of `text` from where the descriptor stands.
bool writeFully(int fd, std::string_view text);

// Whether `file` is what descriptor `fd` of this process has open.
bool isOpenAs(int fd, const struct stat& file);

// Opens /dev/null on each of the standard descriptors that is closed, so
// that no file opened later takes its number and passes for that stream.
// Called first thing by the workbench.
void keepStandardStreamsOpen();

// The console's own terminal, when it has one beside the standard streams;
// -1 for none.
void setConsoleTerminal(int fd);

// Which of the program's own streams a file is: its standard output; the
// terminal, as standard input or error or as the console's own; another of
// its standard streams; or none. A character device that is not a terminal
// (/dev/null) is none, since what is written to it cannot come back.
enum class OwnStream { none, standardOutput, terminal, other };
OwnStream ownStreamOf(const struct stat& file);

// An input stream buffer over a descriptor that the caller closes. A read
// that fails throws std::ios_base::failure with its error number, which the
// stream takes as an error and never as the end of the file.
class DescriptorReader : public std::streambuf {
 public:
  explicit DescriptorReader(int fd);

 protected:
  int_type underflow() override;

 private:
  int fd_;
  std::vector<char> buffer_;
};
