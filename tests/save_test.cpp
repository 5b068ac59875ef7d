#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sched.h>
#include <sys/inotify.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <array>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <thread>

#include "learner/learner.h"
#include "safety/file_calls.h"
#include "safety/file_saving.h"
#include "support/command.h"
#include "support/ending_signals.h"
#include "support/program.h"
#include "support/temp_dir.h"
#include "support/text.h"
#include "support/view.h"
#include "tree/tree_file.h"

namespace {

struct Save : ::testing::Test {
  TempDir dir;
  Learner learner;

  void SetUp() override {
    writeFile(dir.file("and.txt"), andFile);
    ASSERT_TRUE(learner.load(dir.file("and.txt").c_str()));
  }

  std::size_t entries() const {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(dir.path()),
                                                  std::filesystem::directory_iterator()));
  }
};

using Load = Save;

// Runs `operation` in a child process and tells how it ended: "true" or
// "false" for its answer, "signal N" or "exit N" otherwise. An operation that
// hangs is ended by SIGALRM, so that the test fails instead of stalling.
std::string inChild(const std::function<bool()>& operation) {
  const pid_t pid = fork();
  if (pid == 0) {
    const rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
    alarm(10);
    _exit(operation() ? 0 : 1);
  }
  int status = 0;
  if (pid < 0 || waitpid(pid, &status, 0) != pid) return "not started";
  if (WIFSIGNALED(status)) return "signal " + std::to_string(WTERMSIG(status));
  if (WEXITSTATUS(status) > 1) return "exit " + std::to_string(WEXITSTATUS(status));
  return WEXITSTATUS(status) == 0 ? "true" : "false";
}

// What a descriptor opened without blocking holds now.
std::string readWaiting(int fd) {
  std::string text;
  char buffer[4096];
  for (ssize_t got = 0; (got = read(fd, buffer, sizeof buffer)) > 0;)
    text.append(buffer, static_cast<std::size_t>(got));
  return text;
}

ino_t inodeOf(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 ? info.st_ino : 0;
}

}  // namespace

TEST_F(Save, WithNoTreeFailsWithoutTouchingTheFile) {
  Learner empty;
  EXPECT_FALSE(empty.save(dir.file("and.txt").c_str()));
  EXPECT_EQ(readFile(dir.file("and.txt")), andFile);
  EXPECT_FALSE(empty.save(dir.file("new.txt").c_str()));
  EXPECT_FALSE(fileExists(dir.file("new.txt")));
  EXPECT_FALSE(learner.save(nullptr));
  EXPECT_FALSE(learner.save(""));
}

TEST_F(Save, FailsForAFolderThatDoesNotExist) {
  EXPECT_FALSE(learner.save(dir.file("missing/tree.txt").c_str()));
  EXPECT_FALSE(fileExists(dir.file("missing")));
  EXPECT_FALSE(learner.save(dir.file("and.txt/tree.txt").c_str()));
  EXPECT_FALSE(learner.save(dir.path().c_str()));
  EXPECT_EQ(entries(), 1U);
}

TEST_F(Save, FailsWhenTheDeviceIsFull) { EXPECT_FALSE(learner.save("/dev/full")); }

TEST_F(Save, AFailedWriteKeepsTheOldFileWhole) {
  const std::string old(4000, 'x');
  writeFile(dir.file("old.txt"), old);
  // Files with a second link are written in place: shorter and longer than
  // the tree.
  writeFile(dir.file("short.txt"), "old");
  writeFile(dir.file("long.txt"), old);
  ASSERT_EQ(link(dir.file("short.txt").c_str(), dir.file("short-link.txt").c_str()), 0);
  ASSERT_EQ(link(dir.file("long.txt").c_str(), dir.file("long-link.txt").c_str()), 0);
  // The file size limit makes every write past 20 bytes fail, as a full
  // disk would.
  const auto previous = std::signal(SIGXFSZ, SIG_IGN);
  rlimit saved{};
  getrlimit(RLIMIT_FSIZE, &saved);
  const rlimit small{20, saved.rlim_max};
  setrlimit(RLIMIT_FSIZE, &small);
  const bool saved_ok = learner.save(dir.file("old.txt").c_str());
  const bool created = learner.save(dir.file("new.txt").c_str());
  const bool shortSaved = learner.save(dir.file("short.txt").c_str());
  const bool longSaved = learner.save(dir.file("long.txt").c_str());
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previous);
  EXPECT_FALSE(saved_ok);
  EXPECT_FALSE(created);
  EXPECT_FALSE(shortSaved);
  EXPECT_FALSE(longSaved);
  EXPECT_EQ(readFile(dir.file("old.txt")), old);
  EXPECT_EQ(readFile(dir.file("short.txt")), "old");
  EXPECT_EQ(readFile(dir.file("long.txt")), old);
  EXPECT_FALSE(fileExists(dir.file("new.txt")));
  EXPECT_EQ(entries(), 6U);
}

