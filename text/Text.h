#pragma once

#include <compare>
#include <string>
#include <string_view>
#include <utility>

namespace tovrenic {

// A string of GBK (code page 936) bytes that never holds a zero byte. Empty and missing text
// are the same value. Positions used with Text are 1-based byte positions.
class Text {
 public:
  Text() = default;
  // Takes the bytes up to, not including, the first zero byte.
  Text(const char* bytes);  // NOLINT(google-explicit-constructor): literals read naturally
  explicit Text(std::string_view bytes);
  explicit Text(std::string&& bytes);

  const std::string& str() const { return bytes_; }
  std::string_view view() const { return bytes_; }
  const char* data() const { return bytes_.data(); }
  std::size_t size() const { return bytes_.size(); }
  bool empty() const { return bytes_.empty(); }

  Text& operator+=(const Text& other) {
    bytes_ += other.bytes_;
    return *this;
  }
  void reserve(std::size_t n) { bytes_.reserve(n); }
  friend Text operator+(Text a, const Text& b) { return a += b; }
  friend bool operator==(const Text&, const Text&) = default;
  friend auto operator<=>(const Text&, const Text&) = default;

 private:
  std::string bytes_;
};

// Bytes of any value, zero included.
class Bytes {
 public:
  Bytes() = default;
  explicit Bytes(std::string_view bytes) : bytes_(bytes) {}
  explicit Bytes(std::string&& bytes) : bytes_(std::move(bytes)) {}

  const std::string& str() const { return bytes_; }
  std::string_view view() const { return bytes_; }
  const char* data() const { return bytes_.data(); }
  std::size_t size() const { return bytes_.size(); }
  bool empty() const { return bytes_.empty(); }

  Bytes& operator+=(std::string_view more) {
    bytes_ += more;
    return *this;
  }
  void reserve(std::size_t n) { bytes_.reserve(n); }

  friend bool operator==(const Bytes&, const Bytes&) = default;

 private:
  std::string bytes_;
};

}  // namespace tovrenic
