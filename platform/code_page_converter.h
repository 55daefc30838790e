#pragma once
// Our layer over ICU's converters: whole texts between code page 936 (ICU's
// "windows-936", the Windows table, 0x80 = U+20AC), UTF-8 and UTF-16. Free
// functions with no shared mutable state: safe on any thread.
//
// No conversion fails: ill-formed input becomes U+FFFD on its way to UTF-16,
// and what code page 936 cannot represent becomes "?" on its way out.

#include <string>
#include <string_view>

namespace vellox::platform {

enum class CodePage { kGbk, kUtf8 };

std::u16string DecodeToUtf16(std::string_view bytes, CodePage from);
// With `compose_marks` (code page 936 only), a base character followed by a
// combining mark becomes the precomposed character where code page 936 has one.
std::string EncodeFromUtf16(std::u16string_view wide, CodePage to, bool compose_marks = false);
// DecodeToUtf16, then EncodeFromUtf16 without composition.
std::string ConvertCodePage(std::string_view bytes, CodePage from, CodePage to);

}  // namespace vellox::platform
