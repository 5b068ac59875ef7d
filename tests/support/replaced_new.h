#pragma once
// Replaces the global allocation functions of the test program whose one
// file includes this; that program defines onAllocation(), which runs
// before every allocation. Replacements cannot live in a shared library of
// tests, since each program wants its own.
#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <new>

void onAllocation();

// Every byte asked for since the program started, for tests that bound
// what a piece of work allocates.
inline std::atomic<std::size_t> allocatedBytes{0};

// The replacements pair malloc with free; GCC takes the free inside the
// replaced delete for one that mismatches the replaced new.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

void* operator new(std::size_t size) {
  onAllocation();
  allocatedBytes += size;
  if (void* block = std::malloc(size != 0 ? size : 1)) return block;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }
