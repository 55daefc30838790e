#include "text/regex_object.h"

#include <string>
#include <vector>

#include "platform/code_page_converter.h"
#include "platform/regex_engine.h"

namespace vellox::text {
namespace detail {
namespace {

bool IsAscii(std::string_view s) {
  for (const char c : s) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

}  // namespace

// One run of one pattern over one subject. The subject is held as UTF-8, the
// form the engine matched; group texts go back to local text when read.
// A subject as given and as the engine reads it. Providers run several
// patterns over one page, so the next run reuses the conversion.
struct RegexSubject {
  LocalText local;
  std::string utf8;
};

class RegexRun {
 public:
  LocalText pattern;
  std::unique_ptr<const platform::CompiledRegex> program;  // none when rejected
  std::shared_ptr<const RegexSubject> held;
  std::string_view subject;  // held->utf8
  std::vector<platform::RegexSpan> spans;  // spans_per_match per match
  size_t spans_per_match = 1;
  int match_count = 0;

  const platform::RegexSpan* Span(int match, int group) const {
    if (match < 1 || match > match_count || group < 0 ||
        static_cast<size_t>(group) >= spans_per_match) {
      return nullptr;
    }
    const platform::RegexSpan& span =
        spans[static_cast<size_t>(match - 1) * spans_per_match + static_cast<size_t>(group)];
    return span.matched() ? &span : nullptr;
  }

  std::string_view Utf8Of(const platform::RegexSpan& span) const {
    return subject.substr(span.begin, span.end - span.begin);
  }

  LocalText Read(int match, int group, int* position) const {
    const platform::RegexSpan* span = Span(match, group);
    if (position) *position = span ? LocalOffset(span->begin) : -1;
    if (!span) return {};
    const std::string_view utf8 = Utf8Of(*span);
    // ASCII reads the same in both; most group texts are links and numbers.
    if (IsAscii(utf8)) return LocalText(utf8);
    return LocalText(ConvertCodePage(utf8, platform::CodePage::kUtf8, platform::CodePage::kGbk));
  }

  // Byte offset in the local subject of a UTF-8 offset; only `position` asks.
  int LocalOffset(size_t utf8_offset) const {
    return static_cast<int>(ConvertCodePage(subject.substr(0, utf8_offset),
                                            platform::CodePage::kUtf8, platform::CodePage::kGbk)
                                .size());
  }
};

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Appends the expansion of `replacement` for one match: $1..$99 (two digits
// when that group exists), $& the match, $` and $' the text before and after
// it, $$ a "$"; any other "$" stands for itself.
void AppendExpansion(const RegexRun& run, int match, std::string_view replacement,
                     std::string& out) {
  const platform::RegexSpan& whole = *run.Span(match, 0);
  const int groups = static_cast<int>(run.spans_per_match) - 1;
  auto append_group = [&](int group) {
    if (const platform::RegexSpan* span = run.Span(match, group)) out.append(run.Utf8Of(*span));
  };
  for (size_t i = 0; i < replacement.size(); ++i) {
    const char c = replacement[i];
    if (c != '$' || i + 1 >= replacement.size()) {
      out.push_back(c);
      continue;
    }
    const char next = replacement[i + 1];
    if (next == '$') {
      out.push_back('$');
      ++i;
    } else if (next == '&') {
      out.append(run.Utf8Of(whole));
      ++i;
    } else if (next == '`') {
      out.append(run.subject, 0, whole.begin);
      ++i;
    } else if (next == '\'') {
      out.append(run.subject, whole.end);
      ++i;
    } else if (IsDigit(next)) {
      const int one = next - '0';
      const int two = i + 2 < replacement.size() && IsDigit(replacement[i + 2])
                          ? one * 10 + (replacement[i + 2] - '0')
                          : 0;
      if (two >= 1 && two <= groups) {
        append_group(two);
        i += 2;
      } else if (one >= 1 && one <= groups) {
        append_group(one);
        ++i;
      } else {
        out.push_back('$');
      }
    } else {
      out.push_back('$');
    }
  }
}

}  // namespace
}  // namespace detail

RegexBase::RegexBase() = default;
RegexBase::~RegexBase() = default;
RegexBase::RegexBase(const RegexBase& other) = default;
RegexBase& RegexBase::operator=(const RegexBase& other) = default;

bool RegexBase::CreateRun(const LocalText& pattern, const LocalText& subject, bool caseSensitive,
                          bool multiline, bool global) {
  auto run = std::make_shared<detail::RegexRun>();
  run->pattern = pattern;
  run->program = platform::CompiledRegex::Compile(
      ConvertCodePage(pattern.view(), platform::CodePage::kGbk, platform::CodePage::kUtf8),
      caseSensitive, multiline);
  if (run->program) {
    if (run_ && run_->held && run_->held->local == subject) {
      run->held = run_->held;
    } else {
      run->held = std::make_shared<const detail::RegexSubject>(detail::RegexSubject{
          subject,
          ConvertCodePage(subject.view(), platform::CodePage::kGbk, platform::CodePage::kUtf8)});
    }
    run->subject = run->held->utf8;
    run->spans = run->program->FindMatches(run->subject, global);
    run->spans_per_match = static_cast<size_t>(run->program->GroupCount()) + 1;
    run->match_count = static_cast<int>(run->spans.size() / run->spans_per_match);
  }
  run_ = std::move(run);
  return run_->program != nullptr;
}

int RegexBase::MatchCount() const { return run_ ? run_->match_count : 0; }

LocalText RegexBase::MatchText(int match, int* position) const {
  if (!run_) {
    if (position) *position = -1;
    return {};
  }
  return run_->Read(match, 0, position);
}

LocalText RegexBase::SubMatchText(int match, int group, int* position) const {
  if (!run_ || group < 1) {
    if (position) *position = -1;
    return {};
  }
  return run_->Read(match, group, position);
}

int RegexBase::SubMatchCount() const {
  return MatchCount() > 0 ? static_cast<int>(run_->spans_per_match) - 1 : 0;
}

LocalText RegexBase::GetPattern() const { return run_ ? run_->pattern : LocalText(); }

LocalText RegexBase::Replace(const LocalText& replacement) const {
  if (!run_ || !run_->program) return {};
  const detail::RegexRun& run = *run_;
  const std::string utf8_replacement =
      ConvertCodePage(replacement.view(), platform::CodePage::kGbk, platform::CodePage::kUtf8);
  std::string out;
  out.reserve(run.subject.size());
  size_t copied = 0;
  for (int match = 1; match <= run.match_count; ++match) {
    const platform::RegexSpan& whole = *run.Span(match, 0);
    out.append(run.subject, copied, whole.begin - copied);
    detail::AppendExpansion(run, match, utf8_replacement, out);
    copied = whole.end;
  }
  out.append(run.subject, copied);
  return LocalText(ConvertCodePage(out, platform::CodePage::kUtf8, platform::CodePage::kGbk));
}

bool RegexObject::Create(const LocalText& pattern, const LocalText& subject, bool caseSensitive,
                         bool multiline, bool global, bool quoteEscape) {
  if (!quoteEscape) return CreateRun(pattern, subject, caseSensitive, multiline, global);
  static const LocalText kQuoteMarker = LocalText::FromUtf8("#引号");
  return CreateRun(ReplaceAll(pattern, kQuoteMarker, LocalText("\"")), subject, caseSensitive,
                   multiline, global);
}

bool RegexMatcher::Create(const LocalText& pattern, const LocalText& subject, bool caseSensitive,
                          bool multiline, bool global) {
  return CreateRun(pattern, subject, caseSensitive, multiline, global);
}

}  // namespace vellox::text
