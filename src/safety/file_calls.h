#pragma once

#include <cerrno>

// Every file call of the core and the tools goes through here, so that an
// interruption by a signal (EINTR) is never taken for a failure, and so
// that the tests can make any of the calls fail where no real disk would.

enum class FileCall { open, read, write, seek, allocate, truncate, sync, close, rename, unlink, other };

// The tests' seam, null in the programs: asked before each attempt of a
// call, an answer other than 0 makes the attempt fail with that error
// number instead of being made.
inline int (*fileFault)(FileCall) = nullptr;

inline int injectedFault(FileCall kind) { return fileFault != nullptr ? fileFault(kind) : 0; }

// Makes `call`, which answers -1 and sets errno on failure, until it is not
// interrupted.
template <typename Call>
auto retried(FileCall kind, Call call) {
  for (;;) {
    const int fault = injectedFault(kind);
    if (fault != 0) errno = fault;
    const auto result = fault != 0 ? decltype(call())(-1) : call();
    if (result != -1 || errno != EINTR) return result;
  }
}

// Closes `fd`. Linux releases a descriptor even when its close is
// interrupted, so the EBADF of the retry then means it is closed.
bool closeFile(int fd);
