#include "tree/save_target.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <ostream>
#include <sstream>
#include <string>

#include "tree/descriptor_io.h"
#include "tree/save_signals.h"

namespace {

using Body = std::function<void(std::ostream&)>;

bool runBody(const Body& writeBody, std::ostream& out) {
  try {
    writeBody(out);
  } catch (...) {
    return false;
  }
  return true;
}

bool writeBodyTo(int fd, const Body& writeBody) {
  DescriptorWriter buffer(fd);
  std::ostream out(&buffer);
  return runBody(writeBody, out) && out.flush() && !buffer.failed();
}

// The whole text, made before anything is touched.
bool buildText(const Body& writeBody, std::string& text) {
  std::ostringstream out;
  if (!runBody(writeBody, out)) return false;
  text = std::move(out).str();
  return true;
}

// Through the stream itself, so that the tree stands in order with what was
// printed before it; the line end keeps it off the message printed after.
bool printToStandardOutput(const Body& writeBody) {
  std::string text;
  if (!buildText(writeBody, text)) return false;
  text += '\n';
  std::fflush(stdout);
  const bool written = std::fwrite(text.data(), 1, text.size(), stdout) == text.size();
  return std::fflush(stdout) == 0 && written;
}

bool writeDirectly(const char* name, const struct stat& file, const Body& writeBody) {
  const int fd = openWithoutWaiting(name, O_WRONLY);
  if (fd < 0) return false;
  bool stored = false;
  if (isOpenAs(fd, file)) {
    const BrokenPipeAsError brokenPipe;
    stored = writeBodyTo(fd, writeBody);
  }
  return close(fd) == 0 && stored;
}

bool beyondSizeLimit(std::size_t size) {
  rlimit limit{};
  return getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY && size > limit.rlim_cur;
}

// Overwrites the file itself, keeping its inode, links and owner. Every step
// that can fail for want of space or of the right to grow the file comes
// before the first byte of the old text is overwritten.
bool writeInPlace(const char* path, const struct stat& file, const Body& writeBody) {
  std::string text;
  if (!buildText(writeBody, text) || text.empty() || beyondSizeLimit(text.size())) return false;
  const int fd = openWithoutWaiting(path, O_WRONLY);
  if (fd < 0) return false;
  bool stored = false;
  if (isOpenAs(fd, file)) {
    const TerminatingSignalsHeld held;
    const auto size = static_cast<off_t>(text.size());
    stored = posix_fallocate(fd, 0, size) == 0 && writeFully(fd, text.data(), text.size()) &&
             ftruncate(fd, size) == 0 && fsync(fd) == 0;
  }
  return close(fd) == 0 && stored;
}

std::string folderOf(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
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

enum class Outcome { stored, failed, notReplaceable };

// Writes a temporary file beside the target, through the descriptor that
// created it, and renames it over the target once it is whole on disk.
// `old` is the file it replaces, or null for a new one.
Outcome writeThroughTemporary(const std::string& target, const struct stat* old, mode_t mode,
                              const Body& writeBody) {
  // Hidden, beside the target so that the rename stays within one file
  // system; the name is cut so that a long target name still leaves room.
  std::string temporary = folderOf(target) + "/." + baseOf(target).substr(0, 100) + ".XXXXXX";
  TemporaryFileGuard guard;
  const int fd = guard.create(temporary);
  if (fd < 0) return Outcome::notReplaceable;
  // Another user's file would change hands; it is written in place instead.
  // The process's own file may lose a group it cannot give.
  if (old != nullptr && fchown(fd, old->st_uid, old->st_gid) != 0 && old->st_uid != geteuid()) {
    close(fd);
    unlink(temporary.c_str());
    return Outcome::notReplaceable;
  }
  const bool written = fchmod(fd, mode) == 0 && writeBodyTo(fd, writeBody) && fsync(fd) == 0;
  if (close(fd) == 0 && written && std::rename(temporary.c_str(), target.c_str()) == 0)
    return Outcome::stored;
  unlink(temporary.c_str());
  return Outcome::failed;
}

}  // namespace

bool replaceFile(const char* name, const Body& writeBody) {
  if (name == nullptr || *name == '\0') return false;
  struct stat file {};
  if (stat(name, &file) != 0) {
    if (errno != ENOENT) return false;
    const std::string target = followDanglingLinks(name);
    return !target.empty() &&
           writeThroughTemporary(target, nullptr, newFileMode(), writeBody) == Outcome::stored;
  }
  // Written into its own standard input the tree would come back as keys, or
  // block on a full pipe; a terminal there is only the screen.
  if (isOpenAs(STDIN_FILENO, file) && !S_ISCHR(file.st_mode)) return false;
  // Replacing its own standard output would lose what was printed before.
  if (isOpenAs(STDOUT_FILENO, file)) return printToStandardOutput(writeBody);
  if (!S_ISREG(file.st_mode)) return writeDirectly(name, file, writeBody);
  // The file would be replaced, not opened, so ask for the permission that
  // opening it for writing would need.
  if (faccessat(AT_FDCWD, name, W_OK, AT_EACCESS) != 0) return false;
  const std::unique_ptr<char, decltype(&std::free)> real(realpath(name, nullptr), &std::free);
  if (!real) return false;
  // A replacement would leave the file's other names with the old text.
  if (file.st_nlink <= 1) {
    const Outcome outcome = writeThroughTemporary(real.get(), &file, file.st_mode & 07777, writeBody);
    if (outcome != Outcome::notReplaceable) return outcome == Outcome::stored;
  }
  return writeInPlace(real.get(), file, writeBody);
}
