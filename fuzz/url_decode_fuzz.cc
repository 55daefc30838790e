// UrlDecode and UrlEncode over arbitrary bytes: percent escapes cut short or
// with bad hex digits, escapes that decode to invalid UTF-8 or to zero bytes.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "text/encoding.h"

using vellox::text::LocalText;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 64 * 1024) return 0;
  const LocalText input(std::string_view(reinterpret_cast<const char*>(data), size));
  const LocalText decoded = vellox::text::UrlDecode(input);
  // Decoding never adds bytes beyond what a "?" per input byte could make.
  if (decoded.size() > input.size() * 2 + 2) abort();
  for (bool keep_plain : {false, true}) {
    for (bool as_utf8 : {false, true}) {
      const LocalText encoded = vellox::text::UrlEncode(input, keep_plain, as_utf8);
      // An encoded text is plain ASCII.
      for (unsigned char c : encoded.view()) {
        if (c >= 0x80 || c == 0) abort();
      }
      vellox::text::UrlDecode(encoded);
    }
  }
  return 0;
}