TEST_F(Save, AFullDiskFailsAnInPlaceSaveBeforeItTouchesTheFile) {
  // A tree of several pages, so that writing it over a one-page file needs
  // more space than is left.
  std::string chain;
  for (int i = 0; i < 100; ++i) chain += ">Pred: =  Case Index: 0  Case Value: 5\n^Class: 0\n";
  writeFile(dir.file("chain.txt"), chain + "^Class: 1");
  ASSERT_TRUE(mkdir(dir.file("small").c_str(), 0700) == 0);
  const std::string tree = dir.file("small/tree.txt");
  // In a mount namespace of its own, so that the small disk is the child's.
  const std::string outcome = inChild([&] {
    if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        mount("none", dir.file("small").c_str(), "tmpfs", 0, "size=64k") != 0)
      _exit(3);
    writeFile(tree, "old");
    if (link(tree.c_str(), dir.file("small/link.txt").c_str()) != 0 ||
        !learner.load(dir.file("chain.txt").c_str()))
      _exit(4);
    const int filler = open(dir.file("small/filler").c_str(), O_WRONLY | O_CREAT, 0600);
    const std::string page(4096, 'f');
    while (write(filler, page.data(), page.size()) > 0) {
    }
    close(filler);
    return !learner.save(tree.c_str()) && readFile(tree) == "old";
  });
  if (outcome == "exit 3") GTEST_SKIP() << "cannot mount a small file system here";
  EXPECT_EQ(outcome, "true");
}

namespace {

// All that decides who may read and write a file, and by which names.
struct Looks {
  uid_t uid = 0;
  gid_t gid = 0;
  mode_t mode = 0;
  nlink_t links = 0;
  std::map<std::string, std::string> attributes;  // extended ones, ACLs among them
  bool operator==(const Looks&) const = default;
};

Looks looksOf(const std::string& path) {
  Looks looks;
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) return looks;
  looks = {info.st_uid, info.st_gid, info.st_mode & 07777, info.st_nlink, {}};
  std::string names(65536, '\0');
  const ssize_t size = listxattr(path.c_str(), names.data(), names.size());
  for (ssize_t at = 0; at < size; at += static_cast<ssize_t>(std::strlen(names.c_str() + at)) + 1) {
    std::string value(65536, '\0');
    const ssize_t length = getxattr(path.c_str(), names.c_str() + at, value.data(), value.size());
    value.resize(length < 0 ? 0 : static_cast<std::size_t>(length));
    looks.attributes[names.c_str() + at] = value;
  }
  return looks;
}

// A POSIX ACL as the system stores it: the owner, the named user, the
// owning group, the mask and the others, with the permission bits given.
std::string acl(unsigned owner, uid_t user, unsigned userBits, unsigned group, unsigned mask, unsigned other) {
  std::string bytes;
  const auto put = [&bytes](std::uint32_t value, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
  };
  put(2, 4);  // the format's version
  const std::uint32_t none = 0xFFFFFFFF;
  const std::array<std::array<std::uint32_t, 3>, 5> entries{{{0x01, owner, none},
                                                              {0x02, userBits, user},
                                                              {0x04, group, none},
                                                              {0x10, mask, none},
                                                              {0x20, other, none}}};
  for (const auto& [tag, bits, id] : entries) {
    put(tag, 2);
    put(bits, 2);
    put(id, 4);
  }
  return bytes;
}

constexpr uid_t nobody = 65534;

