#pragma once
// Our layer over RE2: compiles a UTF-8 pattern with the options the regex
// objects use and finds its matches with their group bounds. A compiled
// pattern is immutable and safe to use from several threads at once.
//
// RE2 runs in time linear in the subject, so no page can hang a worker. Its
// "." never matches "\n", and there is no mode in which it would.

#include <cstddef>
#include <memory>
#include <string_view>
#include <vector>

namespace re2 {
class RE2;
}

namespace vellox::platform {

// Byte bounds of a group in the subject; `begin` is kNoSpan when the group took
// no part in the match.
struct RegexSpan {
  static constexpr size_t kNoSpan = static_cast<size_t>(-1);
  size_t begin = kNoSpan;
  size_t end = kNoSpan;
  bool matched() const { return begin != kNoSpan; }
};

class CompiledRegex {
 public:
  // nullptr when RE2 rejects the pattern. With `multiline`, "^" and "$" also
  // match at line feeds.
  static std::unique_ptr<CompiledRegex> Compile(std::string_view utf8_pattern, bool case_sensitive,
                                                bool multiline);
  ~CompiledRegex();
  CompiledRegex(const CompiledRegex&) = delete;
  CompiledRegex& operator=(const CompiledRegex&) = delete;

  int GroupCount() const { return group_count_; }

  // The non-overlapping matches left to right (only the first unless `all`),
  // GroupCount() + 1 spans per match, the whole match first. After an empty
  // match the search goes on one character further.
  std::vector<RegexSpan> FindMatches(std::string_view utf8_subject, bool all) const;

 private:
  explicit CompiledRegex(std::unique_ptr<re2::RE2> re2);

  std::unique_ptr<re2::RE2> re2_;
  int group_count_ = 0;
};

}  // namespace vellox::platform
