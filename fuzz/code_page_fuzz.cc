// The code page conversions over arbitrary bytes: lone lead bytes, invalid
// UTF-8, surrogates, zero bytes in the middle of a buffer.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "text/encoding.h"

namespace text = vellox::text;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 64 * 1024) return 0;
  const text::Bytes bytes(reinterpret_cast<const char*>(data), size);
  const text::LocalText input(bytes);

  const text::LocalText utf8 = text::LocalToUtf8(input);
  const text::LocalText local = text::Utf8ToLocal(input);
  text::Utf8BytesToLocal(bytes);
  // Local text read back from its own UTF-8 form is stable after one trip.
  const text::LocalText once = text::Utf8ToLocal(utf8);
  if (text::Utf8ToLocal(text::LocalToUtf8(once)) != once) abort();
  (void)local;

  const text::WideText wide = text::Utf8BytesToWide(bytes);
  text::WideToLocal(wide);
  for (int code_page : {text::kCodePageSystemAnsi, text::kCodePageLocal, text::kCodePageUtf8}) {
    const text::WideText w = text::TextToWide(input, code_page);
    text::WideToText(w, code_page);
  }
  // Odd-length UTF-16 from raw bytes, lone surrogates included.
  text::WideText raw(size / 2, u'\0');
  for (size_t i = 0; i + 1 < size; i += 2) raw[i / 2] = static_cast<char16_t>(data[i] | data[i + 1] << 8);
  text::WideToLocal(raw);
  text::WideToText(raw, text::kCodePageUtf8);
  return 0;
}
