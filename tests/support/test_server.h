#pragma once
// A loopback HTTP and HTTPS server for tests, on an ephemeral port of
// 127.0.0.1. It records every request exactly as it arrived (request line and
// header lines in order, body) and answers from a table of routes. Routes are
// set before the requests that use them; requests() and the counters are safe
// to read from any thread while the server runs.

#include <atomic>
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace vellox::testing {

struct RecordedRequest {
  std::string request_line;               // "GET /a?b=1 HTTP/1.1"
  std::string method;
  std::string target;                     // as on the request line
  std::vector<std::string> header_lines;  // as received, without CR LF
  std::string body;
  int connection = 0;                     // which accepted connection carried it, from 1

  // The value of the first header named `name` (ASCII case ignored), without
  // the blanks around it; empty when there is none.
  std::string Header(std::string_view name) const;
  bool HasHeader(std::string_view name) const;
  // Every header name in the order received.
  std::vector<std::string> HeaderNames() const;
};

struct Reply {
  enum class Mode {
    kNormal,
    kStall,        // reads the request and then sends nothing until the server stops
    kDropMidBody,  // announces the whole body, sends half of it and closes
  };
  int status = 200;
  std::vector<std::string> header_lines;  // "Name: value"; Content-Length is added when missing
  std::string body;
  Mode mode = Mode::kNormal;
};

using Handler = std::function<Reply(const RecordedRequest&)>;

// Handlers for the common cases.
Reply EchoReply(const RecordedRequest& request);  // body: request line and header lines, CR LF each
Handler Redirect(std::string location, int status = 302);
Handler Respond(int status, std::vector<std::string> header_lines, std::string body);

class TestServer {
 public:
  enum class Transport { kHttp, kHttps };
  explicit TestServer(Transport transport = Transport::kHttp);
  ~TestServer();
  TestServer(const TestServer&) = delete;
  TestServer& operator=(const TestServer&) = delete;

  // Answers requests whose path (the target before any "?") is `path`; "*"
  // answers every path without a route of its own. Unrouted paths get 404.
  void Route(const std::string& path, Handler handler);

  int port() const { return port_; }
  // "http://127.0.0.1:PORT" + path (https:// for the HTTPS server).
  std::string url(std::string_view path = "/") const;
  std::vector<RecordedRequest> requests() const;
  RecordedRequest last_request() const;
  int connections() const { return connections_.load(); }

  // The certificate of the HTTPS servers (one for the process, made on first
  // use); trust it to reach them.
  static std::string CertificateFile();

 private:
  struct Connection;
  void AcceptLoop();
  void Serve(std::shared_ptr<Connection> connection);
  Handler FindRoute(const std::string& target) const;

  Transport transport_;
  void* tls_context_ = nullptr;
  int listen_fd_ = -1;
  int port_ = 0;
  std::atomic<bool> stopping_{false};
  std::atomic<int> connections_{0};
  mutable std::mutex mutex_;
  std::map<std::string, Handler> routes_;
  std::vector<RecordedRequest> requests_;
  std::vector<std::shared_ptr<Connection>> open_;
  int active_ = 0;  // connection threads still running
  std::condition_variable idle_;
  std::thread acceptor_;
};

// Accepts connections and never answers: for time-outs.
class SilentServer {
 public:
  SilentServer();
  ~SilentServer();
  int port() const { return port_; }
  std::string url(std::string_view path = "/") const;

 private:
  int listen_fd_ = -1;
  int port_ = 0;
};

}  // namespace vellox::testing
