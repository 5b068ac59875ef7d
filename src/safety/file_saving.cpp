#include "safety/file_saving.h"

#include <fcntl.h>
#include <linux/limits.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "safety/file_access.h"
#include "safety/file_calls.h"
#include "safety/signals.h"

namespace {

// Why a step failed, also where the call that failed left no error number.
int failure() { return errno != 0 ? errno : EIO; }

// Where the rename path gives way to writing in place.
constexpr int inPlaceInstead = -2;

struct Descriptor {
  int fd;
  explicit Descriptor(int opened) : fd(opened) {}
  ~Descriptor() {
    if (fd >= 0) closeFile(fd);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
};

// A folder, open so that its path is walked once and never again, and a name
// in it.
struct Place {
  Descriptor folder{-1};
  std::string name;
};

// Opens the folder of `path`, read from `from` when it is relative, and takes
// its last part as the name.
bool enter(Place& place, int from, const std::string& path) {
  const auto slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  const int fd = openFile(from, folder.c_str(), O_PATH | O_DIRECTORY);
  if (fd < 0) return false;
  if (place.folder.fd >= 0) closeFile(place.folder.fd);
  place.folder.fd = fd;
  place.name = path.substr(slash + 1);
  return true;
}

// Follows any chain of symbolic links to the name at its end, so that a link
// stays a link and what it names is saved.
bool followLinks(Place& place) {
  for (int hop = 0; hop < 40; ++hop) {
    std::string target(PATH_MAX, '\0');
    const ssize_t length = retried(FileCall::other, [&] {
      return readlinkat(place.folder.fd, place.name.c_str(), target.data(), target.size());
    });
    // Not a link, or nothing there yet.
    if (length < 0) return errno == EINVAL || errno == ENOENT;
    target.resize(static_cast<std::size_t>(length));
    if (!enter(place, place.folder.fd, target)) return false;
  }
  errno = ELOOP;
  return false;
}

// Through the stream itself, so that the text stands in order with what was
// printed before it; the line end keeps it off the message printed after.
int printToStandardOutput(std::string_view text) {
  std::fflush(stdout);
  errno = 0;
  const bool written = std::fwrite(text.data(), 1, text.size(), stdout) == text.size();
  const bool ended = text.ends_with('\n') || std::fputc('\n', stdout) != EOF;
  return std::fflush(stdout) == 0 && written && ended ? 0 : failure();
}

// A device or a FIFO: opened, checked to be what was examined, and written.
int writeDirectly(const Place& place, const struct stat& file, std::string_view text) {
  const Descriptor out(openWithoutWaiting(place.folder.fd, place.name.c_str(), O_WRONLY));
  if (out.fd < 0) return errno;
  // Someone put another file in its place meanwhile.
  if (!isOpenAs(out.fd, file)) return EAGAIN;
  const BrokenPipeAsError brokenPipe;
  return writeFully(out.fd, text) ? 0 : failure();
}

// The temporary file that every ending signal removes first. Written only
// while the signals are held back.
volatile std::sig_atomic_t pendingFolder = -1;
char pendingName[NAME_MAX + 1];

void removePending() {
  while (pendingFolder >= 0 && unlinkat(pendingFolder, pendingName, 0) != 0 && errno == EINTR) {
  }
}

// Six hex digits that differ from try to try and from process to process.
// Not secret: O_EXCL alone keeps the file the program's own.
std::string suffix() {
  static unsigned long count = 0;
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  const auto bits =
      static_cast<unsigned long>(now.tv_nsec) ^ static_cast<unsigned long>(getpid()) << 8 ^ ++count * 40503;
  char text[24];
  std::snprintf(text, sizeof text, "%06lx", bits & 0xFFFFFF);
  return text;
}

// Creates `.NAME.XXXXXX` beside the name, hidden; the name is cut so that a
// long one still leaves room. From its creation on, until it is forgotten,
// every ending signal removes it first.
int createTemporary(const Place& place, std::string& temporary) {
  restoreOnEnding(removePending);
  for (int attempt = 0; attempt < 100; ++attempt) {
    temporary.assign(1, '.').append(place.name, 0, 100).append(1, '.').append(suffix());
    // Held back, so that no signal falls between the file's creation and the
    // handlers' knowing its name.
    const SignalsHeld held;
    const int fd = openFile(place.folder.fd, temporary.c_str(), O_RDWR | O_CREAT | O_EXCL);
    if (fd >= 0) {
      std::memcpy(pendingName, temporary.c_str(), temporary.size() + 1);
      pendingFolder = place.folder.fd;
      return fd;
    }
    if (errno != EEXIST) return -1;
  }
  return -1;
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
  const ssize_t got = retried(FileCall::other, [&] { return get(bytes.data(), bytes.size()); });
  bytes.resize(got < 0 ? 0 : static_cast<std::size_t>(got));
  return got >= 0 || errno == ENOTSUP;
}

// Gives `to` exactly the extended attributes of the file at `from`, ACLs
// among them: those it got of its own that `from` lacks (a default ACL of
// the folder) go.
bool copyAttributes(const char* from, int to) {
  std::string names;
  std::string own;
  std::string value;
  if (!attributeBytes([&](char* b, std::size_t n) { return listxattr(from, b, n); }, names) ||
      !attributeBytes([&](char* b, std::size_t n) { return flistxattr(to, b, n); }, own))
    return false;
  // Both lists end each name with a NUL, so a name is found whole.
  for (std::size_t at = 0; at < own.size(); at = own.find('\0', at) + 1) {
    const std::string name = '\0' + std::string(own.c_str() + at) + '\0';
    if (('\0' + names).find(name) == std::string::npos &&
        retried(FileCall::other, [&] { return fremovexattr(to, own.c_str() + at); }) != 0)
      return false;
  }
  for (std::size_t at = 0; at < names.size(); at = names.find('\0', at) + 1) {
    const char* name = names.c_str() + at;
    if (!attributeBytes([&](char* b, std::size_t n) { return getxattr(from, name, b, n); }, value) ||
        retried(FileCall::other, [&] { return fsetxattr(to, name, value.data(), value.size(), 0); }) != 0)
      return false;
  }
  return true;
}

// Gives the temporary file all that decides who may do what with the old
// one, and answers whether it has it all. The old file's attributes are read
// through a descriptor of its own, which needs no right to read the file.
bool takeOver(int fd, const Place& place, const struct stat& old) {
  const Descriptor from(openFile(place.folder.fd, place.name.c_str(), O_PATH | O_NOFOLLOW));
  const std::string path = "/proc/self/fd/" + std::to_string(from.fd);
  struct stat made {};
  return isOpenAs(from.fd, old) &&
         retried(FileCall::other, [&] { return fchown(fd, old.st_uid, old.st_gid); }) == 0 &&
         retried(FileCall::other, [&] { return fchmod(fd, old.st_mode & 07777); }) == 0 &&
         copyAttributes(path.c_str(), fd) &&
         retried(FileCall::other, [&] { return fstat(fd, &made); }) == 0 && made.st_uid == old.st_uid &&
         made.st_gid == old.st_gid && (made.st_mode & 07777) == (old.st_mode & 07777);
}

// Writes a temporary file beside the name through the descriptor that
// created it, and renames it over the name once it is whole on the disk.
// `old` is the file it replaces, or null for a new one, which has nothing to
// write in place.
int replaceByRename(const Place& place, const struct stat* old, std::string_view text) {
  std::string temporary;
  const int fd = createTemporary(place, temporary);
  if (fd < 0) return old != nullptr ? inPlaceInstead : errno;
  int cause = 0;
  try {
    if (old != nullptr ? !takeOver(fd, place, *old)
                       : retried(FileCall::other, [&] { return fchmod(fd, newFileMode()); }) != 0) {
      cause = old != nullptr ? inPlaceInstead : failure();
    } else if (!writeFully(fd, text) || retried(FileCall::sync, [fd] { return fsync(fd); }) != 0) {
      cause = failure();
    }
  } catch (const std::bad_alloc&) {
    // The attributes did not fit in memory.
    cause = ENOMEM;
  }
  if (!closeFile(fd) && cause == 0) cause = failure();
  const int folder = place.folder.fd;
  if (cause == 0 && retried(FileCall::rename, [&] {
                      return renameat(folder, temporary.c_str(), folder, place.name.c_str());
                    }) != 0) {
    // Refused as for a file mounted on its own, which only writing in place
    // reaches; any other failure is the disk's.
    const bool refused = errno == EBUSY || errno == EXDEV || errno == EPERM || errno == EACCES;
    cause = refused && old != nullptr ? inPlaceInstead : failure();
  }
  if (cause != 0) retried(FileCall::unlink, [&] { return unlinkat(folder, temporary.c_str(), 0); });
  pendingFolder = -1;
  return cause;
}

// Reads all that `fd` holds from where it stands into `text`, whose size is
// a first guess.
bool readAll(int fd, std::string& text) {
  for (std::size_t held = 0;;) {
    if (held == text.size()) text.resize(2 * held + 4096);
    const ssize_t got =
        retried(FileCall::read, [&] { return read(fd, text.data() + held, text.size() - held); });
    if (got <= 0) {
      text.resize(held);
      return got == 0;
    }
    held += static_cast<std::size_t>(got);
  }
}

// Makes the file hold `text`, and nothing after it, on the disk.
bool rewrite(int fd, std::string_view text) {
  const auto size = static_cast<off_t>(text.size());
  return retried(FileCall::seek, [fd] { return lseek(fd, 0, SEEK_SET); }) == 0 && writeFully(fd, text) &&
         retried(FileCall::truncate, [=] { return ftruncate(fd, size); }) == 0 &&
         retried(FileCall::sync, [fd] { return fsync(fd); }) == 0;
}

// Overwrites the file itself, keeping its inode, links, owner and
// attributes. Its old text is read first, so that a failure after the first
// change can put it back; all that can fail for want of space or of the
// right to grow the file comes before that change. Where the file system
// cannot reserve space itself, glibc does it by reading each block before it
// writes a zero into it, which a descriptor opened only for writing cannot.
int writeInPlace(const Place& place, std::string_view text) {
  // Its close is not looked at: by then the text it answers for is synced.
  const Descriptor file(openWithoutWaiting(place.folder.fd, place.name.c_str(), O_RDWR));
  struct stat opened {};
  if (file.fd < 0 || retried(FileCall::other, [&] { return fstat(file.fd, &opened); }) != 0) return errno;
  // Opened for writing, a file of an overlay's lower layer is copied up into
  // a new one, so the file opened need not be the one examined. It is what
  // the name now stands for, and so what is saved, while it is still a plain
  // file and no stream of the program's.
  if (!S_ISREG(opened.st_mode) || ownStreamOf(opened) != OwnStream::none) return EAGAIN;
  std::string old(static_cast<std::size_t>(opened.st_size) + 1, '\0');
  if (!readAll(file.fd, old)) return failure();
  // The limit stops writes past it even inside the file, which reserving
  // space would not find out; and the old text must fit to go back.
  rlimit limit{};
  if (getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
      std::max(text.size(), old.size()) > limit.rlim_cur)
    return EFBIG;
  const SignalsHeld held;
  const int reserved = retried(FileCall::allocate, [&] {
    errno = posix_fallocate(file.fd, 0, static_cast<off_t>(text.size()));
    return errno == 0 ? 0 : -1;
  });
  if (reserved == 0 && rewrite(file.fd, text)) return 0;
  const int cause = failure();
  // Whatever the failed step changed (a reservation lengthens the file) is
  // undone. Only where this fails too, on a device that fails every write,
  // is the file left as far as the new text reached.
  rewrite(file.fd, old);
  return cause;
}

}  // namespace

int saveFile(const char* name, std::string_view text) {
  if (name == nullptr || *name == '\0') return ENOENT;
  Place place;
  if (!enter(place, AT_FDCWD, name)) return failure();
  // Examined through its links as the system follows them, the links of
  // /proc to pipes and other nameless files included.
  struct stat examined {};
  if (retried(FileCall::other, [&] { return fstatat(place.folder.fd, place.name.c_str(), &examined, 0); }) !=
      0) {
    if (errno != ENOENT) return failure();
    return !followLinks(place)  ? failure()
           : place.name.empty() ? EISDIR
                                : replaceByRename(place, nullptr, text);
  }
  switch (ownStreamOf(examined)) {
    case OwnStream::standardOutput:
      // Replacing it would lose what was printed before.
      return printToStandardOutput(text);
    case OwnStream::other:
      // Written into its own input the text would come back as keys, or wait
      // for ever on a pipe that only the program reads.
      return refusedOwnStream;
    case OwnStream::terminal:
    case OwnStream::none:
      break;
  }
  if (!S_ISREG(examined.st_mode)) return writeDirectly(place, examined, text);
  // The file would be replaced, not opened, so ask for the permission that
  // opening it for writing would need.
  const auto writable = [&] { return faccessat(place.folder.fd, place.name.c_str(), W_OK, AT_EACCESS); };
  if (retried(FileCall::other, writable) != 0 || !followLinks(place)) return failure();
  // A replacement would leave the file's other names with the old text.
  if (examined.st_nlink == 1) {
    const int replaced = replaceByRename(place, &examined, text);
    if (replaced != inPlaceInstead) return replaced;
  }
  return writeInPlace(place, text);
}

const char* saveFailure(int cause) {
  return cause == refusedOwnStream ? "the program's own input or error" : std::strerror(cause);
}
