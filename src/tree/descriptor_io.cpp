#include "tree/descriptor_io.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace {

constexpr std::size_t bufferSize = 65536;

}  // namespace

int openWithoutWaiting(const char* name, int flags) {
  const int fd = open(name, flags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return -1;
  const int status = fcntl(fd, F_GETFL);
  if (status < 0 || fcntl(fd, F_SETFL, status & ~O_NONBLOCK) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

bool writeFully(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t wrote = write(fd, data, size);
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) return false;
    data += wrote;
    size -= static_cast<std::size_t>(wrote);
  }
  return true;
}

bool sameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

bool isOpenAs(int fd, const struct stat& file) {
  struct stat open {};
  return fstat(fd, &open) == 0 && sameFile(open, file);
}

DescriptorWriter::DescriptorWriter(int fd) : fd_(fd), buffer_(bufferSize) {
  setp(buffer_.data(), buffer_.data() + buffer_.size());
}

bool DescriptorWriter::drain() {
  if (!failed_) failed_ = !writeFully(fd_, pbase(), static_cast<std::size_t>(pptr() - pbase()));
  setp(buffer_.data(), buffer_.data() + buffer_.size());
  return !failed_;
}

DescriptorWriter::int_type DescriptorWriter::overflow(int_type ch) {
  if (!drain()) return traits_type::eof();
  if (traits_type::eq_int_type(ch, traits_type::eof())) return traits_type::not_eof(ch);
  *pptr() = traits_type::to_char_type(ch);
  pbump(1);
  return ch;
}

int DescriptorWriter::sync() { return drain() ? 0 : -1; }

DescriptorReader::DescriptorReader(int fd) : fd_(fd), buffer_(bufferSize) {}

DescriptorReader::int_type DescriptorReader::underflow() {
  if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
  for (;;) {
    const ssize_t got = read(fd_, buffer_.data(), buffer_.size());
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return traits_type::eof();
    setg(buffer_.data(), buffer_.data(), buffer_.data() + got);
    return traits_type::to_int_type(*gptr());
  }
}
