#include "safety/file_access.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <ios>
#include <system_error>

#include "safety/file_calls.h"

namespace {

int consoleTerminal = -1;

}  // namespace

bool closeFile(int fd) {
  for (bool interrupted = false;; interrupted = true) {
    const int fault = injectedFault(FileCall::close);
    if (fault == 0 && close(fd) == 0) return true;
    if (fault != 0) errno = fault;
    if (errno != EINTR) return interrupted && errno == EBADF;
  }
}

int openFile(int folder, const char* name, int flags) {
  return retried(FileCall::open, [=] { return openat(folder, name, flags | O_NOCTTY | O_CLOEXEC, 0600); });
}

int openWithoutWaiting(int folder, const char* name, int flags) {
  const int fd = openFile(folder, name, flags | O_NONBLOCK);
  if (fd < 0) return -1;
  const int status = fcntl(fd, F_GETFL);
  if (status < 0 || fcntl(fd, F_SETFL, status & ~O_NONBLOCK) != 0) {
    closeFile(fd);
    return -1;
  }
  return fd;
}

bool writeFully(int fd, std::string_view text) {
  while (!text.empty()) {
    const ssize_t wrote = retried(FileCall::write, [&] { return write(fd, text.data(), text.size()); });
    if (wrote <= 0) return false;
    text.remove_prefix(static_cast<std::size_t>(wrote));
  }
  return true;
}

bool isOpenAs(int fd, const struct stat& file) {
  struct stat open {};
  return fd >= 0 && retried(FileCall::other, [&] { return fstat(fd, &open); }) == 0 &&
         open.st_dev == file.st_dev && open.st_ino == file.st_ino;
}

void keepStandardStreamsOpen() {
  for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
    if (fcntl(fd, F_GETFD) >= 0 || errno != EBADF) continue;
    // The lowest free number is this one: the lower ones are open by now.
    const int null = retried(FileCall::open, [] { return open("/dev/null", O_RDWR); });
    if (null >= 0 && null != fd) closeFile(null);
  }
}

void setConsoleTerminal(int fd) { consoleTerminal = fd; }

OwnStream ownStreamOf(const struct stat& file) {
  for (const int fd : {STDOUT_FILENO, STDIN_FILENO, STDERR_FILENO, consoleTerminal}) {
    if (!isOpenAs(fd, file)) continue;
    if (fd == STDOUT_FILENO) return OwnStream::standardOutput;
    if (isatty(fd) != 0) return OwnStream::terminal;
    if (!S_ISCHR(file.st_mode)) return OwnStream::other;
  }
  return OwnStream::none;
}

DescriptorReader::DescriptorReader(int fd) : fd_(fd), buffer_(65536) {}

DescriptorReader::int_type DescriptorReader::underflow() {
  if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
  const ssize_t got = retried(FileCall::read, [this] { return read(fd_, buffer_.data(), buffer_.size()); });
  if (got < 0) throw std::ios_base::failure("read failed", std::error_code(errno, std::generic_category()));
  if (got == 0) return traits_type::eof();
  setg(buffer_.data(), buffer_.data(), buffer_.data() + got);
  return traits_type::to_int_type(*gptr());
}
