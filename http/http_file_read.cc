#include "http/http_file_read.h"

#include "platform/request_engine.h"

namespace vellox::http {

text::Bytes ReadHttpFile(const HttpContext& context, const text::LocalText& url, int timeoutMilliseconds) {
  platform::EngineRequest request;
  request.url = url.bytes();
  const int bound = timeoutMilliseconds > 0 ? timeoutMilliseconds : 1;
  request.phase_timeout_ms = bound;
  request.total_timeout_ms = bound;
  platform::EngineResponse response = context.engine.Perform(request);
  return response.complete() ? std::move(response.body) : text::Bytes();
}

}  // namespace vellox::http
