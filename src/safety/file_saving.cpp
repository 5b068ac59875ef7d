#include "safety/file_saving.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <linux/limits.h>
#include <cstdio>
#include <cstdlib>
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

// Opens `path`, which must still be `file`, and writes through the very
// descriptor that `write` is given.
template <typename Write>
bool writeOpened(const char* path, int flags, const struct stat& file, Write write) {
  const int fd = openWithoutWaiting(path, flags);
  if (fd < 0) return false;
  const bool stored = isOpenAs(fd, file) && write(fd);
  return close(fd) == 0 && stored;
}

// Overwrites the file itself, keeping its inode, links, owner and
// attributes. Every step that can fail for want of space or of the right to
// grow the file comes before the first byte of the old text is overwritten.
// Where the file system cannot reserve space itself, glibc does it by
// reading each block before it writes a zero into it, which a descriptor
// opened only for writing cannot.
bool writeInPlace(const char* path, const struct stat& file, std::string_view text) {
  // The limit stops writes past it even inside the file, which reserving
  // space would not find out.
  rlimit limit{};
  if (getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY && text.size() > limit.rlim_cur)
    return false;
  return writeOpened(path, O_RDWR, file, [&file, text](int fd) {
    const SignalsHeld held;
    const auto size = static_cast<off_t>(text.size());
    if (posix_fallocate(fd, 0, size) == 0)
      return writeFully(fd, text) && ftruncate(fd, size) == 0 && fsync(fd) == 0;
    // A reservation that failed part way may have lengthened the file.
    [[maybe_unused]] const int shortened = ftruncate(fd, file.st_size);
    return false;
  });
}

std::string folderOf(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
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

// Fills `bytes` with what an attribute call `get(buffer, size)` answers, in
// a buffer as large as any list or value may be. A file system without
// attributes has none.
template <typename Get>
bool attributeBytes(Get get, std::string& bytes) {
  bytes.resize(XATTR_SIZE_MAX);
  const ssize_t got = get(bytes.data(), bytes.size());
  bytes.resize(got < 0 ? 0 : static_cast<std::size_t>(got));
  return got >= 0 || errno == ENOTSUP;
}

// Gives `to` exactly the extended attributes of the file `from`, ACLs among
// them: those it got of its own that `from` lacks (a default ACL of the
// folder) go.
bool copyAttributes(const char* from, int to) {
  std::string names;
  std::string own;
  std::string value;
  if (!attributeBytes([&](char* b, std::size_t n) { return llistxattr(from, b, n); }, names) ||
      !attributeBytes([&](char* b, std::size_t n) { return flistxattr(to, b, n); }, own))
    return false;
  // Both lists end each name with a NUL, so a name is found whole.
  for (std::size_t at = 0; at < own.size(); at = own.find('\0', at) + 1) {
    const std::string name = '\0' + std::string(own.c_str() + at) + '\0';
    if (('\0' + names).find(name) == std::string::npos && fremovexattr(to, own.c_str() + at) != 0) return false;
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
  std::string temporary =
      folderOf(target) + "/." + target.substr(target.rfind('/') + 1).substr(0, 100) + ".XXXXXX";
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
  if (!S_ISREG(file.st_mode)) {
    return writeOpened(name, O_WRONLY, file, [text](int fd) {
      const BrokenPipeAsError brokenPipe;
      return writeFully(fd, text);
    });
  }
  // The file would be replaced, not opened, so ask for the permission that
  // opening it for writing would need.
  if (faccessat(AT_FDCWD, name, W_OK, AT_EACCESS) != 0) return false;
  const std::unique_ptr<char, decltype(&std::free)> real(realpath(name, nullptr), &std::free);
  if (!real) return false;
  // A replacement would leave the file's other names with the old text.
  return (file.st_nlink == 1 && replaceByRename(real.get(), &file, text)) || writeInPlace(real.get(), file, text);
}
