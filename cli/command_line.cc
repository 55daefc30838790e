#include "cli/command_line.h"

#include <charconv>
#include <string_view>

namespace vellox::cli {

const char kUsage[] =
    "usage: vellox-search [OPTIONS] film --site N [--page P] [--] KEYWORD\n"
    "       vellox-search [OPTIONS] cloud (--pro | --all) [--page P] [--] KEYWORD\n"
    "       vellox-search [OPTIONS] resolve-film --site N [--] LINK\n"
    "       vellox-search [OPTIONS] resolve-cloud (--pro | --all) [--] LINK\n"
    "\n"
    "OPTIONS\n"
    "  --roots FILE    use the addresses in FILE instead of the built-in ones\n"
    "  --cookies FILE  use FILE as the cookie store instead of the user's store\n"
    "  --help          usage on stdout, exit 0\n"
    "  --version       \"vellox-search 1.1\" on stdout, exit 0\n"
    "\n"
    "film: one line per result row, columns 0..3 joined by TAB (UTF-8).\n";

const char kVersion[] = "vellox-search 1.1\n";

namespace {

std::optional<int> Integer(std::string_view text) {
  int value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
  return value;
}

}  // namespace

std::optional<Command> ParseCommandLine(const std::vector<std::string>& args, std::string& error) {
  Command command;
  std::optional<std::string> verb;
  std::optional<std::string> operand;
  std::optional<int> site, page;
  int mode = 0;
  bool options_done = false;

  const auto fail = [&](std::string message) {
    error = std::move(message);
    return std::nullopt;
  };
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool is_option = !options_done && arg.size() > 1 && arg[0] == '-';
    if (!is_option) {
      if (!verb) {
        verb = arg;
      } else if (!operand) {
        operand = arg;
      } else {
        return fail("unexpected argument '" + arg + "'");
      }
      continue;
    }
    if (arg == "--") {
      options_done = true;
      continue;
    }
    if (arg == "--help") {
      command.kind = Command::kHelp;
      return command;
    }
    if (arg == "--version") {
      command.kind = Command::kVersion;
      return command;
    }
    if (arg == "--pro" || arg == "--all") {
      const int chosen = arg == "--pro" ? 1 : 2;
      if (mode != 0 && mode != chosen) return fail("--pro and --all exclude each other");
      mode = chosen;
      continue;
    }
    if (arg == "--roots" || arg == "--cookies" || arg == "--site" || arg == "--page") {
      if (i + 1 >= args.size()) return fail(arg + " needs a value");
      const std::string& value = args[++i];
      if (arg == "--roots") {
        command.roots_file = value;
      } else if (arg == "--cookies") {
        command.cookies_file = value;
      } else {
        const std::optional<int> number = Integer(value);
        if (!number) return fail(arg + " needs a number, not '" + value + "'");
        (arg == "--site" ? site : page) = number;
      }
      continue;
    }
    return fail("unknown option '" + arg + "'");
  }

  if (!verb) return fail("no command given");
  if (*verb == "film" || *verb == "resolve-film") {
    command.kind = *verb == "film" ? Command::kFilm : Command::kResolveFilm;
    if (!site) return fail(*verb + " needs --site N");
    if (*site < 1 || *site > 6) return fail("--site must be 1 to 6, not " + std::to_string(*site));
    if (mode != 0) return fail(*verb + " takes no --pro or --all");
    command.site = *site;
  } else if (*verb == "cloud" || *verb == "resolve-cloud") {
    command.kind = *verb == "cloud" ? Command::kCloud : Command::kResolveCloud;
    if (mode == 0) return fail(*verb + " needs --pro or --all");
    if (site) return fail(*verb + " takes no --site");
    command.mode = mode;
  } else {
    return fail("unknown command '" + *verb + "'");
  }
  const bool resolve = command.kind == Command::kResolveFilm || command.kind == Command::kResolveCloud;
  if (page) {
    if (resolve) return fail(*verb + " takes no --page");
    if (*page < 0) return fail("--page must not be negative");
    command.page = *page;
  }
  if (!operand) return fail(*verb + (resolve ? " needs a LINK" : " needs a KEYWORD"));
  command.text = *operand;
  return command;
}

}  // namespace vellox::cli
