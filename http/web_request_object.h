#pragma once
// WebRequestObject: one synchronous HTTP request with the default header block,
// cookies exchanged with the store around it, and the response body returned as
// bytes exactly as received. Failures are silent: empty bytes. Blocks the
// calling thread; safe on any thread (each call has its own request).

#include "http/http_context.h"
#include "text/local_text.h"

namespace vellox::http {

// The operation's parameters; fields marked in/out are rewritten by the call.
struct ObjectRequest {
  text::LocalText url;               // in
  text::LocalText method;            // in/out: upper-cased; empty becomes "GET"
  text::LocalText body;              // in: sent when bodyBytes is empty
  text::LocalText cookies;           // in/out: the caller's, then the merged text
  text::LocalText responseCookies;   // out
  text::LocalText headers;           // in/out: empty becomes the default header block
  text::LocalText redirectLocation;  // in/out
  bool noRedirect = false;           // in
  int timeoutSeconds = 0;            // in: 1 keeps the engine's own, <= 0 means 15 s
  text::LocalText responseHeaders;   // out
  text::Bytes bodyBytes;             // in: sent instead of body when not empty
};

text::Bytes WebRequestObject(const HttpContext& context, ObjectRequest& request);
// The form every caller uses: a GET of `url` with all defaults.
text::Bytes WebRequestObject(const HttpContext& context, const text::LocalText& url);

// The per-phase time-out a `timeoutSeconds` asks for, in milliseconds: 1 keeps
// the engine's own (0 here), 0 or less gives 15000, else seconds x 1000.
int RequestTimeoutMilliseconds(int timeoutSeconds);

// The text between the first `startMarker` and the next `endMarker` after it,
// both found ignoring ASCII case; empty when either is missing.
text::LocalText TextBetween(const text::LocalText& text, const text::LocalText& startMarker,
                            const text::LocalText& endMarker);

}  // namespace vellox::http
