#include "cli/resolve_commands.h"

namespace vellox::cli {

int ResolveFilm(const search::SearchEnvironment&, int, const text::LocalText&, std::ostream&,
                std::ostream& err) {
  err << "vellox-search: resolve-film is not built yet\n";
  return 2;
}

int ResolveCloud(const search::SearchEnvironment&, int, const text::LocalText&, std::ostream&,
                 std::ostream& err) {
  err << "vellox-search: resolve-cloud is not built yet\n";
  return 2;
}

}  // namespace vellox::cli
