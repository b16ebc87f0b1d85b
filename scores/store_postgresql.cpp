// Records in a PostgreSQL database shared by any number of servers: a writer
// connection that inserts each batch in one transaction, and a reader
// connection for the page.
#include <libpq-fe.h>

#include <poll.h>

#include <cerrno>
#include <chrono>
#include <mutex>

#include "store.h"

namespace scores {
namespace {

struct Result {
  PGresult* r;
  explicit Result(PGresult* res) : r(res) {}
  ~Result() { PQclear(r); }
  Result(const Result&) = delete;
  Result& operator=(const Result&) = delete;
};

// How long one statement may take, and one connection attempt. A database
// that stops answering (a hung host, a stopped process) must not hang the
// server: past the deadline the connection is dropped and made anew before
// its next use, and the record is answered as not stored.
constexpr int kStatementSeconds = 3;
constexpr int kConnectSeconds = 3;

// The URL or key-value string with the client's time limits added, unless
// the operator set them: a bounded connection attempt, and TCP keepalives
// that notice a silent network peer.
std::string with_client_limits(const std::string& url) {
  const bool is_url = url.rfind("postgresql://", 0) == 0 || url.rfind("postgres://", 0) == 0;
  std::string out = url;
  auto add = [&](const std::string& key, const std::string& value) {
    if (url.find(key + "=") != std::string::npos) return;
    if (is_url)
      out += (out.find('?') == std::string::npos ? "?" : "&") + key + "=" + value;
    else
      out += " " + key + "=" + value;
  };
  add("connect_timeout", std::to_string(kConnectSeconds));
  add("keepalives", "1");
  add("keepalives_idle", "10");
  add("keepalives_interval", "5");
  add("keepalives_count", "3");
  return out;
}

class Connection {
 public:
  explicit Connection(const std::string& url) : url_(with_client_limits(url)) { connect(); }
  ~Connection() {
    if (c_) PQfinish(c_);
  }
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  // Makes a lost connection again; called only between transactions, so that
  // no transaction goes on over a new connection.
  void ensure() {
    if (c_ && PQstatus(c_) == CONNECTION_OK) return;
    if (c_) PQfinish(c_);
    c_ = nullptr;
    connect();
  }

  // Runs one statement and waits for its result at most kStatementSeconds.
  Result run(const std::string& sql, const std::vector<std::string>& params = {},
             ExecStatusType expect = PGRES_COMMAND_OK) {
    if (!c_) throw StoreError("PostgreSQL: not connected");
    std::vector<const char*> values;
    for (const std::string& p : params) values.push_back(p.c_str());
    if (!PQsendQueryParams(c_, sql.c_str(), static_cast<int>(values.size()), nullptr, values.data(),
                           nullptr, nullptr, 0))
      throw StoreError("PostgreSQL: " + trim(PQerrorMessage(c_)));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(kStatementSeconds);
    while (PQisBusy(c_)) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      pollfd p{PQsocket(c_), POLLIN, 0};
      int ready = left.count() > 0 ? poll(&p, 1, static_cast<int>(left.count())) : 0;
      if (ready < 0 && errno == EINTR) continue;
      if (ready <= 0) {
        // Nobody answers: this connection is given up, never reused mid-way.
        PQfinish(c_);
        c_ = nullptr;
        throw StoreError("PostgreSQL did not answer within " + std::to_string(kStatementSeconds) + " s");
      }
      if (!PQconsumeInput(c_)) throw StoreError("PostgreSQL: " + trim(PQerrorMessage(c_)));
    }
    PGresult* first = nullptr;
    while (PGresult* r = PQgetResult(c_)) {
      if (!first)
        first = r;
      else
        PQclear(r);
    }
    Result res(first);
    if (!first || PQresultStatus(first) != expect) throw StoreError("PostgreSQL: " + trim(PQerrorMessage(c_)));
    return Result(release(res));
  }

