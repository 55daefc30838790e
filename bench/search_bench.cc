// The search providers' speed. Extraction: a site's whole page handling (the
// code-page conversion of the page, then every pass, rows filled through a
// bridge that keeps nothing) over generated pages of that site's markup at 50
// results, 1 MB and 8 MB. End to end: one search through the sample sites on
// loopback, from the address to the filled rows.

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "platform/cookie_store.h"
#include "platform/request_engine.h"
#include "search/cloud_disk_search.h"
#include "search/resource_search.h"
#include "search/site_table.h"
#include "tools/sample_sites.h"

namespace vellox::search {
namespace {

using tools::SampleSite;

class NullBridge : public TabBridge {
 public:
  explicit NullBridge(int radio = 1) : radio_(radio) {}
  text::LocalText KeywordText() override { return keyword_; }
  void SetKeywordText(const text::LocalText& text) override { keyword_ = text; }
  bool RadioSelected(int number) override { return number == radio_; }
  int PageCounter() override { return 0; }
  void InsertItem(const text::LocalText&) override { ++rows; }
  void SetCellText(int, int, const text::LocalText& text) override {
    benchmark::DoNotOptimize(text.size());
  }
  text::LocalText CellText(int, int) override { return {}; }
  int SelectedRow() override { return -1; }
  int rows = 0;

 private:
  text::LocalText keyword_ = text::LocalText::FromUtf8("星际");
  int radio_;
};

const SearchSite& SiteFor(SampleSite site) {
  switch (site) {
    case SampleSite::kPro: return ProfessionalSearch();
    case SampleSite::kWeb: return ComprehensiveSearch();
    default: return ResourceSites()[static_cast<int>(site) - 1];
  }
}

constexpr const char* kOrigin = "http://127.0.0.1:18936";

// A page of `site`'s markup holding 50 results (bytes = 0) or about `bytes`.
std::string GeneratedPage(SampleSite site, size_t bytes) {
  const std::string fifty = tools::ResultPage(site, "星际", 0, 50, kOrigin);
  if (bytes == 0) return fifty;
  const size_t per_result = fifty.size() / 50;
  return tools::ResultPage(site, "星际", 0, static_cast<int>(bytes / per_result), kOrigin);
}

// The body as the site sends it: a percent-encoded page is decoded whole, so
// the extraction pays for that decode as it would on a real search.
void BM_Extraction(benchmark::State& state) {
  const auto sample = static_cast<SampleSite>(state.range(0));
  const SearchSite& site = SiteFor(sample);
  const SiteRoots roots = BuiltInSiteRoots();
  const text::LocalText body(GeneratedPage(sample, static_cast<size_t>(state.range(1))));
  int rows = 0;
  for (auto _ : state) {
    NullBridge tab;
    FillRows(tab, site, roots, DecodePage(site, body));
    rows = tab.rows;
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * body.size());
  state.counters["rows"] = rows;
  state.counters["page_kB"] = body.size() / 1024.0;
}

void ExtractionArgs(benchmark::internal::Benchmark* b) {
  for (int site = 1; site <= 8; ++site) {
    for (int64_t bytes : {int64_t{0}, int64_t{1} << 20, int64_t{8} << 20}) b->Args({site, bytes});
  }
  b->ArgNames({"site", "bytes"})->Unit(benchmark::kMillisecond);
}
BENCHMARK(BM_Extraction)->Apply(ExtractionArgs);

// One search of a 50-result page through the sample sites on loopback.
void BM_EndToEnd(benchmark::State& state) {
  static tools::SampleSitesServer* server = [] {
    auto* s = new tools::SampleSitesServer(50);
    s->Start("127.0.0.1", 0);
    return s;
  }();
  const auto sample = static_cast<SampleSite>(state.range(0));
  const SiteRoots roots = server->Roots(BuiltInSiteRoots());
  const auto cookies = platform::NewMemoryCookieStore();
  const SearchEnvironment environment{roots, {*cookies, platform::DefaultRequestEngine()}};
  const bool film = sample <= SampleSite::kSite6;
  const int radio = film ? static_cast<int>(sample) : (sample == SampleSite::kPro ? 1 : 2);
  int rows = 0;
  for (auto _ : state) {
    NullBridge tab(radio);
    if (film) {
      ResourceSearch(tab, environment);
    } else {
      CloudDiskSearch(tab, environment);
    }
    rows = tab.rows;
  }
  state.counters["rows"] = rows;
}
BENCHMARK(BM_EndToEnd)->DenseRange(1, 8)->ArgName("site")->Unit(benchmark::kMillisecond);

// The server's own share of an end-to-end search: generating the page.
void BM_ServerPage(benchmark::State& state) {
  const auto sample = static_cast<SampleSite>(state.range(0));
  for (auto _ : state) {
    benchmark::DoNotOptimize(tools::ResultPage(sample, "星际", 0, 50, kOrigin));
  }
}
BENCHMARK(BM_ServerPage)->DenseRange(1, 8)->ArgName("site")->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vellox::search

BENCHMARK_MAIN();
