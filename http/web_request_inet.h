#pragma once
// WebRequestInet: one plain HTTP request with three default header lines, a GET
// or a form POST, the body read in chunks, and every cookie the response sets
// copied into the store. Failures return 255 zero bytes (WebRequestInetText:
// empty text). Blocks the calling thread; safe on any thread.

#include <cstdint>

#include "http/http_context.h"
#include "text/local_text.h"

namespace vellox::http {

// The operation's parameters; fields marked in/out are rewritten by the call.
struct InetRequest {
  text::LocalText url;              // in: an "http://" address
  text::LocalText method;           // in: empty or GET, or POST (ASCII case ignored)
  text::LocalText proxy;            // in: empty (once blanks are removed) = direct
  text::LocalText headers;          // in/out: lines ending "\r\n"; defaults appended
  text::LocalText postData;         // in
  text::LocalText responseHeaders;  // out: raw header text, lines ending "\r\n"
};

text::Bytes WebRequestInet(const HttpContext& context, InetRequest& request);
text::LocalText WebRequestInetText(const HttpContext& context, InetRequest& request);
// The form the cloud-disk search uses: a plain GET of `url`.
text::LocalText WebRequestInetText(const HttpContext& context, const text::LocalText& url);

text::LocalText HttpUrlHost(const text::LocalText& url, bool keepPort = false);
text::LocalText HttpUrlPath(const text::LocalText& url);
int32_t HttpUrlPort(const text::LocalText& url);

}  // namespace vellox::http
