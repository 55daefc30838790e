#include "platform/cookie_store.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <vector>

#include "platform/cookie_rules.h"

namespace vellox::platform {
namespace {

int64_t NowSeconds() {
  return std::chrono::duration_cast<std::chrono::seconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

// Creation times order cookies; within a process they never repeat.
int64_t NextCreationMicros() {
  static std::atomic<int64_t> last{0};
  int64_t now = std::chrono::duration_cast<std::chrono::microseconds>(
                    std::chrono::system_clock::now().time_since_epoch())
                    .count();
  int64_t previous = last.load();
  while (!last.compare_exchange_weak(previous, std::max(now, previous + 1))) {
  }
  return std::max(now, previous + 1);
}

bool SameKey(const Cookie& a, const Cookie& b) {
  return a.name == b.name && a.domain == b.domain && a.path == b.path;
}

// Where cookies are kept. Calls are serialized by the store.
class CookieBackend {
 public:
  virtual ~CookieBackend() = default;
  // The unexpired cookies kept under any of `domains`.
  virtual std::vector<Cookie> Load(const std::vector<std::string>& domains, int64_t now) = 0;
  // Keeps `cookie` in place of the one with its name, domain and path, whose
  // creation time it takes over.
  virtual bool Put(const Cookie& cookie) = 0;
  virtual bool Remove(const Cookie& key) = 0;
};

class MemoryBackend : public CookieBackend {
 public:
  std::vector<Cookie> Load(const std::vector<std::string>& domains, int64_t now) override {
    std::erase_if(cookies_, [&](const Cookie& c) { return c.ExpiredAt(now); });
    std::vector<Cookie> out;
    for (const Cookie& c : cookies_) {
      if (std::find(domains.begin(), domains.end(), c.domain) != domains.end()) out.push_back(c);
    }
    return out;
  }
  bool Put(const Cookie& cookie) override {
    for (Cookie& c : cookies_) {
      if (SameKey(c, cookie)) {
        int64_t creation = c.creation;
        c = cookie;
        c.creation = creation;
        return true;
      }
    }
    cookies_.push_back(cookie);
    return true;
  }
  bool Remove(const Cookie& key) override {
    std::erase_if(cookies_, [&](const Cookie& c) { return SameKey(c, key); });
    return true;
  }

 private:
  std::vector<Cookie> cookies_;
};

struct StatementDeleter {
  void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Statement = std::unique_ptr<sqlite3_stmt, StatementDeleter>;

// Persistent cookies in one SQLite file, shared with other processes: WAL so
// readers never block the writer, a busy time-out so that writers queue
// instead of failing, one transaction per change.
class SqliteBackend : public CookieBackend {
 public:
  static std::unique_ptr<SqliteBackend> Open(const std::string& path) {
    std::error_code ignored;
    std::filesystem::path parent = std::filesystem::path(path).parent_path();
    if (!parent.empty() && !std::filesystem::exists(parent, ignored)) {
      std::filesystem::create_directories(parent, ignored);
      ::chmod(parent.c_str(), 0700);
    }
    // The file holds session tokens: readable by its owner only.
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return nullptr;
    ::fchmod(fd, 0600);
    ::close(fd);

    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK) {
      sqlite3_close(db);
      return nullptr;
    }
    auto backend = std::unique_ptr<SqliteBackend>(new SqliteBackend(db));
    return backend->Prepare() ? std::move(backend) : nullptr;
  }

  ~SqliteBackend() override {
    load_.reset();
    put_.reset();
    remove_.reset();
    purge_.reset();
    sqlite3_close(db_);
  }

  std::vector<Cookie> Load(const std::vector<std::string>& domains, int64_t now) override {
    std::vector<Cookie> out;
    for (const std::string& domain : domains) {
      sqlite3_stmt* s = load_.get();
      sqlite3_reset(s);
      BindText(s, 1, domain);
      sqlite3_bind_int64(s, 2, now);
      while (sqlite3_step(s) == SQLITE_ROW) {
        Cookie c;
        c.name = ColumnText(s, 0);
        c.value = ColumnText(s, 1);
        c.domain = ColumnText(s, 2);
        c.path = ColumnText(s, 3);
        c.persistent = true;
        c.expiry = sqlite3_column_int64(s, 4);
        c.creation = sqlite3_column_int64(s, 5);
        c.host_only = sqlite3_column_int(s, 6) != 0;
        c.secure = sqlite3_column_int(s, 7) != 0;
        c.http_only = sqlite3_column_int(s, 8) != 0;
        out.push_back(std::move(c));
      }
      sqlite3_reset(s);
    }
    return out;
  }

  bool Put(const Cookie& cookie) override {
    return InTransaction([&] {
      sqlite3_stmt* s = put_.get();
      sqlite3_reset(s);
      BindText(s, 1, cookie.name);
      BindText(s, 2, cookie.value);
      BindText(s, 3, cookie.domain);
      BindText(s, 4, cookie.path);
      sqlite3_bind_int64(s, 5, cookie.expiry);
      sqlite3_bind_int64(s, 6, cookie.creation);
      sqlite3_bind_int(s, 7, cookie.host_only);
      sqlite3_bind_int(s, 8, cookie.secure);
      sqlite3_bind_int(s, 9, cookie.http_only);
      bool ok = sqlite3_step(s) == SQLITE_DONE;
      sqlite3_reset(s);
      return ok && Purge();
    });
  }

  bool Remove(const Cookie& key) override {
    return InTransaction([&] {
      sqlite3_stmt* s = remove_.get();
      sqlite3_reset(s);
      BindText(s, 1, key.name);
      BindText(s, 2, key.domain);
      BindText(s, 3, key.path);
      bool ok = sqlite3_step(s) == SQLITE_DONE;
      sqlite3_reset(s);
      return ok;
    });
  }

 private:
  explicit SqliteBackend(sqlite3* db) : db_(db) {}

  bool Prepare() {
    sqlite3_busy_timeout(db_, 10000);
    if (!Exec("PRAGMA journal_mode=WAL") || !Exec("PRAGMA synchronous=NORMAL") ||
        !Exec("CREATE TABLE IF NOT EXISTS cookies("
              "name BLOB NOT NULL, value BLOB NOT NULL, domain BLOB NOT NULL, path BLOB NOT NULL,"
              "expiry INTEGER NOT NULL, creation INTEGER NOT NULL, host_only INTEGER NOT NULL,"
              "secure INTEGER NOT NULL, http_only INTEGER NOT NULL,"
              "PRIMARY KEY(name, domain, path)) WITHOUT ROWID")) {
      return false;
    }
    load_ = PrepareStatement(
        "SELECT name, value, domain, path, expiry, creation, host_only, secure, http_only "
        "FROM cookies WHERE domain = ?1 AND expiry > ?2");
    put_ = PrepareStatement(
        "INSERT INTO cookies(name, value, domain, path, expiry, creation, host_only, secure, http_only) "
        "VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9) ON CONFLICT(name, domain, path) DO UPDATE SET "
        "value = excluded.value, expiry = excluded.expiry, host_only = excluded.host_only, "
        "secure = excluded.secure, http_only = excluded.http_only");
    remove_ = PrepareStatement("DELETE FROM cookies WHERE name = ?1 AND domain = ?2 AND path = ?3");
    purge_ = PrepareStatement("DELETE FROM cookies WHERE expiry <= ?1");
    return load_ && put_ && remove_ && purge_;
  }

  bool Exec(const char* sql) {
    // Another process may hold the file while it switches to WAL.
    return sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
  }

  Statement PrepareStatement(const char* sql) {
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, &s, nullptr);
    return Statement(s);
  }

  template <typename Change>
  bool InTransaction(Change change) {
    // IMMEDIATE takes the write lock up front, so the busy time-out applies and
    // a concurrent writer waits instead of failing later.
    if (!Exec("BEGIN IMMEDIATE")) return false;
    if (!change()) {
      Exec("ROLLBACK");
      return false;
    }
    if (!Exec("COMMIT")) {
      Exec("ROLLBACK");
      return false;
    }
    return true;
  }

  bool Purge() {
    sqlite3_stmt* s = purge_.get();
    sqlite3_reset(s);
    sqlite3_bind_int64(s, 1, NowSeconds());
    bool ok = sqlite3_step(s) == SQLITE_DONE;
    sqlite3_reset(s);
    return ok;
  }

  static void BindText(sqlite3_stmt* s, int index, const std::string& text) {
    sqlite3_bind_blob(s, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
  }
  static std::string ColumnText(sqlite3_stmt* s, int column) {
    const void* data = sqlite3_column_blob(s, column);
    int size = sqlite3_column_bytes(s, column);
    return data ? std::string(static_cast<const char*>(data), size) : std::string();
  }

  sqlite3* db_;
  Statement load_, put_, remove_, purge_;
};

// Session cookies in memory, persistent ones in `persistent`; the RFC 6265
// rules on top.
class RuleStore : public CookieStore {
 public:
  explicit RuleStore(std::unique_ptr<CookieBackend> persistent) : persistent_(std::move(persistent)) {}

  std::optional<std::string> CookiesFor(std::string_view url) override {
    auto to = ParseCookieUrl(url);
    if (!to) return std::nullopt;
    const int64_t now = NowSeconds();
    std::vector<std::string> domains = DomainCandidates(to->host);
    std::lock_guard lock(mutex_);
    std::vector<Cookie> matching;
    for (CookieBackend* backend : {static_cast<CookieBackend*>(&session_), persistent_.get()}) {
      for (Cookie& c : backend->Load(domains, now)) {
        if (CookieMatches(c, *to, now)) matching.push_back(std::move(c));
      }
    }
    if (matching.empty()) return std::nullopt;
    return SerializeCookies(std::move(matching));
  }

  bool SetCookie(std::string_view url, std::string_view name, std::string_view data) override {
    auto from = ParseCookieUrl(url);
    if (!from) return false;
    // The store is handed a line split at its first "="; put it together again
    // so that one parser sees every cookie as it was sent. A nameless cookie
    // keeps its "=": "==x" is the value "=x", not a cookie named "=x".
    std::string line = std::string(name) + "=" + std::string(data);
    const int64_t now = NowSeconds();
    auto cookie = ParseSetCookie(*from, line, now);
    if (!cookie) return false;

    std::lock_guard lock(mutex_);
    std::vector<std::string> domains = DomainCandidates(cookie->domain);
    std::optional<Cookie> old;
    for (CookieBackend* backend : {static_cast<CookieBackend*>(&session_), persistent_.get()}) {
      for (const Cookie& c : backend->Load(domains, now)) {
        // RFC 6265bis 5.7 step 15: plain http may not shadow a Secure cookie.
        if (!from->secure && c.secure && c.name == cookie->name &&
            (DomainMatch(c.domain, cookie->domain) || DomainMatch(cookie->domain, c.domain)) &&
            PathMatch(cookie->path, c.path)) {
          return false;
        }
        if (SameKey(c, *cookie)) old = c;
      }
    }
    if (cookie->ExpiredAt(now)) {
      session_.Remove(*cookie);
      return persistent_->Remove(*cookie);
    }
    cookie->creation = old ? old->creation : NextCreationMicros();
    CookieBackend& keep = cookie->persistent ? *persistent_ : session_;
    CookieBackend& drop = cookie->persistent ? static_cast<CookieBackend&>(session_) : *persistent_;
    if (old && old->persistent != cookie->persistent) drop.Remove(*cookie);
    return keep.Put(*cookie);
  }

 private:
  std::mutex mutex_;
  MemoryBackend session_;
  std::unique_ptr<CookieBackend> persistent_;
};

}  // namespace

std::string DefaultCookieStorePath() {
  const char* data_home = std::getenv("XDG_DATA_HOME");
  std::string base;
  if (data_home && data_home[0] == '/') {
    base = data_home;
  } else {
    const char* home = std::getenv("HOME");
    base = std::string(home ? home : ".") + "/.local/share";
  }
  return base + "/vellox/cookies.sqlite";
}

std::unique_ptr<CookieStore> OpenCookieStore(const std::string& path) {
  std::unique_ptr<CookieBackend> persistent = SqliteBackend::Open(path);
  if (!persistent) persistent = std::make_unique<MemoryBackend>();
  return std::make_unique<RuleStore>(std::move(persistent));
}

std::unique_ptr<CookieStore> NewMemoryCookieStore() {
  return std::make_unique<RuleStore>(std::make_unique<MemoryBackend>());
}

}  // namespace vellox::platform