 private:
  void connect() {
    c_ = PQconnectdb(url_.c_str());
    if (!c_) throw StoreError("cannot connect to PostgreSQL: out of memory");
    if (PQstatus(c_) != CONNECTION_OK) {
      std::string why = PQerrorMessage(c_);
      PQfinish(c_);
      c_ = nullptr;
      throw StoreError("cannot connect to PostgreSQL: " + trim(why));
    }
    PQsetClientEncoding(c_, "UTF8");
  }
  static PGresult* release(Result& res) {
    PGresult* r = res.r;
    res.r = nullptr;
    return r;
  }
  static std::string trim(std::string s) {
    while (!s.empty() && (s.back() == '\n' || s.back() == ' ')) s.pop_back();
    return s;
  }
  std::string url_;
  PGconn* c_ = nullptr;
};

class PostgresqlStore final : public Store {
 public:
  explicit PostgresqlStore(const std::string& url) : writer_(url), reader_(url) {
    // Servers starting together on one database make the schema one at a time.
    writer_.run("BEGIN");
    try {
      writer_.run("SELECT pg_advisory_xact_lock(42673)", {}, PGRES_TUPLES_OK);
      writer_.run(
          "CREATE TABLE IF NOT EXISTS scores("
          " id BIGSERIAL PRIMARY KEY,"
          " score BIGINT NOT NULL,"
          " name TEXT NOT NULL,"
          " email TEXT NOT NULL,"
          " optin BOOLEAN NOT NULL,"
          " client TEXT NOT NULL,"
          " created BIGINT NOT NULL)");
      writer_.run("CREATE INDEX IF NOT EXISTS scores_best ON scores(score DESC, id)");
      writer_.run("COMMIT");
    } catch (...) {
      rollback();
      throw;
    }
    Result db(reader_.run("SELECT current_database()", {}, PGRES_TUPLES_OK));
    name_ = std::string("PostgreSQL database ") + PQgetvalue(db.r, 0, 0);
  }

  void add(const std::vector<Entry>& entries) override {
    // One multi-row insert per slice keeps round trips few.
    constexpr std::size_t kRows = 500;
    writer_.ensure();
    writer_.run("BEGIN");
    try {
      for (std::size_t at = 0; at < entries.size(); at += kRows) {
        std::string sql = "INSERT INTO scores(score, name, email, optin, client, created) VALUES ";
        std::vector<std::string> params;
        for (std::size_t i = at; i < entries.size() && i < at + kRows; ++i) {
          const Entry& e = entries[i];
          std::size_t p = params.size();
          sql += (i == at ? "(" : ",(");
          for (std::size_t k = 1; k <= 6; ++k)
            sql += "$" + std::to_string(p + k) + (k == 6 ? ")" : ",");
          params.push_back(std::to_string(e.record.score));
          params.push_back(e.record.name);
          params.push_back(e.record.email);
          params.push_back(e.record.optin ? "true" : "false");
          params.push_back(e.client);
          params.push_back(std::to_string(e.created));
        }
        writer_.run(sql, params);
      }
      writer_.run("COMMIT");
    } catch (...) {
      rollback();
      throw;
    }
  }

  std::vector<Ranked> best(int n) override {
    std::lock_guard<std::mutex> lock(read_mutex_);
    reader_.ensure();
    Result res(reader_.run("SELECT score, name, created FROM scores ORDER BY score DESC, id LIMIT $1",
                           {std::to_string(n)}, PGRES_TUPLES_OK));
    std::vector<Ranked> out;
    for (int i = 0; i < PQntuples(res.r); ++i)
      out.push_back({std::stoll(PQgetvalue(res.r, i, 0)), PQgetvalue(res.r, i, 1),
                     std::stoll(PQgetvalue(res.r, i, 2))});
    return out;
  }

  std::string describe() const override { return name_; }

 private:
  void rollback() {
    try {
      writer_.run("ROLLBACK");
    } catch (const StoreError&) {
      // The connection is gone; the transaction went with it.
    }
  }

  Connection writer_;
  std::mutex read_mutex_;
  Connection reader_;
  std::string name_;
};

}  // namespace

std::unique_ptr<Store> open_postgresql_store(const std::string& url) {
  return std::make_unique<PostgresqlStore>(url);
}

}  // namespace scores
