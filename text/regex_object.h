#pragma once
// Regular-expression objects: one pattern run over one subject, the matches kept
// and read back by 1-based match and group numbers. The engine is RE2 (linear
// time on any input, so no page can hang a worker). Local text goes to the
// engine as UTF-8, so "." matches one Chinese character; texts come back local.
//
// Semantics: case-insensitive unless `caseSensitive`; multi-line ("^"/"$" at
// line breaks) unless told otherwise; global (all non-overlapping matches left
// to right) unless told otherwise; "." never matches a line feed. A rejected
// pattern makes Create false and every read empty or 0. A group that took no
// part reads as empty.
//
// An object belongs to one thread at a time; objects are cheap to create.

#include <memory>

#include "text/local_text.h"

namespace vellox::text {

namespace detail {
class RegexRun;  // the compiled pattern, the subject and the match list
}

// The operations both object kinds share; they differ only in Create's options.
class RegexBase {
 public:
  RegexBase();
  ~RegexBase();
  RegexBase(const RegexBase& other);
  RegexBase& operator=(const RegexBase& other);

  int MatchCount() const;
  // `position`, when given, receives the 0-based byte offset in the subject.
  LocalText MatchText(int match, int* position = nullptr) const;
  LocalText SubMatchText(int match, int group, int* position = nullptr) const;
  // Capture groups of the first match; 0 when nothing matched.
  int SubMatchCount() const;
  LocalText GetPattern() const;
  // The subject with the matches replaced (all of them when global). The
  // replacement may use $1..$99, $& (the match), $` and $' and $$ (a "$").
  LocalText Replace(const LocalText& replacement) const;

 protected:
  bool CreateRun(const LocalText& pattern, const LocalText& subject, bool caseSensitive,
                 bool multiline, bool global);

 private:
  std::shared_ptr<const detail::RegexRun> run_;
};

class RegexObject : public RegexBase {
 public:
  // With `quoteEscape`, each "#引号" in the pattern stands for a double quote.
  bool Create(const LocalText& pattern, const LocalText& subject, bool caseSensitive = false,
              bool multiline = true, bool global = true, bool quoteEscape = false);
};

class RegexMatcher : public RegexBase {
 public:
  bool Create(const LocalText& pattern, const LocalText& subject, bool caseSensitive = false,
              bool multiline = true, bool global = true);
};

}  // namespace vellox::text
