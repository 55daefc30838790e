#include "text/encoding.h"

#include <optional>

#include "platform/code_page_converter.h"

namespace vellox::text {
namespace {

using platform::CodePage;

std::optional<CodePage> ToPlatform(int codePage) {
  switch (codePage) {
    case kCodePageSystemAnsi:
    case kCodePageLocal:
      return CodePage::kGbk;
    case kCodePageUtf8:
      return CodePage::kUtf8;
    default:
      return std::nullopt;
  }
}

constexpr char kHexDigits[] = "0123456789ABCDEF";

bool KeptPlain(unsigned char byte) {
  return (byte >= 0x2C && byte <= 0x39) || (byte >= 'A' && byte <= 'Z') ||
         (byte >= 'a' && byte <= 'z');
}

// The value of a percent escape's digit: its place in kHexDigits, -2 for a byte
// not in the table (a failed search's -1, less one as for every digit), and 0
// for a digit missing at the end of the text (an empty search text is found at
// position 1).
int HexDigitValue(std::string_view text, size_t at) {
  if (at >= text.size()) return 0;
  char c = text[at];
  if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  for (int i = 0; i < 16; ++i) {
    if (kHexDigits[i] == c) return i;
  }
  return -2;
}

}  // namespace

LocalText LocalText::FromUtf8(std::string_view utf8) { return Utf8ToLocal(LocalText(utf8)); }

std::string LocalText::ToUtf8() const { return LocalToUtf8(*this).bytes(); }

WideText TextToWide(const LocalText& text, int codePage) {
  const std::optional<CodePage> from = ToPlatform(codePage);
  if (!from) return {};
  WideText wide = platform::DecodeToUtf16(text.view(), *from);
  wide.push_back(u'\0');
  return wide;
}

LocalText WideToText(const WideText& wide, int codePage) {
  const std::optional<CodePage> to = ToPlatform(codePage);
  if (!to) return {};
  std::u16string_view units(wide);
  units = units.substr(0, units.find(u'\0'));
  return LocalText(platform::EncodeFromUtf16(units, *to));
}

WideText Utf8BytesToWide(const Bytes& utf8) {
  return platform::DecodeToUtf16(utf8, CodePage::kUtf8);
}

LocalText WideToLocal(const WideText& wide) {
  return LocalText(platform::EncodeFromUtf16(wide, CodePage::kGbk, /*compose_marks=*/true));
}

LocalText LocalToUtf8(const LocalText& text) {
  return WideToText(TextToWide(text, kCodePageLocal), kCodePageUtf8);
}

LocalText Utf8ToLocal(const LocalText& utf8) {
  return WideToText(TextToWide(utf8), kCodePageLocal);
}

LocalText Utf8BytesToLocal(const Bytes& utf8) { return WideToLocal(Utf8BytesToWide(utf8)); }

LocalText UrlEncode(const LocalText& text, bool keepPlain, bool asUtf8) {
  const std::string bytes = asUtf8 ? LocalToUtf8(text).bytes() : text.bytes();
  std::string out;
  out.reserve(bytes.size() * 3);
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (keepPlain && KeptPlain(byte)) {
      out.push_back(c);
    } else {
      out.push_back('%');
      out.push_back(kHexDigits[byte >> 4]);
      out.push_back(kHexDigits[byte & 0x0F]);
    }
  }
  return LocalText(out);
}

LocalText UrlDecode(const LocalText& text) {
  const std::string_view s = text.view();
  Bytes out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size();) {
    if (s[i] != '%') {
      out.push_back(s[i]);
      ++i;
      continue;
    }
    const int value = HexDigitValue(s, i + 1) * 16 + HexDigitValue(s, i + 2);
    const auto byte = static_cast<unsigned char>(value & 0xFF);
    if (byte != 0) out.push_back(static_cast<char>(byte));
    i += 3;
  }
  return Utf8BytesToLocal(out);
}

}  // namespace vellox::text