// For its life the process acts as the user nobody in all but its real ids,
// with no supplementary group: as another user, who owns no more than that.
class AsNobody {
 public:
  AsNobody() {
    const gid_t group = nobody;
    ok_ = setgroups(1, &group) == 0 && setegid(nobody) == 0 && seteuid(nobody) == 0;
  }
  ~AsNobody() {
    const gid_t root = 0;
    if (seteuid(0) != 0 || setegid(0) != 0 || setgroups(1, &root) != 0) std::abort();
  }
  AsNobody(const AsNobody&) = delete;
  AsNobody& operator=(const AsNobody&) = delete;
  bool ok() const { return ok_; }

 private:
  bool ok_ = false;
};

// Mounts made from here on are this process's own and end with it.
bool privateMounts() {
  return unshare(CLONE_NEWNS) == 0 && mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
}

// One case of the save rule: a file made as `prepare` makes it, and whether
// the save must write it in place rather than replace it.
struct RuleCase {
  const char* what;
  std::function<bool(const std::string& folder, const std::string& file)> prepare;  // false: not here
  bool inPlace;
  bool asNobody = false;
};

// Saves over a file of each case in `base` and checks that the file then
// holds the text and looks to its users as it did, and that no other file
// was left. A long text over a shorter file, so that a file system without
// fallocate of its own has glibc read blocks of the old file to reserve it.
void checkTheSaveRule(const std::string& base) {
  const std::string text(30000, 't');
  const bool root = geteuid() == 0;
  const std::vector<RuleCase> cases{
      {"a file of the process's own", [](auto&, auto& f) { return chmod(f.c_str(), 0640) == 0; }, false},
      {"a file with another name", [](auto& d, auto& f) { return link(f.c_str(), (d + "/other").c_str()) == 0; },
       true},
      {"another user's file", [&](auto&, auto& f) { return root && chown(f.c_str(), nobody, nobody) == 0; },
       false},
      {"a file with extended attributes",
       [](auto&, auto& f) { return setxattr(f.c_str(), "user.origin", "hand", 4, 0) == 0; }, false},
      {"a file whose ACL lets another user write",
       [](auto&, auto& f) {
         const std::string bytes = acl(6, nobody, 6, 4, 6, 0);
         return setxattr(f.c_str(), "system.posix_acl_access", bytes.data(), bytes.size(), 0) == 0;
       },
       false},
      {"a file without the ACL that its folder gives new files",
       [](auto& d, auto&) {
         const std::string bytes = acl(7, nobody, 7, 5, 7, 5);
         return setxattr(d.c_str(), "system.posix_acl_default", bytes.data(), bytes.size(), 0) == 0;
       },
       false},
      {"a file whose group its owner cannot give",
       [&](auto& d, auto& f) {
         return root && chown(d.c_str(), nobody, nobody) == 0 && chown(f.c_str(), nobody, 0) == 0 &&
                chmod(f.c_str(), 0664) == 0;
       },
       true, true},
      {"a file in a folder where no temporary file can be made",
       [&](auto&, auto& f) { return root && chown(f.c_str(), nobody, nobody) == 0; }, true, true},
      {"a file mounted on its own, which no rename may replace",
       [&](auto& d, auto& f) {
         writeFile(d + "/mounted", "x");
         return root && mount((d + "/mounted").c_str(), f.c_str(), nullptr, MS_BIND, nullptr) == 0;
       },
       true},
      {"a symbolic link, which stays a link",
       [](auto& d, auto& f) {
         return std::rename(f.c_str(), (d + "/target").c_str()) == 0 && symlink("target", f.c_str()) == 0;
       },
       false},
  };
  chmod(base.c_str(), 0755);
  for (std::size_t k = 0; k < cases.size(); ++k) {
    const RuleCase& rule = cases[k];
    SCOPED_TRACE(rule.what);
    const std::string folder = base + "/case" + std::to_string(k);
    const std::string file = folder + "/tree.txt";
    ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
    writeFile(file, std::string(8192, 'x'));
    if (!rule.prepare(folder, file)) {
      std::printf("skipped here: %s\n", rule.what);
      continue;
    }
    const Looks before = looksOf(file);
    const ino_t inode = inodeOf(file);
    struct stat link {};
    lstat(file.c_str(), &link);
    {
      const std::optional<AsNobody> other = rule.asNobody ? std::make_optional<AsNobody>() : std::nullopt;
      if (other && !other->ok()) FAIL() << "cannot act as another user";
      EXPECT_EQ(saveFile(file.c_str(), text), 0);
    }
    EXPECT_EQ(readFile(file), text);
    EXPECT_EQ(inodeOf(file) == inode, rule.inPlace);
    EXPECT_TRUE(looksOf(file) == before);
    if (fileExists(folder + "/other")) {
      EXPECT_EQ(readFile(folder + "/other"), text);
    }
    struct stat after {};
    lstat(file.c_str(), &after);
    EXPECT_EQ(S_ISLNK(after.st_mode), S_ISLNK(link.st_mode));
    for (const auto& entry : std::filesystem::directory_iterator(folder))
      EXPECT_NE(entry.path().filename().string().front(), '.') << entry.path();
    umount2(file.c_str(), MNT_DETACH);
  }
}

}  // namespace

