// Records in one SQLite file, in WAL mode: a writer connection that commits
// each batch in a transaction, and a reader connection for the page, so that
// readers never wait for a commit.
#include <sqlite3.h>

#include <filesystem>
#include <mutex>

#include "store.h"

namespace scores {
namespace {

class Db {
 public:
  explicit Db(const std::string& path) {
    int rc = sqlite3_open_v2(path.c_str(), &db_,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                             nullptr);
    if (rc != SQLITE_OK) {
      std::string why = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc);
      sqlite3_close(db_);
      throw StoreError("cannot open " + path + ": " + why);
    }
    sqlite3_busy_timeout(db_, 10000);
  }
  ~Db() { sqlite3_close_v2(db_); }
  Db(const Db&) = delete;
  Db& operator=(const Db&) = delete;

  void exec(const char* sql) {
    char* err = nullptr;
    if (sqlite3_exec(db_, sql, nullptr, nullptr, &err) != SQLITE_OK) {
      std::string why = err ? err : sqlite3_errmsg(db_);
      sqlite3_free(err);
      throw StoreError(std::string(sql).substr(0, 40) + "...: " + why);
    }
  }
  sqlite3* get() const { return db_; }

 private:
  sqlite3* db_ = nullptr;
};

class Stmt {
 public:
  Stmt(Db& db, const char* sql) : db_(db.get()) {
    if (sqlite3_prepare_v2(db_, sql, -1, &s_, nullptr) != SQLITE_OK)
      throw StoreError(std::string("prepare: ") + sqlite3_errmsg(db_));
  }
  ~Stmt() { sqlite3_finalize(s_); }
  Stmt(const Stmt&) = delete;
  Stmt& operator=(const Stmt&) = delete;
  sqlite3_stmt* get() const { return s_; }
  [[noreturn]] void fail(const char* what) const {
    throw StoreError(std::string(what) + ": " + sqlite3_errmsg(db_));
  }

 private:
  sqlite3* db_;
  sqlite3_stmt* s_ = nullptr;
};

class SqliteStore final : public Store {
 public:
  explicit SqliteStore(const std::string& path)
      : path_(path), writer_(prepare_file(path)), reader_(path),
        insert_(writer_, "INSERT INTO scores(score, name, email, optin, client, created) "
                         "VALUES(?, ?, ?, ?, ?, ?)"),
        best_(reader_, "SELECT score, name, created FROM scores "
                       "ORDER BY score DESC, id LIMIT ?") {}

  void add(const std::vector<Entry>& entries) override {
    writer_.exec("BEGIN IMMEDIATE");
    try {
      sqlite3_stmt* s = insert_.get();
      for (const Entry& e : entries) {
        sqlite3_reset(s);
        sqlite3_bind_int64(s, 1, e.record.score);
        sqlite3_bind_text(s, 2, e.record.name.data(), static_cast<int>(e.record.name.size()),
                          SQLITE_TRANSIENT);
        sqlite3_bind_text(s, 3, e.record.email.data(), static_cast<int>(e.record.email.size()),
                          SQLITE_TRANSIENT);
        sqlite3_bind_int(s, 4, e.record.optin ? 1 : 0);
        sqlite3_bind_text(s, 5, e.client.data(), static_cast<int>(e.client.size()),
                          SQLITE_TRANSIENT);
        sqlite3_bind_int64(s, 6, e.created);
        if (sqlite3_step(s) != SQLITE_DONE) insert_.fail("insert");
      }
      sqlite3_reset(s);
      writer_.exec("COMMIT");
    } catch (...) {
      sqlite3_reset(insert_.get());
      sqlite3_exec(writer_.get(), "ROLLBACK", nullptr, nullptr, nullptr);
      throw;
    }
  }

  std::vector<Ranked> best(int n) override {
    std::lock_guard<std::mutex> lock(read_mutex_);
    sqlite3_stmt* s = best_.get();
    sqlite3_reset(s);
    sqlite3_bind_int(s, 1, n);
    std::vector<Ranked> out;
    int rc;
    while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
      const auto* name = reinterpret_cast<const char*>(sqlite3_column_text(s, 1));
      out.push_back({sqlite3_column_int64(s, 0), name ? name : "", sqlite3_column_int64(s, 2)});
    }
    sqlite3_reset(s);
    if (rc != SQLITE_DONE) best_.fail("read scores");
    return out;
  }

  std::string describe() const override { return "SQLite " + path_; }

 private:
  // Makes the folder and the schema before the connections are opened.
  static const std::string& prepare_file(const std::string& path) {
    std::filesystem::path parent = std::filesystem::path(path).parent_path();
    std::error_code ec;
    if (!parent.empty()) std::filesystem::create_directories(parent, ec);
    if (ec) throw StoreError("cannot create " + parent.string() + ": " + ec.message());
    Db db(path);
    db.exec("PRAGMA journal_mode=WAL");
    db.exec(
        "CREATE TABLE IF NOT EXISTS scores("
        " id INTEGER PRIMARY KEY,"
        " score INTEGER NOT NULL,"
        " name TEXT NOT NULL,"
        " email TEXT NOT NULL,"
        " optin INTEGER NOT NULL,"
        " client TEXT NOT NULL,"
        " created INTEGER NOT NULL);"
        "CREATE INDEX IF NOT EXISTS scores_best ON scores(score DESC, id);");
    return path;
  }

  struct Writer : Db {
    explicit Writer(const std::string& path) : Db(path) {
      // A commit is on the disk before its record is acknowledged.
      exec("PRAGMA synchronous=FULL");
    }
  };

  std::string path_;
  Writer writer_;
  Db reader_;
  Stmt insert_;
  std::mutex read_mutex_;
  Stmt best_;
};

}  // namespace

std::unique_ptr<Store> open_sqlite_store(const std::string& path) {
  return std::make_unique<SqliteStore>(path);
}

}  // namespace scores
