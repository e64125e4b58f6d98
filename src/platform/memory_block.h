// Owns one block of memory from the platform. Every whole-file buffer,
// saved context and scratch buffer lives in one of these, named by its use,
// so that a test can make any one of them fail to be had.
#pragma once

#include <cstddef>
#include <string_view>
#include <utility>

#include "platform/platform.h"

namespace pirvex {

class MemoryBlock {
 public:
  MemoryBlock() = default;
  MemoryBlock(platform::Platform& platform, std::size_t size, platform::MemoryUse use,
              std::string_view subject = {})
      : platform_(&platform), data_(platform.obtainMemory(size, use, subject)) {}
  MemoryBlock(MemoryBlock&& other) noexcept
      : platform_(other.platform_), data_(std::exchange(other.data_, nullptr)) {}
  MemoryBlock& operator=(MemoryBlock&& other) noexcept {
    if (this != &other) {
      reset();
      platform_ = other.platform_;
      data_ = std::exchange(other.data_, nullptr);
    }
    return *this;
  }
  MemoryBlock(const MemoryBlock&) = delete;
  MemoryBlock& operator=(const MemoryBlock&) = delete;
  ~MemoryBlock() { reset(); }

  void reset() {
    if (data_) platform_->releaseMemory(data_);
    data_ = nullptr;
  }

  explicit operator bool() const { return data_ != nullptr; }
  char* bytes() const { return static_cast<char*>(data_); }
  void* data() const { return data_; }

 private:
  platform::Platform* platform_ = nullptr;
  void* data_ = nullptr;
};

// A block kept from one use to the next and obtained anew only when a use
// needs more than it holds: a block per use costs a call into the system's
// allocator each time.
class ReusableBlock {
 public:
  // At least `size` bytes, or nullptr when no block that large can be had.
  char* atLeast(platform::Platform& platform, std::size_t size, platform::MemoryUse use) {
    if (size > size_ || !block_) {
      block_.reset();  // given back before a larger one is asked for
      block_ = MemoryBlock(platform, size, use);
      size_ = block_ ? size : 0;
    }
    return block_.bytes();
  }

 private:
  MemoryBlock block_;
  std::size_t size_ = 0;
};

}  // namespace pirvex
