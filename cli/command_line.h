#pragma once
// The command line of vellox-search, parsed into one request. Pure: nothing is
// read or fetched here.

#include <optional>
#include <string>
#include <vector>

namespace vellox::cli {

extern const char kUsage[];
extern const char kVersion[];

struct Command {
  enum Kind { kHelp, kVersion, kFilm, kCloud, kResolveFilm, kResolveCloud };
  Kind kind = kHelp;
  int site = 0;        // film, resolve-film: 1..6
  int mode = 0;        // cloud, resolve-cloud: 1 (--pro) or 2 (--all)
  int page = 0;        // film, cloud: the tab's zero-based page counter
  std::string text;    // KEYWORD or LINK, UTF-8
  std::optional<std::string> roots_file;
  std::optional<std::string> cookies_file;
};

// The command, or nullopt with `error` set to a one-line usage error.
std::optional<Command> ParseCommandLine(const std::vector<std::string>& args, std::string& error);

}  // namespace vellox::cli
