#include "tests/support/test_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cctype>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace vellox::testing {
namespace {

constexpr size_t kMaxHead = 1 << 20;

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

std::string_view NameOf(std::string_view line) { return line.substr(0, line.find(':')); }

int ListenOnLoopback(int* port) {
  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, 64) != 0) {
    throw std::runtime_error("test server: cannot listen on loopback");
  }
  socklen_t length = sizeof address;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  *port = ntohs(address.sin_port);
  return fd;
}

const char* ReasonPhrase(int status) {
  switch (status) {
    case 200: return "OK";
    case 301: return "Moved Permanently";
    case 302: return "Found";
    case 303: return "See Other";
    case 307: return "Temporary Redirect";
    case 308: return "Permanent Redirect";
    case 404: return "Not Found";
    case 500: return "Internal Server Error";
    default: return "Status";
  }
}

}  // namespace

std::string RecordedRequest::Header(std::string_view name) const {
  for (const std::string& line : header_lines) {
    if (EqualsIgnoreCase(NameOf(line), name)) {
      std::string_view value = std::string_view(line).substr(std::min(line.size(), name.size() + 1));
      size_t begin = value.find_first_not_of(" \t");
      size_t end = value.find_last_not_of(" \t");
      return begin == std::string_view::npos ? std::string() : std::string(value.substr(begin, end - begin + 1));
    }
  }
  return {};
}

bool RecordedRequest::HasHeader(std::string_view name) const {
  return std::any_of(header_lines.begin(), header_lines.end(),
                     [&](const std::string& line) { return EqualsIgnoreCase(NameOf(line), name); });
}

std::vector<std::string> RecordedRequest::HeaderNames() const {
  std::vector<std::string> names;
  for (const std::string& line : header_lines) names.emplace_back(NameOf(line));
  return names;
}

Reply EchoReply(const RecordedRequest& request) {
  Reply reply;
  reply.header_lines = {"Content-Type: text/plain"};
  reply.body = request.request_line + "\r\n";
  for (const std::string& line : request.header_lines) reply.body += line + "\r\n";
  return reply;
}

Handler Redirect(std::string location, int status) {
  return [location = std::move(location), status](const RecordedRequest&) {
    Reply reply;
    reply.status = status;
    reply.header_lines = {"Location: " + location};
    return reply;
  };
}

Handler Respond(int status, std::vector<std::string> header_lines, std::string body) {
  return [=](const RecordedRequest&) { return Reply{status, header_lines, body, Reply::Mode::kNormal}; };
}

struct TestServer::Connection {
  int fd = -1;
  SSL* tls = nullptr;
  int number = 0;
  std::string buffer;
  std::mutex mutex;
  std::condition_variable stopped;

  ~Connection() {
    if (tls) SSL_free(tls);
    if (fd >= 0) ::close(fd);
  }
  // Bytes read, 0 at the end.
  long Read(char* data, size_t size) {
    if (tls) return SSL_read(tls, data, static_cast<int>(size));
    return ::recv(fd, data, size, 0);
  }
  bool Write(std::string_view data) {
    while (!data.empty()) {
      long sent = tls ? SSL_write(tls, data.data(), static_cast<int>(data.size()))
                      : ::send(fd, data.data(), data.size(), MSG_NOSIGNAL);
      if (sent <= 0) return false;
      data.remove_prefix(static_cast<size_t>(sent));
    }
    return true;
  }
  // Fills `buffer` until it holds `size` bytes or the peer is gone.
  bool Fill(size_t size) {
    char chunk[16384];
    while (buffer.size() < size) {
      long got = Read(chunk, sizeof chunk);
      if (got <= 0) return false;
      buffer.append(chunk, static_cast<size_t>(got));
    }
    return true;
  }
};

std::string TestServer::CertificateFile() {
  // Never destroyed: the exit handler that removes it runs after static
  // destructors would have freed it.
  static const std::string* const directory = [] {
    char pattern[] = "/tmp/vellox-test-tls-XXXXXX";
    std::string dir = ::mkdtemp(pattern);
    std::string command = "openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2"
                          " -subj /CN=127.0.0.1 -addext subjectAltName=IP:127.0.0.1,DNS:localhost"
                          " -keyout " + dir + "/key.pem -out " + dir + "/cert.pem 2>/dev/null";
    if (std::system(command.c_str()) != 0) throw std::runtime_error("test server: openssl req failed");
    std::atexit([] {
      std::error_code ignored;
      std::filesystem::remove_all(*directory, ignored);
    });
    return new std::string(dir);
  }();
  return *directory + "/cert.pem";
}

TestServer::TestServer(Transport transport) : transport_(transport) {
  if (transport_ == Transport::kHttps) {
    // OpenSSL writes to the socket itself; a client that hangs up mid-handshake
    // must not end the test process.
    std::signal(SIGPIPE, SIG_IGN);
    std::string cert = CertificateFile();
    std::string key = std::filesystem::path(cert).parent_path() / "key.pem";
    SSL_CTX* context = SSL_CTX_new(TLS_server_method());
    if (!context || SSL_CTX_use_certificate_file(context, cert.c_str(), SSL_FILETYPE_PEM) != 1 ||
        SSL_CTX_use_PrivateKey_file(context, key.c_str(), SSL_FILETYPE_PEM) != 1) {
      throw std::runtime_error("test server: cannot load the test certificate");
    }
    tls_context_ = context;
  }
  listen_fd_ = ListenOnLoopback(&port_);
  acceptor_ = std::thread([this] { AcceptLoop(); });
}

