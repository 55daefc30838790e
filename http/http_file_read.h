#pragma once
// A plain HTTP file read for the start-up notice check: one GET over a direct
// connection, no cache, the body whatever the status. Blocks the calling
// thread for at most the given time-out; safe on any thread.

#include "http/http_context.h"
#include "text/local_text.h"

namespace vellox::http {

// The body bytes of `url`; empty when the read fails or does not finish within
// `timeoutMilliseconds` (which bounds the connect, every wait and the whole read).
text::Bytes ReadHttpFile(const HttpContext& context, const text::LocalText& url, int timeoutMilliseconds);

}  // namespace vellox::http
