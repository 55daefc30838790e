#include "platform/code_page_converter.h"

#include <unicode/uchar.h>
#include <unicode/ucnv.h>
#include <unicode/unorm2.h>
#include <unicode/uset.h>
#include <unicode/ustring.h>
#include <unicode/utf16.h>

#include <memory>

namespace vellox::platform {
namespace {

constexpr char kGbkConverterName[] = "windows-936";
constexpr UChar32 kReplacement = 0xFFFD;

struct ConverterCloser {
  void operator()(UConverter* converter) const { ucnv_close(converter); }
};
using ConverterPtr = std::unique_ptr<UConverter, ConverterCloser>;

ConverterPtr OpenGbk() {
  UErrorCode status = U_ZERO_ERROR;
  ConverterPtr converter(ucnv_open(kGbkConverterName, &status));
  if (U_FAILURE(status)) return nullptr;
  ucnv_setSubstChars(converter.get(), "?", 1, &status);
  return converter;
}

// ICU converters keep state and are not thread-safe: one per thread, reused.
UConverter* ThreadGbk() {
  thread_local ConverterPtr converter = OpenGbk();
  if (converter) ucnv_reset(converter.get());
  return converter.get();
}

// The characters code page 936 maps both ways; frozen, so any thread may read it.
const USet* GbkRoundTripSet() {
  static const USet* const set = [] {
    UErrorCode status = U_ZERO_ERROR;
    USet* s = uset_openEmpty();
    ConverterPtr converter = OpenGbk();
    if (converter) ucnv_getUnicodeSet(converter.get(), s, UCNV_ROUNDTRIP_SET, &status);
    uset_freeze(s);
    return s;
  }();
  return set;
}

// Composes base + combining mark pairs whose precomposed character code page
// 936 holds; every other unit is kept as it is.
std::u16string ComposeForGbk(std::u16string_view wide) {
  UErrorCode status = U_ZERO_ERROR;
  const UNormalizer2* nfc = unorm2_getNFCInstance(&status);
  if (U_FAILURE(status)) return std::u16string(wide);
  const USet* gbk = GbkRoundTripSet();
  std::u16string out;
  out.reserve(wide.size());
  const UChar* s = wide.data();
  const int32_t length = static_cast<int32_t>(wide.size());
  int32_t i = 0;
  while (i < length) {
    UChar32 base;
    U16_NEXT(s, i, length, base);
    while (i < length && s[i] >= 0x300) {
      int32_t next = i;
      UChar32 mark;
      U16_NEXT(s, next, length, mark);
      if (u_getCombiningClass(mark) == 0) break;
      const UChar32 composed = unorm2_composePair(nfc, base, mark);
      if (composed < 0 || !uset_contains(gbk, composed)) break;
      base = composed;
      i = next;
    }
    UChar units[U16_MAX_LENGTH];
    int32_t n = 0;
    UBool error = false;
    U16_APPEND(units, n, U16_MAX_LENGTH, base, error);
    (void)error;  // a code point always fits U16_MAX_LENGTH units
    out.append(units, static_cast<size_t>(n));
  }
  return out;
}

std::u16string Utf8ToUtf16(std::string_view bytes) {
  std::u16string out(bytes.size(), u'\0');  // never more units than bytes
  int32_t length = 0;
  UErrorCode status = U_ZERO_ERROR;
  u_strFromUTF8WithSub(out.data(), static_cast<int32_t>(out.size()), &length, bytes.data(),
                       static_cast<int32_t>(bytes.size()), kReplacement, nullptr, &status);
  if (U_FAILURE(status)) return {};
  out.resize(static_cast<size_t>(length));
  return out;
}

std::string Utf16ToUtf8(std::u16string_view wide) {
  std::string out(wide.size() * 3, '\0');  // a unit gives at most three bytes
  int32_t length = 0;
  UErrorCode status = U_ZERO_ERROR;
  u_strToUTF8WithSub(out.data(), static_cast<int32_t>(out.size()), &length, wide.data(),
                     static_cast<int32_t>(wide.size()), kReplacement, nullptr, &status);
  if (U_FAILURE(status)) return {};
  out.resize(static_cast<size_t>(length));
  return out;
}

std::u16string GbkToUtf16(std::string_view bytes) {
  UConverter* converter = ThreadGbk();
  if (!converter) return {};
  std::u16string out(bytes.size(), u'\0');  // one byte gives at most one unit
  UErrorCode status = U_ZERO_ERROR;
  const int32_t length = ucnv_toUChars(converter, out.data(), static_cast<int32_t>(out.size()),
                                       bytes.data(), static_cast<int32_t>(bytes.size()), &status);
  if (U_FAILURE(status)) return {};
  out.resize(static_cast<size_t>(length));
  return out;
}

std::string Utf16ToGbk(std::u16string_view wide) {
  UConverter* converter = ThreadGbk();
  if (!converter) return {};
  std::string out(wide.size() * 2, '\0');  // one unit gives at most two bytes
  UErrorCode status = U_ZERO_ERROR;
  const int32_t length = ucnv_fromUChars(converter, out.data(), static_cast<int32_t>(out.size()),
                                         wide.data(), static_cast<int32_t>(wide.size()), &status);
  if (U_FAILURE(status)) return {};
  out.resize(static_cast<size_t>(length));
  return out;
}

}  // namespace

std::u16string DecodeToUtf16(std::string_view bytes, CodePage from) {
  if (bytes.empty()) return {};
  return from == CodePage::kUtf8 ? Utf8ToUtf16(bytes) : GbkToUtf16(bytes);
}

std::string EncodeFromUtf16(std::u16string_view wide, CodePage to, bool compose_marks) {
  if (wide.empty()) return {};
  if (to == CodePage::kUtf8) return Utf16ToUtf8(wide);
  if (compose_marks) return Utf16ToGbk(ComposeForGbk(wide));
  return Utf16ToGbk(wide);
}

std::string ConvertCodePage(std::string_view bytes, CodePage from, CodePage to) {
  return EncodeFromUtf16(DecodeToUtf16(bytes, from), to);
}

}  // namespace vellox::platform