TEST(SaveRule, ReplacesOnlyWhatTheUserCannotTellFromTheOldFileAndWritesTheRestInPlace) {
  const TempDir dir;
  if (!privateMounts()) std::printf("no private mounts here: the mounted file is not saved over\n");
  checkTheSaveRule(dir.path());
}

TEST(SaveRule, HoldsWhereTheFileSystemCannotReserveSpaceItself) {
  const TempDir dir;
  chmod(dir.path().c_str(), 0755);
  const std::string image = dir.file("ext3.img");
  const std::string mounted = dir.file("ext3");
  if (geteuid() != 0 || !privateMounts()) GTEST_SKIP() << "needs root and a mount namespace of its own";
  writeFile(image, "");
  if (truncate(image.c_str(), 32 << 20) != 0 || mkdir(mounted.c_str(), 0755) != 0 ||
      exitCode(runCommand({"mkfs.ext3", "-q", "-F", image}).status) != 0 ||
      exitCode(runCommand({"mount", "-o", "loop", image, mounted}).status) != 0)
    GTEST_SKIP() << "cannot make and mount an ext3 image here (mkfs.ext3, loop devices)";
  checkTheSaveRule(mounted);
  umount2(mounted.c_str(), MNT_DETACH);
}

TEST_F(Save, MakesANewFileWithTheUmaskAndThroughADanglingLink) {
  const mode_t mask = umask(022);
  EXPECT_TRUE(learner.save(dir.file("fresh.txt").c_str()));
  umask(mask);
  EXPECT_EQ(readFile(dir.file("fresh.txt")), andFile);
  EXPECT_EQ(entries(), 2U);
  struct stat info {};
  stat(dir.file("fresh.txt").c_str(), &info);
  EXPECT_EQ(info.st_mode & 07777, 0644U);

  ASSERT_EQ(symlink("sub/../later.txt", dir.file("dangling.txt").c_str()), 0);
  std::filesystem::create_directory(dir.file("sub"));
  EXPECT_TRUE(learner.save(dir.file("dangling.txt").c_str()));
  EXPECT_TRUE(std::filesystem::is_symlink(dir.file("dangling.txt")));
  EXPECT_EQ(readFile(dir.file("later.txt")), andFile);
}

TEST_F(Save, OpensTheTemporaryFileOnlyToCreateIt) {
  // Whoever owns the folder could swap the file before it was opened again.
  writeFile(dir.file("old.txt"), "old");
  const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  ASSERT_GE(watch, 0);
  // Closes are watched too: the system merges an event with the same one
  // just before it.
  ASSERT_GE(inotify_add_watch(watch, dir.path().c_str(), IN_OPEN | IN_CLOSE), 0);
  EXPECT_TRUE(learner.save(dir.file("old.txt").c_str()));
  const std::string events = readWaiting(watch);
  close(watch);
  std::size_t hiddenOpens = 0;
  for (std::size_t at = 0; at + sizeof(inotify_event) <= events.size();) {
    inotify_event event{};
    std::memcpy(&event, events.data() + at, sizeof event);
    if ((event.mask & IN_OPEN) != 0 && event.len > 0 && events[at + sizeof event] == '.') ++hiddenOpens;
    at += sizeof event + event.len;
  }
  EXPECT_EQ(hiddenOpens, 1U);
  EXPECT_EQ(readFile(dir.file("old.txt")), andFile);
}

