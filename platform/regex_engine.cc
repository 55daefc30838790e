#include "platform/regex_engine.h"

#include <re2/re2.h>

#include <string>

namespace vellox::platform {
namespace {

// Bytes of the UTF-8 character starting at `at`; 1 for a stray byte.
size_t Utf8CharLength(std::string_view s, size_t at) {
  const auto lead = static_cast<unsigned char>(s[at]);
  size_t length = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
  return std::min(length, s.size() - at);
}

}  // namespace

CompiledRegex::CompiledRegex(std::unique_ptr<re2::RE2> re2)
    : re2_(std::move(re2)), group_count_(re2_->NumberOfCapturingGroups()) {}

CompiledRegex::~CompiledRegex() = default;

std::unique_ptr<CompiledRegex> CompiledRegex::Compile(std::string_view utf8_pattern,
                                                      bool case_sensitive, bool multiline) {
  RE2::Options options;
  options.set_case_sensitive(case_sensitive);
  options.set_log_errors(false);
  // Room for the DFA on pages of several megabytes; past it RE2 falls back to
  // its (still linear) NFA.
  options.set_max_mem(64 << 20);
  std::string pattern = multiline ? "(?m)" : "";
  pattern.append(utf8_pattern);
  auto re2 = std::make_unique<re2::RE2>(pattern, options);
  if (!re2->ok()) return nullptr;
  return std::unique_ptr<CompiledRegex>(new CompiledRegex(std::move(re2)));
}

std::vector<RegexSpan> CompiledRegex::FindMatches(std::string_view utf8_subject, bool all) const {
  const size_t spans_per_match = static_cast<size_t>(group_count_) + 1;
  std::vector<re2::StringPiece> groups(spans_per_match);
  std::vector<RegexSpan> spans;
  // A null subject pointer would make an empty group at its start look as if
  // it took no part.
  const re2::StringPiece subject(utf8_subject.data() ? utf8_subject.data() : "",
                                 utf8_subject.size());
  size_t from = 0;
  while (from <= subject.size()) {
    // Match() looks at the whole subject for "^", "$" and "\b" but searches
    // only from `from`, and finds each match's bounds before it extracts the
    // groups of that match alone: linear over the page.
    if (!re2_->Match(subject, from, subject.size(), RE2::UNANCHORED, groups.data(),
                     static_cast<int>(spans_per_match))) {
      break;
    }
    for (const re2::StringPiece& group : groups) {
      RegexSpan span;
      if (group.data() != nullptr) {
        span.begin = static_cast<size_t>(group.data() - subject.data());
        span.end = span.begin + group.size();
      }
      spans.push_back(span);
    }
    if (!all) break;
    const size_t end = static_cast<size_t>(groups[0].data() - subject.data()) + groups[0].size();
    if (!groups[0].empty()) {
      from = end;
    } else if (end < subject.size()) {
      from = end + Utf8CharLength(utf8_subject, end);
    } else {
      break;
    }
  }
  return spans;
}

}  // namespace vellox::platform