TestServer::~TestServer() {
  stopping_ = true;
  ::shutdown(listen_fd_, SHUT_RDWR);
  acceptor_.join();
  {
    std::lock_guard lock(mutex_);
    for (auto& connection : open_) {
      ::shutdown(connection->fd, SHUT_RDWR);
      { std::lock_guard stalled(connection->mutex); }
      connection->stopped.notify_all();
    }
  }
  std::unique_lock lock(mutex_);
  idle_.wait(lock, [this] { return active_ == 0; });
  lock.unlock();
  ::close(listen_fd_);
  if (tls_context_) SSL_CTX_free(static_cast<SSL_CTX*>(tls_context_));
}

void TestServer::Route(const std::string& path, Handler handler) {
  std::lock_guard lock(mutex_);
  routes_[path] = std::move(handler);
}

std::string TestServer::url(std::string_view path) const {
  return std::string(transport_ == Transport::kHttps ? "https" : "http") + "://127.0.0.1:" +
         std::to_string(port_) + std::string(path);
}

std::vector<RecordedRequest> TestServer::requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

RecordedRequest TestServer::last_request() const {
  std::lock_guard lock(mutex_);
  return requests_.empty() ? RecordedRequest() : requests_.back();
}

Handler TestServer::FindRoute(const std::string& target) const {
  std::string path = target.substr(0, target.find('?'));
  std::lock_guard lock(mutex_);
  if (auto it = routes_.find(path); it != routes_.end()) return it->second;
  if (auto it = routes_.find("*"); it != routes_.end()) return it->second;
  return Respond(404, {}, "not found");
}

void TestServer::AcceptLoop() {
  while (!stopping_) {
    int fd = ::accept4(listen_fd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) {
      if (stopping_) return;
      continue;
    }
    // A reply larger than one TLS record leaves in two writes; without this
    // the second waits for the client's delayed ACK (about 40 ms).
    int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    auto connection = std::make_shared<Connection>();
    connection->fd = fd;
    connection->number = ++connections_;
    std::lock_guard lock(mutex_);
    if (stopping_) return;
    open_.push_back(connection);
    ++active_;
    std::thread([this, connection] {
      Serve(connection);
      std::lock_guard done(mutex_);
      std::erase(open_, connection);
      --active_;
      idle_.notify_all();
    }).detach();
  }
}

void TestServer::Serve(std::shared_ptr<Connection> c) {
  if (tls_context_) {
    c->tls = SSL_new(static_cast<SSL_CTX*>(tls_context_));
    SSL_set_fd(c->tls, c->fd);
    if (SSL_accept(c->tls) != 1) return;
  }
  for (;;) {
    size_t head_end;
    while ((head_end = c->buffer.find("\r\n\r\n")) == std::string::npos) {
      if (c->buffer.size() > kMaxHead || !c->Fill(c->buffer.size() + 1)) return;
    }
    RecordedRequest request;
    request.connection = c->number;
    std::string_view head = std::string_view(c->buffer).substr(0, head_end + 2);
    size_t line_end = head.find("\r\n");
    request.request_line = head.substr(0, line_end);
    for (size_t start = line_end + 2; start < head.size();) {
      size_t end = head.find("\r\n", start);
      request.header_lines.emplace_back(head.substr(start, end - start));
      start = end + 2;
    }
    size_t space = request.request_line.find(' ');
    request.method = request.request_line.substr(0, space);
    size_t second = request.request_line.find(' ', space + 1);
    request.target = request.request_line.substr(space + 1, second - space - 1);
    size_t body_size = std::strtoul(request.Header("Content-Length").c_str(), nullptr, 10);
    c->buffer.erase(0, head_end + 4);
    if (!c->Fill(body_size)) return;
    request.body = c->buffer.substr(0, body_size);
    c->buffer.erase(0, body_size);
    const bool close_after = EqualsIgnoreCase(request.Header("Connection"), "close");
    {
      std::lock_guard lock(mutex_);
      requests_.push_back(request);
    }

    Reply reply = FindRoute(request.target)(request);
    if (reply.mode == Reply::Mode::kStall) {
      std::unique_lock lock(c->mutex);
      c->stopped.wait(lock, [this] { return stopping_.load(); });
      return;
    }
    std::string out = "HTTP/1.1 " + std::to_string(reply.status) + " " + ReasonPhrase(reply.status) + "\r\n";
    bool has_length = false;
    for (const std::string& line : reply.header_lines) {
      out += line + "\r\n";
      has_length = has_length || EqualsIgnoreCase(NameOf(line), "Content-Length");
    }
    if (!has_length) out += "Content-Length: " + std::to_string(reply.body.size()) + "\r\n";
    out += "\r\n";
    if (request.method != "HEAD") {
      out += reply.mode == Reply::Mode::kDropMidBody ? reply.body.substr(0, reply.body.size() / 2) : reply.body;
    }
    if (!c->Write(out) || reply.mode == Reply::Mode::kDropMidBody || close_after) {
      if (c->tls) SSL_shutdown(c->tls);
      ::shutdown(c->fd, SHUT_RDWR);
      return;
    }
  }
}

SilentServer::SilentServer() { listen_fd_ = ListenOnLoopback(&port_); }
SilentServer::~SilentServer() { ::close(listen_fd_); }
std::string SilentServer::url(std::string_view path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + std::string(path);
}

}  // namespace vellox::testing
