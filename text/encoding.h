#pragma once
// Code pages and URL coding: the bridge between local text (code page 936) and
// the UTF-8 / percent-encoded text of the web. Pure functions, no state, safe on
// any thread. No conversion reports an error: what code page 936 lacks becomes
// "?", and a conversion that cannot be made gives the empty value.

#include <string>

#include "text/local_text.h"

namespace vellox::text {

// UTF-16 code units. TextToWide keeps the terminating zero unit as part of the
// value; Utf8BytesToWide does not.
using WideText = std::u16string;

// Code page numbers as the converters take them.
inline constexpr int kCodePageSystemAnsi = 0;  // the system ANSI code page: 936 here
inline constexpr int kCodePageLocal = 936;
inline constexpr int kCodePageUtf8 = 65001;

// Percent-encodes every byte, except, with `keepPlain`, "," "-" "." "/" digits
// and ASCII letters. With `asUtf8` the text goes to UTF-8 first.
LocalText UrlEncode(const LocalText& text, bool keepPlain = false, bool asUtf8 = false);
// Decodes percent escapes (either case of hex digit; "+" stays), then reads the
// bytes as UTF-8 into local text.
LocalText UrlDecode(const LocalText& text);

// Returned texts hold UTF-8 bytes where the name says so; they share the
// LocalText type because the system passes them through the same text slots.
LocalText LocalToUtf8(const LocalText& text);
LocalText Utf8ToLocal(const LocalText& utf8);
LocalText Utf8BytesToLocal(const Bytes& utf8);

WideText TextToWide(const LocalText& text, int codePage = kCodePageUtf8);
LocalText WideToText(const WideText& wide, int codePage = kCodePageSystemAnsi);
WideText Utf8BytesToWide(const Bytes& utf8);
LocalText WideToLocal(const WideText& wide);

}  // namespace vellox::text
