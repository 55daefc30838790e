#pragma once
// Local text: code page 936 bytes, the one text type inside Vellox, and the
// primitives every routine uses on it. Values are plain and thread-compatible.
//
// Positions are 1-based byte positions, lengths byte counts. Searches step over
// double-byte characters: a byte of 0x80 or more takes the next byte with it, so
// a match is only ever found at a character boundary.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vellox::text {

// A counted byte buffer that may hold zero bytes (a response body, say).
using Bytes = std::string;

class LocalText {
 public:
  LocalText() = default;
  // Takes `bytes` as code page 936 text up to its first zero byte.
  explicit LocalText(std::string_view bytes);
  explicit LocalText(const char* bytes) : LocalText(std::string_view(bytes ? bytes : "")) {}

  // A UTF-8 literal or UTF-8 input turned into local text (ICU, "?" for what
  // code page 936 lacks). Use once per literal, e.g. a function-local static.
  static LocalText FromUtf8(std::string_view utf8);

  const std::string& bytes() const { return bytes_; }
  std::string_view view() const { return bytes_; }
  const char* c_str() const { return bytes_.c_str(); }
  int size() const { return static_cast<int>(bytes_.size()); }
  bool empty() const { return bytes_.empty(); }
  // The text as UTF-8, for the command-line edge and diagnostics.
  std::string ToUtf8() const;

  LocalText& operator+=(const LocalText& other) {
    bytes_ += other.bytes_;
    return *this;
  }
  friend LocalText operator+(LocalText a, const LocalText& b) { return a += b; }
  friend bool operator==(const LocalText& a, const LocalText& b) = default;

 private:
  std::string bytes_;
};

// Bytes taken as text: up to the first zero byte.
LocalText BytesAsText(const Bytes& bytes);
// Text as bytes, without a terminator.
inline Bytes TextAsBytes(const LocalText& text) { return text.bytes(); }

// First occurrence of `what` at or after byte position `start`, or -1. An empty
// `what` is found at `start` when `start` lies within 1 .. size + 1.
int Find(const LocalText& text, const LocalText& what, int start = 1);
// As Find, ignoring the case of ASCII letters.
int FindIgnoreCase(const LocalText& text, const LocalText& what, int start = 1);
inline bool Contains(const LocalText& text, const LocalText& what) {
  return Find(text, what) != -1;
}

// Byte cuts. Empty for a count below 1, or a start below 1 or beyond the end.
LocalText Left(const LocalText& text, int count);
LocalText Right(const LocalText& text, int count);
LocalText Mid(const LocalText& text, int start, int count);
// Everything from `start` to the end.
LocalText MidToEnd(const LocalText& text, int start);

// Every non-overlapping occurrence, left to right, at character boundaries.
LocalText ReplaceAll(const LocalText& text, const LocalText& from, const LocalText& to);
LocalText ReplaceAllIgnoreCase(const LocalText& text, const LocalText& from, const LocalText& to);
inline LocalText RemoveAll(const LocalText& text, const LocalText& what) {
  return ReplaceAll(text, what, LocalText());
}

// Pieces between separators; empty pieces stay except an empty last one; an
// empty text gives no pieces. An empty separator gives the whole text.
std::vector<LocalText> Split(const LocalText& text, const LocalText& separator);

// Removes the ASCII space and the full-width space (0xA1 0xA1) at both ends.
LocalText Trim(const LocalText& text);
// Removes every ASCII space, and every full-width space, anywhere.
LocalText RemoveBlanks(const LocalText& text);

// ASCII letters only; double-byte characters are left alone.
LocalText ToUpper(const LocalText& text);
LocalText ToLower(const LocalText& text);

// Decimal text: no leading zeros, no trailing fractional zeros ("1", "-3", "0.5").
LocalText NumberText(int64_t value);
LocalText NumberText(double value);

}  // namespace vellox::text
