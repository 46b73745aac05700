#pragma once

// Cuts a fuzzer's input into the arguments of the routines under test: a few leading control
// bytes (flags and small integers), then texts separated by zero bytes, the one byte a Text never
// holds. Bytes past the end read as zero and texts past the end as empty, so every input is a
// valid call, and a seed file can be written by hand: flags, integers, then the texts.

#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace tovrenic::fuzz {

class FuzzInput {
 public:
  FuzzInput(const std::uint8_t* data, std::size_t size)
      : rest_(reinterpret_cast<const char*>(data), size) {}

  std::uint8_t Byte() {
    if (rest_.empty()) return 0;
    const auto byte = static_cast<std::uint8_t>(rest_.front());
    rest_.remove_prefix(1);
    return byte;
  }

  // A position or count from two bytes (little-endian, signed). Most values lie near the texts;
  // the two extremes stand for INT_MIN and INT_MAX, which the primitives must take as well.
  int Integer() {
    const std::uint16_t low = Byte();
    const std::uint16_t high = Byte();
    const auto value = static_cast<std::int16_t>(static_cast<std::uint16_t>(low | (high << 8)));
    if (value == INT16_MIN) return INT_MIN;
    if (value == INT16_MAX) return INT_MAX;
    return value;
  }

  // The bytes up to the next zero byte, which is consumed.
  std::string Field() {
    const std::size_t zero = rest_.find('\0');
    const std::string_view field = rest_.substr(0, zero);
    rest_.remove_prefix(zero == std::string_view::npos ? rest_.size() : zero + 1);
    return std::string(field);
  }

  // Everything not read yet, zero bytes included.
  std::string Rest() {
    const std::string rest(rest_);
    rest_ = {};
    return rest;
  }

 private:
  std::string_view rest_;
};

inline std::string Printable(std::string_view bytes) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out = "\"";
  for (const char c : bytes) {
    const auto u = static_cast<unsigned char>(c);
    if (u >= 0x20 && u < 0x7F && c != '"' && c != '\\') {
      out += c;
    } else {
      out += "\\x";
      out += kHex[u >> 4];
      out += kHex[u & 0xF];
    }
  }
  return out + "\"";
}

// A broken property: says which, and aborts so that libFuzzer keeps the input as a crash.
[[noreturn]] inline void Fail(const std::string& what) {
  std::fprintf(stderr, "\n*** %s\n", what.c_str());
  std::abort();
}

}  // namespace tovrenic::fuzz
