// A growable byte buffer for output lines. Unlike std::string it hands out room to
// write into without filling it first: record lines reserve their worst case, write
// through a pointer and keep what they used.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>

namespace h7 {

class ByteBuffer {
 public:
  std::size_t size() const { return size_; }
  const char* data() const { return data_.get(); }
  std::string_view view() const { return {data_.get(), size_}; }
  void clear() { size_ = 0; }
  void truncate(std::size_t size) { size_ = size < size_ ? size : size_; }

  // Room for at least `n` more bytes at the end; write into it, then call commit.
  char* room(std::size_t n) {
    if (capacity_ - size_ < n) grow(size_ + n);
    return data_.get() + size_;
  }
  void commit(const char* end) { size_ = std::size_t(end - data_.get()); }

  void push_back(char c) { *room(1) = c, ++size_; }
  void append(const char* p, std::size_t n) {
    if (n == 0) return;  // an empty view may hold no pointer at all
    std::memcpy(room(n), p, n);
    size_ += n;
  }
  void append(std::string_view s) { append(s.data(), s.size()); }

 private:
  struct Free {
    void operator()(char* p) const { std::free(p); }
  };
  using Storage = std::unique_ptr<char[], Free>;
  // `cap` bytes; large ones in huge pages where the system has them (byte_buffer.cpp).
  static Storage allocate(std::size_t cap);

  void grow(std::size_t need) {
    const std::size_t cap = std::max(need, capacity_ ? capacity_ * 2 : 4096);
    Storage bigger = allocate(cap);
    if (size_) std::memcpy(bigger.get(), data_.get(), size_);
    data_ = std::move(bigger);
    capacity_ = cap;
  }

  Storage data_;
  std::size_t size_ = 0, capacity_ = 0;
};

}  // namespace h7
