#include "text/local_text.h"

#include <charconv>
#include <cstring>

namespace vellox::text {
namespace {

constexpr unsigned char kLeadByteFloor = 0x80;

// Bytes a character starting at `i` occupies: a lead byte takes its trail with it.
inline int CharWidth(std::string_view s, size_t i) {
  return (static_cast<unsigned char>(s[i]) >= kLeadByteFloor && i + 1 < s.size()) ? 2 : 1;
}

inline bool IsFullWidthSpace(std::string_view s, size_t i) {
  return i + 1 < s.size() && static_cast<unsigned char>(s[i]) == 0xA1 &&
         static_cast<unsigned char>(s[i + 1]) == 0xA1;
}

// 0-based offset of the first occurrence of `what` at a character boundary at or
// after byte offset `from` (itself assumed to be a boundary), or npos.
size_t FindOffset(std::string_view text, std::string_view what, size_t from) {
  if (what.empty()) return from <= text.size() ? from : std::string_view::npos;
  if (what.size() > text.size()) return std::string_view::npos;
  const size_t last = text.size() - what.size();
  size_t i = from;
  while (i <= last) {
    if (text[i] == what[0] && std::memcmp(text.data() + i, what.data(), what.size()) == 0) {
      return i;
    }
    i += CharWidth(text, i);
  }
  return std::string_view::npos;
}

// Offset of byte position `start` (1-based), moved forward onto a character
// boundary, or npos when the start is out of range.
size_t StartOffset(std::string_view text, int start) {
  if (start < 1 || static_cast<size_t>(start) > text.size() + 1) return std::string_view::npos;
  const size_t target = static_cast<size_t>(start - 1);
  size_t i = 0;
  while (i < target) i += CharWidth(text, i);
  return i;
}

std::string CaseMapped(std::string_view s, bool upper) {
  std::string out(s);
  for (size_t i = 0; i < out.size();) {
    const int width = CharWidth(out, i);
    if (width == 1) {
      char& c = out[i];
      if (upper && c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
      if (!upper && c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    i += width;
  }
  return out;
}

std::string ReplaceIn(std::string_view haystack_for_search, std::string_view original,
                      std::string_view from, std::string_view to) {
  if (from.empty() || original.empty()) return std::string(original);
  std::string out;
  out.reserve(original.size());
  size_t copied = 0;
  size_t at = FindOffset(haystack_for_search, from, 0);
  while (at != std::string_view::npos) {
    out.append(original, copied, at - copied);
    out.append(to);
    copied = at + from.size();
    at = FindOffset(haystack_for_search, from, copied);
  }
  out.append(original, copied, std::string_view::npos);
  return out;
}

}  // namespace

LocalText::LocalText(std::string_view bytes) : bytes_(bytes.substr(0, bytes.find('\0'))) {}

LocalText BytesAsText(const Bytes& bytes) { return LocalText(std::string_view(bytes)); }

int Find(const LocalText& text, const LocalText& what, int start) {
  const size_t from = StartOffset(text.view(), start);
  if (from == std::string_view::npos) return -1;
  const size_t at = FindOffset(text.view(), what.view(), from);
  return at == std::string_view::npos ? -1 : static_cast<int>(at) + 1;
}

int FindIgnoreCase(const LocalText& text, const LocalText& what, int start) {
  return Find(ToLower(text), ToLower(what), start);
}

LocalText Left(const LocalText& text, int count) {
  if (count < 1 || text.empty()) return {};
  return LocalText(text.view().substr(0, static_cast<size_t>(count)));
}

LocalText Right(const LocalText& text, int count) {
  if (count < 1 || text.empty()) return {};
  const size_t n = std::min(static_cast<size_t>(count), text.view().size());
  return LocalText(text.view().substr(text.view().size() - n));
}

LocalText Mid(const LocalText& text, int start, int count) {
  if (start < 1 || count < 1 || start > text.size()) return {};
  return LocalText(text.view().substr(static_cast<size_t>(start - 1), static_cast<size_t>(count)));
}

LocalText MidToEnd(const LocalText& text, int start) {
  if (start < 1 || start > text.size()) return {};
  return LocalText(text.view().substr(static_cast<size_t>(start - 1)));
}

LocalText ReplaceAll(const LocalText& text, const LocalText& from, const LocalText& to) {
  return LocalText(ReplaceIn(text.view(), text.view(), from.view(), to.view()));
}

LocalText ReplaceAllIgnoreCase(const LocalText& text, const LocalText& from, const LocalText& to) {
  // Case mapping keeps every byte offset, so the folded text locates the matches.
  const std::string folded = CaseMapped(text.view(), false);
  const std::string folded_from = CaseMapped(from.view(), false);
  return LocalText(ReplaceIn(folded, text.view(), folded_from, to.view()));
}

std::vector<LocalText> Split(const LocalText& text, const LocalText& separator) {
  std::vector<LocalText> pieces;
  if (text.empty()) return pieces;
  if (separator.empty()) {
    pieces.push_back(text);
    return pieces;
  }
  const std::string_view s = text.view();
  size_t begin = 0;
  for (size_t at = FindOffset(s, separator.view(), 0); at != std::string_view::npos;
       at = FindOffset(s, separator.view(), begin)) {
    pieces.emplace_back(s.substr(begin, at - begin));
    begin = at + separator.view().size();
  }
  if (begin < s.size()) pieces.emplace_back(s.substr(begin));
  return pieces;
}

LocalText Trim(const LocalText& text) {
  const std::string_view s = text.view();
  size_t begin = 0;
  while (begin < s.size()) {
    if (s[begin] == ' ') {
      ++begin;
    } else if (IsFullWidthSpace(s, begin)) {
      begin += 2;
    } else {
      break;
    }
  }
  // Walk the character grid so a trail byte 0xA1 is never mistaken for a blank.
  size_t end = begin;
  for (size_t i = begin; i < s.size();) {
    const int width = CharWidth(s, i);
    const bool blank = s[i] == ' ' || IsFullWidthSpace(s, i);
    i += width;
    if (!blank) end = i;
  }
  return LocalText(s.substr(begin, end - begin));
}

LocalText RemoveBlanks(const LocalText& text) {
  const std::string_view s = text.view();
  std::string out;
  for (size_t i = 0; i < s.size();) {
    const int width = CharWidth(s, i);
    if (!(s[i] == ' ' || IsFullWidthSpace(s, i))) out.append(s.substr(i, width));
    i += width;
  }
  return LocalText(out);
}

LocalText ToUpper(const LocalText& text) { return LocalText(CaseMapped(text.view(), true)); }
LocalText ToLower(const LocalText& text) { return LocalText(CaseMapped(text.view(), false)); }

LocalText NumberText(int64_t value) { return LocalText(std::to_string(value)); }

LocalText NumberText(double value) {
  char buffer[400];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
  return LocalText(std::string_view(buffer, static_cast<size_t>(result.ptr - buffer)));
}

}  // namespace vellox::text
