// Pattern extraction over generated result pages: RegexObject (RE2) against
// std::regex as the baseline. Each iteration runs Create and reads every group
// of every match, as a provider does. Pages of 100 KB, 1 MB and 8 MB, laid out
// as many short lines or as one long line. Bytes per second are page bytes.
//
// std::regex backtracks recursively, so it runs on a thread with a 512 MB
// stack; an error it throws (stack or complexity) skips that case.

#include <benchmark/benchmark.h>
#include <pthread.h>

#include <functional>
#include <regex>
#include <iterator>
#include <string>
#include <vector>

#include "text/regex_object.h"

namespace {

using vellox::text::LocalText;
using vellox::text::RegexObject;

// The passes one torrent site runs over its result page: titles with their
// links, then sizes, then dates. The first is the typical single pattern.
const char* const kSitePasses[] = {
    "<a href=\"/detail/(.*?)\\.html\" title=\"(.*?)\">(.*?)</a>",
    "<td class=\"size\">(.*?)</td>",
    "<td class=\"date\">(.*?)</td>",
};

enum Layout { kManyLines = 0, kOneLine = 1 };

std::string PageUtf8(size_t bytes, Layout layout) {
  std::string page = "<html><body><table class=\"list\">";
  for (int n = 0; page.size() < bytes; ++n) {
    const std::string id = std::to_string(100000 + n);
    page += "<tr class=\"row\"><td class=\"icon\"><img src=\"/static/icons/video.png\" "
            "alt=\"\" width=\"16\" height=\"16\"></td><td class=\"name\">"
            "<a href=\"/detail/" + id + ".html\" title=\"电影 " + id +
            " 高清中字\">电影 " + id + " 高清中字 1080p</a>"
            "<span class=\"tags\"><em>HD</em> <em>中字</em></span></td>"
            "<td class=\"size\">" + std::to_string(n % 97 + 1) + ".5 GB</td>"
            "<td class=\"date\">2024-01-0" + std::to_string(n % 9 + 1) + "</td>"
            "<td class=\"peers\"><span class=\"seed\">" + std::to_string(n % 300) +
            "</span> / <span class=\"leech\">" + std::to_string(n % 41) + "</span></td></tr>";
    if (layout == kManyLines) page += "\n";
  }
  page += "</table></body></html>";
  return page;
}

const char* SizeName(int64_t bytes) {
  return bytes >= (8 << 20) ? "8MB" : bytes >= (1 << 20) ? "1MB" : "100KB";
}

void SetLabel(benchmark::State& state, int matches) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
  state.SetLabel(std::string(SizeName(state.range(0))) +
                 (state.range(1) == kOneLine ? " one line" : " many lines") + ", " +
                 (state.range(2) == 1 ? "one pattern, " : "all passes of a site, ") +
                 std::to_string(matches) + " matches");
}

void BM_Re2RegexObject(benchmark::State& state) {
  const LocalText page =
      LocalText::FromUtf8(PageUtf8(static_cast<size_t>(state.range(0)), Layout(state.range(1))));
  std::vector<LocalText> patterns;
  for (int p = 0; p < state.range(2); ++p) patterns.push_back(LocalText::FromUtf8(kSitePasses[p]));
  int matches = 0;
  for (auto _ : state) {
    RegexObject regex;
    for (const LocalText& pattern : patterns) {
      regex.Create(pattern, page);
      matches = regex.MatchCount();
      const int groups = regex.SubMatchCount();
      for (int n = 1; n <= matches; ++n) {
        for (int k = 1; k <= groups; ++k) benchmark::DoNotOptimize(regex.SubMatchText(n, k));
      }
    }
  }
  SetLabel(state, matches);
}

// Runs `work` on a new thread with a 512 MB stack and waits for it.
void RunOnBigStack(const std::function<void()>& work) {
  pthread_attr_t attr;
  pthread_attr_init(&attr);
  pthread_attr_setstacksize(&attr, size_t{512} << 20);
  pthread_t thread;
  auto trampoline = [](void* arg) -> void* {
    (*static_cast<const std::function<void()>*>(arg))();
    return nullptr;
  };
  pthread_create(&thread, &attr, trampoline, const_cast<std::function<void()>*>(&work));
  pthread_join(thread, nullptr);
  pthread_attr_destroy(&attr);
}

void BM_StdRegex(benchmark::State& state) {
  const std::string page = PageUtf8(static_cast<size_t>(state.range(0)), Layout(state.range(1)));
  int matches = 0;
  std::string error;
  for (auto _ : state) {
    RunOnBigStack([&] {
      try {
        for (int p = 0; p < state.range(2); ++p) {
          const std::regex regex(kSitePasses[p], std::regex::ECMAScript | std::regex::icase);
          matches = 0;
          for (std::sregex_iterator it(page.begin(), page.end(), regex), end; it != end; ++it) {
            ++matches;
            for (size_t k = 1; k < it->size(); ++k) benchmark::DoNotOptimize((*it)[k].str());
          }
        }
      } catch (const std::regex_error& e) {
        error = e.what();
      }
    });
    if (!error.empty()) break;
  }
  if (!error.empty()) {
    state.SkipWithError(error.c_str());
    return;
  }
  SetLabel(state, matches);
}

// One pattern over every page; all passes of the site over the 1 MB pages.
void PageArgs(benchmark::internal::Benchmark* b) {
  constexpr int64_t kAllPasses = std::size(kSitePasses);
  for (int layout : {kManyLines, kOneLine}) {
    for (int64_t bytes : {int64_t{100} << 10, int64_t{1} << 20, int64_t{8} << 20}) {
      b->Args({bytes, layout, 1});
    }
    b->Args({int64_t{1} << 20, layout, kAllPasses});
  }
  b->ArgNames({"bytes", "one_line", "passes"})->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_Re2RegexObject)->Apply(PageArgs);
BENCHMARK(BM_StdRegex)->Apply(PageArgs)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
