#pragma once
// The roots of every web address the system asks, fixed at build time. CMake
// generates BuiltInSiteRoots() from a roots file (`Name = value` lines); the
// default file points at vellox-sample-sites on loopback. Nothing reads roots at
// run time except the command line's --roots, which uses the same format.

#include <string>
#include <string_view>

namespace vellox::search {

struct SiteRoots {
  // Each root is a scheme, a host and a closing "/".
  std::string ResourceSiteRoot1;
  std::string ResourceSiteRoot2;
  std::string ResourceSiteRoot3;
  std::string ResourceSiteRoot4;
  std::string ResourceSiteRoot5;
  std::string ResourceSiteRoot6;
  std::string ProSearchRoot;
  std::string WebSearchRoot;
  std::string CloudDiskRoot;
  // Fifteen cloud-storage host names joined by "%7C".
  std::string InsiteHosts;
  std::string NoticePageUrl;
  std::string UpdatePageUrl;

  // ResourceSiteRoot1 .. ResourceSiteRoot6 by number; empty outside 1..6.
  const std::string& ResourceSiteRoot(int site) const;
};

SiteRoots BuiltInSiteRoots();

// Reads a roots file's text over `base`: names not given keep their value in
// `base`. On an unknown name or a line without "=", returns false and sets
// `error` to "FILE:LINE: what is wrong".
bool ParseRoots(std::string_view content, std::string_view file_name, SiteRoots& roots,
                std::string& error);

}  // namespace vellox::search