TEST_F(Save, WritesIntoAFifoOnlyWhileItIsRead) {
  const std::string fifo = dir.file("fifo");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  ASSERT_GE(reader, 0);
  EXPECT_TRUE(learner.save(fifo.c_str()));
  EXPECT_EQ(readWaiting(reader), andFile);
  close(reader);

  EXPECT_EQ(inChild([&] { return learner.save(fifo.c_str()); }), "false");
  // A reader that goes away during the save fails it, and ends nothing: it
  // leaves once the text has filled the pipe.
  EXPECT_EQ(inChild([&] {
              const int leaving = open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
              std::thread leaver([leaving] {
                pollfd ready{leaving, POLLIN, 0};
                poll(&ready, 1, -1);
                close(leaving);
              });
              const bool saved = saveFile(fifo.c_str(), std::string(1 << 20, 't')) == 0;
              leaver.join();
              return saved;
            }),
            "false");
}

TEST_F(Load, NeverWaitsForAWriterThatIsNotThere) {
  const std::string fifo = dir.file("fifo");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(inChild([&] { return learner.load(fifo.c_str()); }), "false");

  // The reader keeps what was written after the writer has gone.
  const int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  const int writer = open(fifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
  writeAll(writer, "^Class: 0");
  close(writer);
  EXPECT_EQ(inChild([&] {
              Learner fresh;
              return fresh.load(fifo.c_str()) && fresh.classify({}) == 0;
            }),
            "true");
  close(reader);

}

TEST_F(Save, NeverTakesTheProgramsOwnStreamsForFiles) {
  writeFile(dir.file("keys.txt"), "keys");
  // Each stream as a pipe that only the program holds, and standard input
  // as a file besides: read as a tree, a stream that the program writes
  // would be waited on for ever, and written to, standard input would give
  // the tree back as keys.
  struct Stream {
    int fd;
    const char* name;
  };
  for (const Stream stream : {Stream{STDIN_FILENO, "/dev/stdin"}, Stream{STDOUT_FILENO, "/dev/stdout"},
                              Stream{STDERR_FILENO, "/dev/stderr"}}) {
    SCOPED_TRACE(stream.name);
    const auto withStream = [&](const std::function<bool()>& operation) {
      return inChild([&] {
        int ends[2];
        if (pipe(ends) != 0 || dup2(ends[stream.fd == STDIN_FILENO ? 0 : 1], stream.fd) < 0) _exit(3);
        return operation();
      });
    };
    EXPECT_EQ(withStream([&] { return learner.load(stream.name); }), "false");
    // Its standard output is printed to instead, as a later test shows.
    if (stream.fd != STDOUT_FILENO) {
      EXPECT_EQ(withStream([&] { return learner.save(stream.name); }), "false");
    }
  }
  for (const char* name : {"/dev/stdin", "keys.txt"}) {
    EXPECT_EQ(inChild([&] {
                const int file = open(dir.file("keys.txt").c_str(), O_RDONLY);
                dup2(file, STDIN_FILENO);
                return learner.save(*name == '/' ? name : dir.file(name).c_str());
              }),
              "false")
        << name;
  }
  EXPECT_EQ(readFile(dir.file("keys.txt")), "keys");
}

namespace {

// Lists what `folder` holds.
std::size_t entriesOf(const std::string& folder) {
  return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(folder),
                                                std::filesystem::directory_iterator()));
}

}  // namespace

