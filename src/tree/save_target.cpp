#include "tree/save_target.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

namespace {

using Body = std::function<void(std::ostream&)>;

// Flushes and closes a stream, answering whether everything written to it
// reached the file; a full disk shows here rather than at the write.
bool finish(std::ofstream& out) {
  out.flush();
  const bool flushed = out.good();
  out.close();
  return flushed && !out.fail();
}

bool writeStream(std::ofstream& out, const Body& writeBody) {
  if (!out.is_open()) return false;
  try {
    writeBody(out);
  } catch (...) {
    out.close();
    return false;
  }
  return finish(out);
}

bool writeDirectly(const char* name, const Body& writeBody) {
  std::ofstream out(name, std::ios::out | std::ios::trunc);
  return writeStream(out, writeBody);
}

bool printToStandardOutput(const Body& writeBody) {
  std::ostringstream text;
  try {
    writeBody(text);
  } catch (...) {
    return false;
  }
  const std::string bytes = text.str();
  std::fflush(stdout);
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size();
  return std::fflush(stdout) == 0 && written;
}

bool isStandardOutput(const struct stat& file) {
  struct stat out {};
  return fstat(STDOUT_FILENO, &out) == 0 && out.st_dev == file.st_dev && out.st_ino == file.st_ino;
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

bool syncFile(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool synced = fsync(fd) == 0;
  return close(fd) == 0 && synced;
}

bool writeThroughTemporary(const std::string& target, mode_t mode, const Body& writeBody) {
  // Hidden, beside the target so that the rename stays within one file
  // system; the name is cut so that a long target name still leaves room.
  std::string temporary = folderOf(target) + "/." + baseOf(target).substr(0, 100) + ".XXXXXX";
  const int fd = mkstemp(temporary.data());
  if (fd < 0) return false;
  const bool prepared = fchmod(fd, mode) == 0;
  close(fd);
  bool stored = false;
  if (prepared) {
    std::ofstream out(temporary, std::ios::out | std::ios::trunc);
    stored = writeStream(out, writeBody) && syncFile(temporary) &&
             std::rename(temporary.c_str(), target.c_str()) == 0;
  }
  if (!stored) unlink(temporary.c_str());
  return stored;
}

}  // namespace

bool replaceFile(const char* name, const Body& writeBody) {
  if (name == nullptr || *name == '\0') return false;
  struct stat file {};
  if (stat(name, &file) != 0) {
    if (errno != ENOENT) return false;
    const std::string target = followDanglingLinks(name);
    return !target.empty() && writeThroughTemporary(target, newFileMode(), writeBody);
  }
  if (!S_ISREG(file.st_mode)) return writeDirectly(name, writeBody);
  if (isStandardOutput(file)) return printToStandardOutput(writeBody);
  // The file would be replaced, not opened, so ask for the permission that
  // opening it for writing would need.
  if (faccessat(AT_FDCWD, name, W_OK, AT_EACCESS) != 0) return false;
  const std::unique_ptr<char, decltype(&std::free)> real(realpath(name, nullptr), &std::free);
  if (!real) return false;
  return writeThroughTemporary(real.get(), file.st_mode & 07777, writeBody);
}
