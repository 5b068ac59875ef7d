#pragma once

#include <sys/stat.h>

#include <cstddef>
#include <streambuf>
#include <vector>

// Files that are written or read through the very descriptor that opened
// them, so that nothing reopens a name that someone may have swapped.

// Opens `name` without waiting for the other end of a FIFO and without
// taking a terminal as the controlling one, then makes the descriptor
// block as usual. -1 when the open fails (ENXIO: a FIFO nobody reads).
int openWithoutWaiting(const char* name, int flags);

// Writes all of `size` bytes, going on after interruptions.
bool writeFully(int fd, const char* data, std::size_t size);

// Whether the two describe the same file.
bool sameFile(const struct stat& a, const struct stat& b);

// Whether `file` is what descriptor `fd` of this process has open.
bool isOpenAs(int fd, const struct stat& file);

// An output stream buffer over a descriptor that the caller closes. A write
// that fails is remembered; later ones are dropped.
class DescriptorWriter : public std::streambuf {
 public:
  explicit DescriptorWriter(int fd);
  bool failed() const { return failed_; }

 protected:
  int_type overflow(int_type ch) override;
  int sync() override;

 private:
  bool drain();

  int fd_;
  bool failed_ = false;
  std::vector<char> buffer_;
};

// An input stream buffer over a descriptor that the caller closes. A read
// error reads as the end of the file.
class DescriptorReader : public std::streambuf {
 public:
  explicit DescriptorReader(int fd);

 protected:
  int_type underflow() override;

 private:
  int fd_;
  std::vector<char> buffer_;
};
