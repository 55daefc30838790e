// The local text primitives over arbitrary text and positions. The input is
// "text \0 what \0 to", then four bytes of positions and counts; the results
// must stay inside the text and keep their documented shape.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "text/local_text.h"

namespace text = vellox::text;
using text::LocalText;

namespace {

void Check(bool ok) {
  if (!ok) abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 64 * 1024 || size < 4) return 0;
  const int8_t start = static_cast<int8_t>(data[0]);
  const int8_t count = static_cast<int8_t>(data[1]);
  const int64_t number = static_cast<int64_t>(data[2]) << (data[3] % 56) | data[2];
  std::string_view rest(reinterpret_cast<const char*>(data) + 4, size - 4);
  std::string_view parts[3];
  for (auto& part : parts) {
    const size_t zero = rest.find('\0');
    part = rest.substr(0, zero);
    rest = zero == std::string_view::npos ? std::string_view() : rest.substr(zero + 1);
  }
  const LocalText t(parts[0]), what(parts[1]), to(parts[2]);

  for (int found : {text::Find(t, what, start), text::FindIgnoreCase(t, what, start)}) {
    Check(found == -1 || (found >= 1 && found <= t.size() + 1));
    if (found != -1) Check(found + what.size() <= t.size() + 1);
  }
  Check(text::Left(t, count).size() <= std::max(0, static_cast<int>(count)));
  Check(text::Right(t, count).size() <= t.size());
  Check(text::Mid(t, start, count).size() <= t.size());
  Check(text::MidToEnd(t, start).size() <= t.size());
  text::ReplaceAll(t, what, to);
  text::ReplaceAllIgnoreCase(t, what, to);
  if (!what.empty()) Check(!text::Contains(text::RemoveAll(t, what), what) ||
                           text::Contains(t, what));
  for (const LocalText& piece : text::Split(t, what)) Check(piece.size() <= t.size());
  const LocalText trimmed = text::Trim(t);
  Check(trimmed.size() <= t.size());
  Check(text::RemoveBlanks(t).size() <= t.size());
  Check(text::ToUpper(t).size() == t.size());
  Check(text::ToLower(t).size() == t.size());
  Check(!text::NumberText(number).empty());
  Check(!text::NumberText(-number).empty());
  Check(!text::NumberText(static_cast<double>(number) / (count == 0 ? 1 : count)).empty());
  t.ToUtf8();
  return 0;
}
