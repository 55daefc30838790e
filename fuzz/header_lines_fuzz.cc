// Both request operations over an arbitrary response: a loopback socket sends
// the input as the whole response (status line, header lines, body) and closes.
// The operations read the header lines for Location and Set-Cookie and write
// cookies to the store; none of it may crash or run past the input.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <mutex>
#include <thread>

#include "http/http_context.h"
#include "http/web_request_inet.h"
#include "http/web_request_object.h"
#include "platform/cookie_store.h"
#include "platform/request_engine.h"

namespace http = vellox::http;
namespace platform = vellox::platform;
using vellox::text::LocalText;

namespace {

// Answers every connection with the current reply, after reading its request,
// on a thread of its own for the life of the process.
class RawServer {
 public:
  RawServer() {
    fd_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (bind(fd_, reinterpret_cast<sockaddr*>(&address), length) != 0 || listen(fd_, 16) != 0 ||
        getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
      abort();
    }
    port_ = ntohs(address.sin_port);
    std::thread([this] { Serve(); }).detach();
  }
  int port() const { return port_; }
  void SetReply(std::string reply) {
    std::lock_guard lock(mutex_);
    reply_ = std::move(reply);
  }

 private:
  void Serve() {
    for (;;) {
      const int client = accept(fd_, nullptr, nullptr);
      if (client < 0) continue;
      std::string request;
      char buffer[4096];
      while (request.find("\r\n\r\n") == std::string::npos) {
        const ssize_t n = read(client, buffer, sizeof buffer);
        if (n <= 0) break;
        request.append(buffer, static_cast<size_t>(n));
      }
      std::string reply;
      {
        std::lock_guard lock(mutex_);
        reply = reply_;
      }
      for (size_t sent = 0; sent < reply.size();) {
        const ssize_t n = send(client, reply.data() + sent, reply.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) break;
        sent += static_cast<size_t>(n);
      }
      shutdown(client, SHUT_RDWR);
      close(client);
    }
  }

  std::mutex mutex_;
  std::string reply_;
  int fd_ = -1;
  int port_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 64 * 1024) return 0;
  static RawServer* server = new RawServer;  // lives as long as its thread
  static platform::RequestEngine engine([] {
    platform::EngineOptions options;
    options.share = false;
    options.connect_timeout_ms = 2000;
    options.idle_timeout_ms = 2000;
    return options;
  }());
  const auto cookies = platform::NewMemoryCookieStore();
  const http::HttpContext context{*cookies, engine};
  const std::string origin = "127.0.0.1:" + std::to_string(server->port());
  server->SetReply(std::string(reinterpret_cast<const char*>(data), size));

  http::ObjectRequest object;
  object.url = LocalText("http://" + origin + "/page");
  object.noRedirect = true;
  object.timeoutSeconds = 2;
  http::WebRequestObject(context, object);
  // Through the server as a proxy: a redirect to any host still ends here.
  http::InetRequest inet;
  inet.url = object.url;
  inet.proxy = LocalText(origin);
  http::WebRequestInet(context, inet);
  return 0;
}
