// vellox-search: the command-line front end. Runs the same providers and
// double-click routines as the window, through a bridge of its own.

#include <filesystem>
#include <fstream>
#include <iterator>
#include <iostream>
#include <string>
#include <vector>

#include "cli/cli_bridge.h"
#include "cli/command_line.h"
#include "cli/resolve_commands.h"
#include "platform/cookie_store.h"
#include "platform/request_engine.h"
#include "search/cloud_disk_search.h"
#include "search/resource_search.h"
#include "search/search_environment.h"
#include "search/site_roots.h"

namespace vellox::cli {
namespace {

constexpr int kUsageError = 2;

int UsageError(const std::string& message) {
  std::cerr << "vellox-search: " << message << "\n" << "Try 'vellox-search --help'.\n";
  return kUsageError;
}

bool LoadRoots(const std::string& file, search::SiteRoots& roots, std::string& error) {
  std::error_code ignored;
  std::ifstream in(file, std::ios::binary);
  if (!in || std::filesystem::is_directory(file, ignored)) {
    error = "cannot read roots file '" + file + "'";
    return false;
  }
  const std::string content{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (in.bad()) {
    error = "cannot read roots file '" + file + "'";
    return false;
  }
  return search::ParseRoots(content, file, roots, error);
}

int Run(const std::vector<std::string>& args) {
  std::string error;
  const std::optional<Command> command = ParseCommandLine(args, error);
  if (!command) return UsageError(error);
  if (command->kind == Command::kHelp) {
    std::cout << kUsage;
    return 0;
  }
  if (command->kind == Command::kVersion) {
    std::cout << kVersion;
    return 0;
  }

  search::SiteRoots roots = search::BuiltInSiteRoots();
  if (command->roots_file && !LoadRoots(*command->roots_file, roots, error)) {
    return UsageError(error);
  }
  const auto cookies = platform::OpenCookieStore(
      command->cookies_file ? *command->cookies_file : platform::DefaultCookieStorePath());
  const search::SearchEnvironment environment{roots, {*cookies, platform::DefaultRequestEngine()}};
  const text::LocalText text = text::LocalText::FromUtf8(command->text);

  switch (command->kind) {
    case Command::kFilm:
    case Command::kCloud: {
      const bool film = command->kind == Command::kFilm;
      CliBridge tab(text, film ? command->site : command->mode, command->page);
      if (film) {
        search::ResourceSearch(tab, environment);
      } else {
        search::CloudDiskSearch(tab, environment);
      }
      std::cout << FormatRows(tab.rows());
      return 0;
    }
    case Command::kResolveFilm:
      return ResolveFilm(environment, command->site, text, std::cout, std::cerr);
    case Command::kResolveCloud:
      return ResolveCloud(environment, command->mode, text, std::cout, std::cerr);
    default:
      return kUsageError;
  }
}

}  // namespace
}  // namespace vellox::cli

int main(int argc, char** argv) {
  return vellox::cli::Run(std::vector<std::string>(argv + 1, argv + argc));
}
