#pragma once
// Cookie text and its exchange with the store. Cookie text is local text of
// name=value items separated by ";". Pure text operations, plus the two that
// read and write the store; all are safe on any thread.

#include "platform/cookie_store.h"
#include "text/local_text.h"

namespace vellox::http {

// The lower-cased host of `url` without port; with `domainOnly`, its last two
// dot-separated labels.
text::LocalText UrlHost(const text::LocalText& url, bool domainOnly);

// The store's cookie text for the host of `target` (an address or a bare host);
// empty when there is none.
text::LocalText ReadStoreCookies(platform::CookieStore& store, const text::LocalText& target);

// Merges `additions` over `base`. Both are rewritten: `base` becomes the merged
// text (returned as a copy), `additions` is left trimmed and ending with ";".
text::LocalText MergeCookies(text::LocalText& base, text::LocalText& additions);

// Writes each name=value item of `cookieText` into the store under the host of
// `target`.
void WriteStoreCookies(platform::CookieStore& store, const text::LocalText& target,
                       const text::LocalText& cookieText);

}  // namespace vellox::http
