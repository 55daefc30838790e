#pragma once
// Lets GoogleTest print local text as its bytes in failure messages.

#include <ostream>

#include "text/local_text.h"

namespace vellox::text {

inline void PrintTo(const LocalText& text, std::ostream* out) { *out << '"' << text.bytes() << '"'; }

}  // namespace vellox::text
