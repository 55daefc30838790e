// vellox-sample-sites: serves every site's markup on loopback until SIGINT or
// SIGTERM. Prints the bound port alone on the first line of stdout, so a script
// or a test that asked for --port 0 learns the ephemeral port.

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "search/site_roots.h"
#include "tools/sample_sites.h"

namespace {

constexpr const char* kUsage =
    "usage: vellox-sample-sites [--host ADDRESS] [--port N]\n"
    "  --host ADDRESS  address to listen on (default 127.0.0.1)\n"
    "  --port N        port to listen on; 0 picks a free one (default: the built-in roots' port)\n";

// The port of the built-in roots, so the demo and the window agree without flags.
int BuiltInPort() {
  const std::string root = vellox::search::BuiltInSiteRoots().ResourceSiteRoot1;
  const size_t scheme = root.find("://");
  const size_t colon = root.find(':', scheme == std::string::npos ? 0 : scheme + 3);
  return colon == std::string::npos ? 18936 : std::atoi(root.c_str() + colon + 1);
}

}  // namespace

int main(int argc, char** argv) {
  std::string host = "127.0.0.1";
  int port = BuiltInPort();
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if ((arg == "--host" || arg == "--port") && i + 1 < argc) {
      const std::string value = argv[++i];
      if (arg == "--host") {
        host = value;
        continue;
      }
      char* end = nullptr;
      const long parsed = std::strtol(value.c_str(), &end, 10);
      if (value.empty() || *end != '\0' || parsed < 0 || parsed > 65535) {
        std::fprintf(stderr, "vellox-sample-sites: bad port '%s'\n", value.c_str());
        return 2;
      }
      port = static_cast<int>(parsed);
      continue;
    }
    std::fprintf(stderr, "vellox-sample-sites: unknown argument '%s'\n%s", arg.c_str(), kUsage);
    return 2;
  }

  sigset_t stop_signals;
  sigemptyset(&stop_signals);
  sigaddset(&stop_signals, SIGINT);
  sigaddset(&stop_signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stop_signals, nullptr);  // the listener thread inherits the mask

  vellox::tools::SampleSitesServer server;
  if (!server.Start(host, port)) {
    std::fprintf(stderr, "vellox-sample-sites: cannot listen on %s:%d: %s\n", host.c_str(), port,
                 std::strerror(errno));
    return 1;
  }
  std::printf("%d\n", server.port());
  std::fflush(stdout);
  std::fprintf(stderr, "vellox-sample-sites: serving http://%s:%d/ (Ctrl-C stops)\n", host.c_str(),
               server.port());
  int signal_number = 0;
  sigwait(&stop_signals, &signal_number);
  server.Stop();
  return 0;
}
