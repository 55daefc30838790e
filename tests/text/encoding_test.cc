#include "text/encoding.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <cstdio>
#include <string>

namespace vellox::text {
namespace {

// Code page 936 bytes of 中 (U+4E2D) and its UTF-8 bytes.
const std::string kZhong = "\xD6\xD0";
const std::string kZhongUtf8 = "\xE4\xB8\xAD";

LocalText T(const std::string& s) { return LocalText(s); }

std::string Hex(const std::string& s) {
  std::string out;
  char buffer[4];
  for (const char c : s) {
    std::snprintf(buffer, sizeof buffer, "%02X ", static_cast<unsigned char>(c));
    out += buffer;
  }
  return out;
}

TEST(UrlEncodeTest, EncodesAsTheSitesExpect) {
  struct Case {
    std::string text;
    bool keep_plain, as_utf8;
    std::string expected;
    const char* why;
  } cases[] = {
      {"a b/c", true, false, "a%20b/c", "space is %20, never +; / stays"},
      {kZhong, true, true, "%E4%B8%AD", "a Chinese character goes out as UTF-8"},
      {kZhong, true, false, "%D6%D0", "or as its local bytes"},
      {",-./09AZaz", true, false, ",-./09AZaz", "the plain ranges stay"},
      {",-./09AZaz", false, false, "%2C%2D%2E%2F%30%39%41%5A%61%7A", "without keepPlain all goes"},
      {"+:[{_~", true, true, "%2B%3A%5B%7B%5F%7E", "bytes just outside the plain ranges"},
      {"\n", true, true, "%0A", "values below 0x10 get a leading zero"},
      {"\x80", true, true, "%E2%82%AC", "0x80 is the euro sign"},
      {"", true, true, "", "empty stays empty"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    EXPECT_EQ(UrlEncode(T(c.text), c.keep_plain, c.as_utf8).bytes(), c.expected);
  }
}

TEST(UrlEncodeTest, EveryByteValue) {
  for (int value = 1; value < 256; ++value) {
    SCOPED_TRACE(value);
    const std::string byte(1, static_cast<char>(value));
    char escaped[4];
    std::snprintf(escaped, sizeof escaped, "%%%02X", value);
    EXPECT_EQ(UrlEncode(T(byte)).bytes(), escaped);
    const bool plain = (value >= 0x2C && value <= 0x39) || (value >= 'A' && value <= 'Z') ||
                       (value >= 'a' && value <= 'z');
    EXPECT_EQ(UrlEncode(T(byte), true).bytes(), plain ? byte : std::string(escaped));
  }
}

TEST(UrlDecodeTest, DecodesEscapesThenReadsUtf8) {
  struct Case {
    std::string text, expected;
    const char* why;
  } cases[] = {
      {"%e4%b8%ad", kZhong, "lower-case hex digits"},
      {"%E4%B8%AD", kZhong, "upper-case hex digits"},
      {"a+b%2Fc", "a+b/c", "+ is not a space"},
      {kZhongUtf8 + "x", kZhong + "x", "raw UTF-8 is read as such"},
      {"ab%", "ab", "a lone % at the end gives a zero byte, which vanishes"},
      {"a%4", "a@", "a missing last digit counts as 0"},
      {"%%41", "?1", "% is no digit: -2 * 16 + 4 = 0xE4, a stray UTF-8 lead byte"},
      {"%G1z", "?z", "a non-digit counts as -2: 0xE1, a stray UTF-8 lead byte"},
      {"%00a", "a", "an escaped zero appends nothing"},
      {"%3", "0", "one digit at the very end"},
      {"e%CC%81", "\xA8\xA6", "a base letter and a combining accent compose (e acute)"},
      {"", "", "empty stays empty"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    EXPECT_EQ(Hex(UrlDecode(T(c.text)).bytes()), Hex(c.expected));
  }
}

TEST(CodePageTest, ConvertsBetweenLocalAndUtf8) {
  struct Case {
    std::string utf8, local;
    const char* why;
  } cases[] = {
      {"", "", "empty"},
      {"abc " + kZhongUtf8, "abc " + kZhong, "ASCII and a Chinese character"},
      {"\xE2\x82\xAC", "\x80", "the euro sign is the single byte 0x80"},
      {"\xE3\x80\x80", "\xA1\xA1", "the full-width space"},
      {"a\xEA\xB0\x80" "b", "a?b", "a Hangul syllable code page 936 lacks becomes ?"},
      {"a\xF0\x9F\x98\x80" "b", "a?b", "a character beyond the BMP is one ?"},
      {"a\xFF" "b", "a?b", "an ill-formed UTF-8 byte becomes ?"},
      {"e\xCC\x81", "e?", "page bodies convert without composing"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    EXPECT_EQ(Hex(Utf8ToLocal(T(c.utf8)).bytes()), Hex(c.local));
    EXPECT_EQ(Hex(LocalText::FromUtf8(c.utf8).bytes()), Hex(c.local));
    if (c.local.find('?') == std::string::npos) {
      EXPECT_EQ(Hex(LocalToUtf8(T(c.local)).bytes()), Hex(c.utf8));
      EXPECT_EQ(Hex(T(c.local).ToUtf8()), Hex(c.utf8));
    }
  }
}

TEST(CodePageTest, WideConverters) {
  EXPECT_EQ(TextToWide(T("a" + kZhongUtf8)), std::u16string(u"a\u4E2D\0", 3))
      << "keeps the terminating zero unit";
  EXPECT_EQ(TextToWide(T(kZhong), kCodePageLocal), std::u16string(u"\u4E2D\0", 2));
  EXPECT_EQ(TextToWide(T("")), std::u16string(1, u'\0'));
  EXPECT_EQ(Utf8BytesToWide(std::string("a\0b", 3)), std::u16string(u"a\0b", 3))
      << "converts exactly the bytes, zero included, no terminator";
  EXPECT_EQ(WideToText(std::u16string(u"\u4E2D\0x", 3)).bytes(), kZhong)
      << "stops at the first zero unit; code page 0 is 936";
  EXPECT_EQ(WideToText(u"\u4E2D", kCodePageUtf8).bytes(), kZhongUtf8);
  EXPECT_EQ(WideToLocal(std::u16string(u"a\0b", 3)).bytes(), "a") << "read as text";
  EXPECT_TRUE(WideToText(u"abc", 1252).empty()) << "a code page we do not have";
  EXPECT_TRUE(TextToWide(T("abc"), 1252).empty());
}

TEST(CodePageTest, WideToLocalComposesWhereCodePage936HasTheCharacter) {
  struct Case {
    std::u16string wide;
    std::string local;
    const char* why;
  } cases[] = {
      {u"e\u0301x", "\xA8\xA6x", "e + acute is e acute"},
      {u"\u304B\u3099", "\xA4\xAC", "hiragana ka + voiced mark is ga"},
      {u"u\u0308\u0301", "\xA8\xB6", "u + diaeresis + acute compose step by step (pinyin)"},
      {u"e\u0302\u0301", "\xA8\xBA?", "e circumflex exists, e circumflex acute does not"},
      {u"x\u0301", "x?", "no precomposed x acute: the mark stays and becomes ?"},
      {u"\xD800" "a", "?a", "a lone surrogate becomes ?"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    EXPECT_EQ(Hex(WideToLocal(c.wide).bytes()), Hex(c.local));
  }
}

// Our table against an independent converter: glibc iconv's CP936, over every
// double-byte code both define (iconv leaves out the user-defined areas, which
// map to private-use characters) and the single bytes up to 0x80.
TEST(CodePageTest, MatchesIconvCp936) {
  iconv_t iconv_cp936 = iconv_open("UTF-8", "CP936");
  ASSERT_NE(iconv_cp936, reinterpret_cast<iconv_t>(-1));
  int compared = 0;
  auto compare = [&](const std::string& local) {
    char out[8];
    char* in_ptr = const_cast<char*>(local.data());
    size_t in_left = local.size();
    char* out_ptr = out;
    size_t out_left = sizeof out;
    iconv(iconv_cp936, nullptr, nullptr, nullptr, nullptr);
    if (iconv(iconv_cp936, &in_ptr, &in_left, &out_ptr, &out_left) == static_cast<size_t>(-1)) {
      return;
    }
    const std::string utf8(out, sizeof out - out_left);
    ++compared;
    EXPECT_EQ(Hex(LocalToUtf8(T(local)).bytes()), Hex(utf8)) << Hex(local);
    EXPECT_EQ(Hex(Utf8ToLocal(T(utf8)).bytes()), Hex(local)) << Hex(local);
  };
  for (int byte = 1; byte <= 0x80; ++byte) compare(std::string(1, static_cast<char>(byte)));
  for (int lead = 0x81; lead <= 0xFE; ++lead) {
    for (int trail = 0x40; trail <= 0xFE; ++trail) {
      if (trail == 0x7F) continue;
      compare(std::string{static_cast<char>(lead), static_cast<char>(trail)});
    }
  }
  iconv_close(iconv_cp936);
  EXPECT_GT(compared, 21000) << "iconv should define the whole of GBK";
}

}  // namespace
}  // namespace vellox::text
