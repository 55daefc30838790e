#include "text/local_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vellox::text {
namespace {

// Code page 936 bytes of 中 (D6 D0), and a character whose trail byte is "A" (0x41).
const std::string kZhong = "\xD6\xD0";
const std::string kTrailA = "\x81\x41";
const std::string kFullSpace = "\xA1\xA1";

LocalText T(const std::string& s) { return LocalText(s); }

TEST(LocalTextTest, CutsAtFirstZeroByte) {
  EXPECT_EQ(LocalText(std::string_view("ab\0cd", 5)).bytes(), "ab");
  EXPECT_EQ(BytesAsText(std::string("\0x", 2)).size(), 0);
}

TEST(LocalTextTest, FindStepsOverDoubleByteCharacters) {
  struct Case {
    std::string text, what;
    int start, expected;
    const char* why;
  } cases[] = {
      {"abcabc", "c", 1, 3, "first occurrence"},
      {"abcabc", "c", 4, 6, "search from a later start"},
      {"abc", "x", 1, -1, "absent"},
      {kTrailA + "A", "A", 1, 3, "a trail byte never matches on its own"},
      {kZhong + "a", "a", 1, 3, "after a double-byte character"},
      {"abc", "", 1, 1, "empty text is found at the start"},
      {"abc", "a", 0, -1, "start below 1"},
      {"abc", "a", 5, -1, "start beyond the end"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    EXPECT_EQ(Find(T(c.text), T(c.what), c.start), c.expected);
  }
  EXPECT_EQ(FindIgnoreCase(T("xxABC"), T("abc")), 3);
  EXPECT_EQ(FindIgnoreCase(T(kTrailA), T("a")), -1) << "a trail byte is not a letter";
  EXPECT_EQ(Find(T("xxABC"), T("abc")), -1);
}

TEST(LocalTextTest, CutsGiveEmptyOutsideTheText) {
  EXPECT_EQ(Mid(T("abcdef"), 2, 3).bytes(), "bcd");
  EXPECT_EQ(Mid(T("abc"), 2, 30).bytes(), "bc");
  EXPECT_TRUE(Mid(T("abc"), 0, 2).empty());
  EXPECT_TRUE(Mid(T("abc"), 4, 1).empty());
  EXPECT_TRUE(Mid(T("abc"), 1, 0).empty());
  EXPECT_EQ(Left(T("abc"), 2).bytes(), "ab");
  EXPECT_EQ(Right(T("abc"), 2).bytes(), "bc");
  EXPECT_EQ(Right(T("abc"), 9).bytes(), "abc");
  EXPECT_TRUE(Left(T("abc"), -1).empty());
}

TEST(LocalTextTest, ReplaceIsLeftToRightWithoutOverlap) {
  EXPECT_EQ(ReplaceAll(T("aaaa"), T("aa"), T("b")).bytes(), "bb");
  EXPECT_EQ(ReplaceAll(T("aaa"), T("aa"), T("b")).bytes(), "ba");
  EXPECT_EQ(RemoveAll(T("x</b>y</b>"), T("</b>")).bytes(), "xy");
  EXPECT_EQ(ReplaceAll(T(kTrailA + "A"), T("A"), T("z")).bytes(), kTrailA + "z");
  EXPECT_EQ(ReplaceAllIgnoreCase(T("aXbx"), T("x"), T("-")).bytes(), "a-b-");
}

TEST(LocalTextTest, SplitKeepsEmptyPiecesButTheLast) {
  using V = std::vector<LocalText>;
  EXPECT_EQ(Split(T("a;;b;"), T(";")), (V{T("a"), T(""), T("b")}));
  EXPECT_EQ(Split(T(";a"), T(";")), (V{T(""), T("a")}));
  EXPECT_TRUE(Split(T(""), T(";")).empty());
  EXPECT_EQ(Split(T("a\r\nb\r\n"), T("\r\n")), (V{T("a"), T("b")}));
}

TEST(LocalTextTest, TrimRemovesOnlyAsciiAndFullWidthSpaces) {
  EXPECT_EQ(Trim(T("  abc  ")).bytes(), "abc");
  EXPECT_EQ(Trim(T(kFullSpace + "abc" + kFullSpace)).bytes(), "abc");
  EXPECT_EQ(Trim(T("\tabc\n")).bytes(), "\tabc\n");
  EXPECT_EQ(Trim(T("   ")).bytes(), "");
  // 0xB0 0xA1 is one character (啊): its trail byte starts no full-width space.
  EXPECT_EQ(Trim(T("\xB0\xA1\xA1")).bytes(), "\xB0\xA1\xA1");
}

TEST(LocalTextTest, CaseMappingTouchesAsciiLettersOnly) {
  EXPECT_EQ(ToUpper(T("post" + kTrailA)).bytes(), "POST" + kTrailA);
  EXPECT_EQ(ToLower(T("HTTP://A")).bytes(), "http://a");
}

TEST(LocalTextTest, NumbersBecomeShortDecimalText) {
  EXPECT_EQ(NumberText(int64_t{0}).bytes(), "0");
  EXPECT_EQ(NumberText(int64_t{-3}).bytes(), "-3");
  EXPECT_EQ(NumberText(1.5).bytes(), "1.5");
  EXPECT_EQ(NumberText(2.0).bytes(), "2");
}

}  // namespace
}  // namespace vellox::text