TEST(SaveSignals, EveryEndingSignalRemovesThePendingTemporaryFileAndThenEndsTheProgram) {
  const TempDir dir;
  const std::string tree = dir.file("tree.txt");
  writeFile(tree, "old");
  // The signal comes at the save's first write: into the temporary file, or
  // into the file itself where it is written in place.
  static int raised = 0;
  const auto savedUnder = [&](int signal, bool ignored = false) {
    return inChild([&] {
      if (ignored) std::signal(signal, SIG_IGN);
      raised = signal;
      fileFault = [](FileCall call) { return call == FileCall::write ? raise(raised) : 0; };
      return saveFile(tree.c_str(), "new") == 0;
    });
  };
  for (const int signal : endingSignals()) {
    SCOPED_TRACE(strsignal(signal));
    EXPECT_EQ(savedUnder(signal), "signal " + std::to_string(signal));
    EXPECT_EQ(readFile(tree), "old");
    EXPECT_EQ(entriesOf(dir.path()), 1U);
  }
  // A signal that was ignored when the program started stays ignored, as
  // under nohup.
  EXPECT_EQ(savedUnder(SIGHUP, true), "true");
  EXPECT_EQ(readFile(tree), "new");
  EXPECT_EQ(entriesOf(dir.path()), 1U);
  // Held back while a file is written in place, a signal acts once the
  // text is whole.
  ASSERT_EQ(link(tree.c_str(), dir.file("link.txt").c_str()), 0);
  writeFile(tree, "old");
  EXPECT_EQ(savedUnder(SIGUSR1), "signal " + std::to_string(SIGUSR1));
  EXPECT_EQ(readFile(tree), "new");
  EXPECT_EQ(entriesOf(dir.path()), 2U);
}

TEST_F(Save, PrintsToItsOwnStandardOutputRatherThanReplacingIt) {
  // Captured output goes to a regular file; replacing that file would lose
  // what was printed before the save.
  ::testing::internal::CaptureStdout();
  std::printf("before ");
  std::fflush(stdout);
  const bool saved = learner.save("/dev/stdout");
  const std::string output = ::testing::internal::GetCapturedStdout();
  EXPECT_TRUE(saved);
  // A line end keeps the tree off the message printed after it.
  EXPECT_EQ(output, std::string("before ") + andFile + "\n");
}

TEST_F(Save, SavesInAFolderWhosePathIsLongerThanPathMaxAndOverAFileAnOverlayCopiesUp) {
  // So deep that the folder is reached only from the working folder.
  const std::string deep(200, 'd');
  EXPECT_EQ(inChild([&] {
              if (chdir(dir.path().c_str()) != 0) _exit(3);
              for (int i = 0; i < 25; ++i)
                if (mkdir(deep.c_str(), 0700) != 0 || chdir(deep.c_str()) != 0) _exit(3);
              writeFile("tree.txt", "old");
              return learner.save("tree.txt") && readFile("tree.txt") == andFile;
            }),
            "true");
  // With two names it is written in place, and opened for writing it
  // becomes a new file of the overlay's upper layer.
  const std::string root = dir.file("overlay");
  const std::string overlay = inChild([&] {
    const std::string layers = "lowerdir=" + root + "/l,upperdir=" + root + "/u,workdir=" + root + "/w";
    if (mkdir(root.c_str(), 0700) != 0 || !privateMounts() ||
        mount("none", root.c_str(), "tmpfs", 0, nullptr) != 0)
      _exit(3);
    for (const char* part : {"/l", "/u", "/w", "/m"}) mkdir((root + part).c_str(), 0700);
    writeFile(root + "/l/tree.txt", "old");
    if (link((root + "/l/tree.txt").c_str(), (root + "/l/link.txt").c_str()) != 0 ||
        mount("overlay", (root + "/m").c_str(), "overlay", 0, layers.c_str()) != 0)
      _exit(3);
    return learner.save((root + "/m/tree.txt").c_str()) && readFile(root + "/m/tree.txt") == andFile;
  });
  if (overlay == "exit 3") GTEST_SKIP() << "cannot mount an overlay here";
  EXPECT_EQ(overlay, "true");
}

// Saves and loads whose file calls fail as a failing disk's do, through
// the seam of the core's file calls.

namespace {

// The nth attempt (from 1) of a call fails with `error`.
struct Fault {
  FileCall call;
  int nth;
  int error;
};

std::vector<Fault> planned;
std::array<int, 16> attempts{};

// Runs `operation` while the planned faults are injected.
template <typename Operation>
auto withFaults(std::vector<Fault> faults, Operation operation) {
  planned = std::move(faults);
  attempts = {};
  fileFault = [](FileCall call) {
    const int attempt = ++attempts[static_cast<std::size_t>(call)];
    for (const Fault& f : planned)
      if (f.call == call && f.nth == attempt) return f.error;
    return 0;
  };
  const auto result = operation();
  fileFault = nullptr;
  return result;
}

}  // namespace

