#include "search/site_roots.h"

#include <array>
#include <utility>

namespace vellox::search {
namespace {

std::string_view Strip(std::string_view s) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

std::string* Field(SiteRoots& roots, std::string_view name) {
  const std::array<std::pair<std::string_view, std::string*>, 12> fields{{
      {"ResourceSiteRoot1", &roots.ResourceSiteRoot1},
      {"ResourceSiteRoot2", &roots.ResourceSiteRoot2},
      {"ResourceSiteRoot3", &roots.ResourceSiteRoot3},
      {"ResourceSiteRoot4", &roots.ResourceSiteRoot4},
      {"ResourceSiteRoot5", &roots.ResourceSiteRoot5},
      {"ResourceSiteRoot6", &roots.ResourceSiteRoot6},
      {"ProSearchRoot", &roots.ProSearchRoot},
      {"WebSearchRoot", &roots.WebSearchRoot},
      {"CloudDiskRoot", &roots.CloudDiskRoot},
      {"InsiteHosts", &roots.InsiteHosts},
      {"NoticePageUrl", &roots.NoticePageUrl},
      {"UpdatePageUrl", &roots.UpdatePageUrl},
  }};
  for (const auto& [field_name, field] : fields) {
    if (field_name == name) return field;
  }
  return nullptr;
}

}  // namespace

const std::string& SiteRoots::ResourceSiteRoot(int site) const {
  static const std::string kNone;
  switch (site) {
    case 1: return ResourceSiteRoot1;
    case 2: return ResourceSiteRoot2;
    case 3: return ResourceSiteRoot3;
    case 4: return ResourceSiteRoot4;
    case 5: return ResourceSiteRoot5;
    case 6: return ResourceSiteRoot6;
    default: return kNone;
  }
}

bool ParseRoots(std::string_view content, std::string_view file_name, SiteRoots& roots,
                std::string& error) {
  SiteRoots parsed = roots;
  int line_number = 0;
  while (!content.empty()) {
    const size_t end = content.find('\n');
    std::string_view line = Strip(content.substr(0, end));
    content = end == std::string_view::npos ? std::string_view() : content.substr(end + 1);
    ++line_number;
    if (line.empty() || line.front() == '#') continue;
    const size_t eq = line.find('=');
    const std::string where = std::string(file_name) + ":" + std::to_string(line_number) + ": ";
    if (eq == std::string_view::npos) {
      error = where + "expected Name = value";
      return false;
    }
    const std::string_view name = Strip(line.substr(0, eq));
    std::string* field = Field(parsed, name);
    if (field == nullptr) {
      error = where + "unknown name '" + std::string(name) + "'";
      return false;
    }
    *field = std::string(Strip(line.substr(eq + 1)));
  }
  roots = std::move(parsed);
  return true;
}

}  // namespace vellox::search
