#include "safety/file_saving.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "safety/file_access.h"
#include "safety/signals.h"

namespace {

// Through the stream itself, so that the text stands in order with what was
// printed before it; the line end keeps it off the message printed after.
bool printToStandardOutput(std::string_view text) {
  std::fflush(stdout);
  const bool written = std::fwrite(text.data(), 1, text.size(), stdout) == text.size();
  return std::fputc('\n', stdout) != EOF && std::fflush(stdout) == 0 && written;
}

bool writeDirectly(const char* name, const struct stat& file, std::string_view text) {
  const int fd = openWithoutWaiting(name, O_WRONLY);
  if (fd < 0) return false;
  bool stored = false;
  if (isOpenAs(fd, file)) {
    const BrokenPipeAsError brokenPipe;
    stored = writeFully(fd, text);
  }
  return close(fd) == 0 && stored;
}

bool beyondSizeLimit(std::size_t size) {
  rlimit limit{};
  return getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY && size > limit.rlim_cur;
}

// Overwrites the file itself, keeping its inode, links, owner and
// attributes. Every step that can fail for want of space or of the right to
// grow the file comes before the first byte of the old text is overwritten.
bool writeInPlace(const char* path, const struct stat& file, std::string_view text) {
  if (beyondSizeLimit(text.size())) return false;
  // Where the file system cannot reserve space itself, glibc does it by
  // reading each block before it writes a zero into it, which a descriptor
  // opened only for writing cannot.
  int fd = openWithoutWaiting(path, O_RDWR);
  if (fd < 0 && errno == EACCES) fd = openWithoutWaiting(path, O_WRONLY);
  if (fd < 0) return false;
  bool stored = false;
  if (isOpenAs(fd, file)) {
    const EndingSignalsHeld held;
    const auto size = static_cast<off_t>(text.size());
    if (posix_fallocate(fd, 0, size) == 0) {
      stored = writeFully(fd, text) && ftruncate(fd, size) == 0 && fsync(fd) == 0;
    } else {
      // A reservation that failed part way may have lengthened the file.
      [[maybe_unused]] const int shortened = ftruncate(fd, file.st_size);
    }
  }
  return close(fd) == 0 && stored;
}

std::string folderOf(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string baseOf(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Where a name that does not exist yet will be created: through any chain of
// dangling symbolic links to the name at its end. Empty when the chain loops.
std::string followDanglingLinks(std::string path) {
  for (int hop = 0; hop < 40; ++hop) {
    struct stat link {};
    if (lstat(path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) return path;
    std::string target(static_cast<std::size_t>(PATH_MAX), '\0');
    const ssize_t length = readlink(path.c_str(), target.data(), target.size());
    if (length < 0 || static_cast<std::size_t>(length) >= target.size()) return {};
    target.resize(static_cast<std::size_t>(length));
    path = target.front() == '/' ? target : folderOf(path) + "/" + target;
  }
  return {};
}

mode_t newFileMode() {
  const mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

// Fills `bytes` with what `get(buffer, size)` answers, as the attribute
// calls answer: the length, or -1 with ERANGE when the buffer became too
// small meanwhile. A file system without attributes has none.
template <typename Get>
bool attributeBytes(Get get, std::string& bytes) {
  for (;;) {
    const ssize_t size = get(nullptr, 0);
    if (size < 0) {
      bytes.clear();
      return errno == ENOTSUP;
    }
    bytes.resize(static_cast<std::size_t>(size));
    const ssize_t got = get(bytes.data(), bytes.size());
    if (got >= 0) {
      bytes.resize(static_cast<std::size_t>(got));
      return true;
    }
    if (errno != ERANGE) return false;
  }
}

// Whether `name` is one of the NUL-ended names in `names`.
bool listed(const std::string& names, const char* name) {
  for (std::size_t at = 0; at < names.size(); at = names.find('\0', at) + 1) {
    if (std::strcmp(names.c_str() + at, name) == 0) return true;
  }
  return false;
}

// Gives `to` exactly the extended attributes of the file `from`, ACLs among
// them: the ones it got of its own (a default ACL of the folder) go.
bool copyAttributes(const char* from, int to) {
  std::string names;
  std::string own;
  std::string value;
  if (!attributeBytes([&](char* b, std::size_t n) { return llistxattr(from, b, n); }, names) ||
      !attributeBytes([&](char* b, std::size_t n) { return flistxattr(to, b, n); }, own))
    return false;
  for (std::size_t at = 0; at < own.size(); at = own.find('\0', at) + 1) {
    if (!listed(names, own.c_str() + at) && fremovexattr(to, own.c_str() + at) != 0) return false;
  }
  for (std::size_t at = 0; at < names.size(); at = names.find('\0', at) + 1) {
    const char* name = names.c_str() + at;
    if (!attributeBytes([&](char* b, std::size_t n) { return lgetxattr(from, name, b, n); }, value) ||
        fsetxattr(to, name, value.data(), value.size(), 0) != 0)
      return false;
  }
  return true;
}

// Gives the temporary file all that decides who may do what with the old
// one, and answers whether it has it all.
bool takeOver(int fd, const char* path, const struct stat& old) {
  struct stat made {};
  return fchown(fd, old.st_uid, old.st_gid) == 0 && fchmod(fd, old.st_mode & 07777) == 0 &&
         copyAttributes(path, fd) && fstat(fd, &made) == 0 && made.st_uid == old.st_uid &&
         made.st_gid == old.st_gid && (made.st_mode & 07777) == (old.st_mode & 07777);
}

// Writes a temporary file beside `target` through the descriptor that
// created it, and renames it over `target` once it is whole on the disk.
// `old` is the file it replaces, or null for a new one.
bool replaceByRename(const std::string& target, const struct stat* old, std::string_view text) {
  // Hidden, and beside the target so that the rename stays within one file
  // system; the name is cut so that a long target name still leaves room.
  std::string temporary = folderOf(target) + "/." + baseOf(target).substr(0, 100) + ".XXXXXX";
  const int fd = createTemporaryFile(temporary);
  if (fd < 0) return false;
  bool written = false;
  try {
    written = (old != nullptr ? takeOver(fd, target.c_str(), *old) : fchmod(fd, newFileMode()) == 0) &&
              writeFully(fd, text) && fsync(fd) == 0;
  } catch (const std::bad_alloc&) {
    // The attributes did not fit in memory: the file goes, as for any failure.
  }
  const bool stored = close(fd) == 0 && written && std::rename(temporary.c_str(), target.c_str()) == 0;
  if (!stored) unlink(temporary.c_str());
  forgetTemporaryFile();
  return stored;
}

}  // namespace

bool saveFile(const char* name, std::string_view text) {
  if (name == nullptr || *name == '\0') return false;
  struct stat file {};
  if (stat(name, &file) != 0) {
    if (errno != ENOENT) return false;
    const std::string target = followDanglingLinks(name);
    return !target.empty() && replaceByRename(target, nullptr, text);
  }
  switch (ownStreamOf(file)) {
    case OwnStream::standardOutput:
      // Replacing it would lose what was printed before.
      return printToStandardOutput(text);
    case OwnStream::other:
      // Written into its own input the text would come back as keys, or wait
      // for ever on a pipe that only the program reads.
      return false;
    case OwnStream::terminal:
    case OwnStream::none:
      break;
  }
  if (!S_ISREG(file.st_mode)) return writeDirectly(name, file, text);
  // The file would be replaced, not opened, so ask for the permission that
  // opening it for writing would need.
  if (faccessat(AT_FDCWD, name, W_OK, AT_EACCESS) != 0) return false;
  const std::unique_ptr<char, decltype(&std::free)> real(realpath(name, nullptr), &std::free);
  if (!real) return false;
  // A replacement would leave the file's other names with the old text.
  return (file.st_nlink == 1 && replaceByRename(real.get(), &file, text)) || writeInPlace(real.get(), file, text);
}