// Each call failing once. A file with a second name is written in place,
// and after any failure its old text, shorter or longer than the new, goes
// back byte for byte. A file with one name is replaced, and written in
// place only where the rename is refused. Interrupted, every call is made
// again.
TEST(SaveFaults, AFailedSaveLeavesTheOldFileByteForByte) {
  using enum FileCall;
  const TempDir dir;
  const std::string file = dir.file("tree.txt");
  const std::string text(2000, 't');
  const struct {
    bool linked;
    std::vector<Fault> faults;
    bool saved;
    bool replaced;
  } cases[] = {
      {true, {{read, 1, EIO}}, false, false},
      {true, {{allocate, 1, ENOSPC}}, false, false},
      {true, {{seek, 1, EIO}}, false, false},
      {true, {{write, 1, EIO}}, false, false},
      {true, {{truncate, 1, EIO}}, false, false},
      {true, {{sync, 1, EIO}}, false, false},
      {true, {{open, 2, EINTR}, {read, 1, EINTR}, {allocate, 1, EINTR}, {seek, 1, EINTR}, {write, 1, EINTR},
              {truncate, 1, EINTR}, {sync, 1, EINTR}, {close, 1, EINTR}},
       true, false},
      {false, {{write, 1, EIO}}, false, false},
      {false, {{sync, 1, EIO}}, false, false},
      {false, {{close, 2, EIO}}, false, false},
      {false, {{rename, 1, EIO}}, false, false},
      {false, {{rename, 1, EBUSY}}, true, false},
      {false, {{rename, 1, EXDEV}, {unlink, 1, EINTR}}, true, false},
      {false, {{open, 1, EINTR}, {other, 1, EINTR}, {open, 2, EINTR}, {write, 1, EINTR}, {sync, 1, EINTR},
               {close, 2, EINTR}, {rename, 1, EINTR}},
       true, true},
  };
  for (const std::string& old : {std::string("old"), std::string(4000, 'o')}) {
    for (std::size_t k = 0; k < std::size(cases); ++k) {
      SCOPED_TRACE("case " + std::to_string(k) + ", old text of " + std::to_string(old.size()));
      std::filesystem::remove(dir.file("link.txt"));
      writeFile(file, old);
      if (cases[k].linked) link(file.c_str(), dir.file("link.txt").c_str());
      const ino_t inode = inodeOf(file);
      const int answer = withFaults(cases[k].faults, [&] { return saveFile(file.c_str(), text); });
      EXPECT_EQ(answer == 0, cases[k].saved);
      EXPECT_EQ(readFile(file), cases[k].saved ? text : old);
      EXPECT_EQ(inodeOf(file) != inode, cases[k].replaced);
      for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        EXPECT_NE(entry.path().filename().string().front(), '.');
    }
  }
}

// A tree whose last line crosses the first block read: cut there, its last
// leaf would read as class 0 and the tree as complete.
TEST(ReadFaults, AReadThatFailsIsAFailureAndNeverTheEndOfTheFile) {
  using enum FileCall;
  const TempDir dir;
  const std::string file = dir.file("tree.txt");
  std::string tree = ">Pred: =  Case Index: 0  Case Value: 1\n\t^Class: 0\n";
  std::size_t lines = 3;
  for (; tree.size() < 65536 - 103; ++lines) tree += std::string(99, '#') + "\n";
  writeFile(file, tree + std::string(65536 - 4 - tree.size(), '#') + "\n\t^Class: 1");
  const struct {
    Fault fault;
    std::size_t line;  // of the failure, or 0 where the tree is read
  } cases[] = {{{read, 2, EIO}, lines + 1}, {{read, 1, EIO}, 1}, {{read, 2, EINTR}, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    Learner learner;
    learner.addExample({1}, 0);
    learner.learn();
    EXPECT_EQ(withFaults({c.fault}, [&] { return learner.load(file.c_str()); }), c.line == 0);
    EXPECT_EQ(learner.classify(std::vector<float>{0.0F}), c.line == 0 ? 1 : 0);
    const ViewRun view = withFaults({c.fault}, [&] { return runView({"--ascii", file}); });
    EXPECT_EQ(view.status, c.line == 0 ? 0 : 1);
    EXPECT_EQ(view.err, c.line == 0 ? "" : "treebench-view: " + file + ": line " + std::to_string(c.line) +
                                               ": read failed: Input/output error\n");
  }
}
