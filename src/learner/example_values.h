#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <span>

// The attribute values of one example, in attribute order. Up to three are
// held in the record itself, which is every example the workbench makes, so
// a training set of them is one block with nothing else to allocate or
// free; a wider example keeps its values in a heap block of its own.
//
// Its size is fixed when it is made. Copies allocate before they change
// anything, so a failed allocation leaves every object as it was.
class ExampleValues {
 public:
  static constexpr std::size_t inlineCapacity = 3;

  ExampleValues() noexcept = default;
  ExampleValues(std::span<const float> values);  // NOLINT(google-explicit-constructor): a copy of a sequence
  ExampleValues(std::initializer_list<float> values)
      : ExampleValues(std::span<const float>(values.begin(), values.size())) {}
  ExampleValues(const ExampleValues& other)
      : ExampleValues(std::span<const float>(other.data(), other.size())) {}
  ExampleValues(ExampleValues&& other) noexcept;
  ExampleValues& operator=(const ExampleValues& other);
  ExampleValues& operator=(ExampleValues&& other) noexcept;
  ~ExampleValues() {
    if (onHeap()) release();
  }

  std::size_t size() const noexcept { return onHeap() ? heapSize() : count_; }
  bool empty() const noexcept { return size() == 0; }
  float* data() noexcept { return onHeap() ? heapData() : slots_; }
  const float* data() const noexcept { return onHeap() ? heapData() : slots_; }
  float& operator[](std::size_t i) noexcept { return data()[i]; }
  const float& operator[](std::size_t i) const noexcept { return data()[i]; }
  float* begin() noexcept { return data(); }
  float* end() noexcept { return data() + size(); }
  const float* begin() const noexcept { return data(); }
  const float* end() const noexcept { return data() + size(); }

 private:
  // `count_` of a heap block. `slots_` then holds the block's address in its
  // first eight bytes and the number of values in its last four, copied in
  // and out as bytes, so that the record needs only the floats' alignment.
  static constexpr std::uint8_t heapMark = 0xFF;

  bool onHeap() const noexcept { return count_ == heapMark; }
  float* heapData() const noexcept {
    float* block = nullptr;
    std::memcpy(&block, &slots_[0], sizeof block);
    return block;
  }
  std::size_t heapSize() const noexcept {
    std::uint32_t size = 0;
    std::memcpy(&size, &slots_[inlineCapacity - 1], sizeof size);
    return size;
  }
  void release() noexcept;
  void takeFrom(ExampleValues& other) noexcept;

  float slots_[inlineCapacity]{};
  std::uint8_t count_ = 0;
};
