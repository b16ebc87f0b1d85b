// Records in a PostgreSQL database shared by any number of servers: a writer
// connection that inserts each batch in one transaction, and a reader
// connection for the page.
#include <libpq-fe.h>

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

class Connection {
 public:
  explicit Connection(const std::string& url) : c_(PQconnectdb(url.c_str())) {
    if (!c_) throw StoreError("cannot connect to PostgreSQL: out of memory");
    if (PQstatus(c_) != CONNECTION_OK) {
      std::string why = PQerrorMessage(c_);
      PQfinish(c_);
      throw StoreError("cannot connect to PostgreSQL: " + trim(why));
    }
    PQsetClientEncoding(c_, "UTF8");
  }
  ~Connection() { PQfinish(c_); }
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  // Makes a lost connection again; called only between transactions, so that
  // no transaction goes on over a new connection.
  void ensure() {
    if (PQstatus(c_) != CONNECTION_OK) PQreset(c_);
  }

  Result run(const std::string& sql, const std::vector<std::string>& params = {},
             ExecStatusType expect = PGRES_COMMAND_OK) {
    std::vector<const char*> values;
    for (const std::string& p : params) values.push_back(p.c_str());
    Result res(PQexecParams(c_, sql.c_str(), static_cast<int>(values.size()), nullptr,
                            values.data(), nullptr, nullptr, 0));
    if (PQresultStatus(res.r) != expect)
      throw StoreError("PostgreSQL: " + trim(PQerrorMessage(c_)));
    return Result(release(res));
  }

 private:
  static PGresult* release(Result& res) {
    PGresult* r = res.r;
    res.r = nullptr;
    return r;
  }
  static std::string trim(std::string s) {
    while (!s.empty() && (s.back() == '\n' || s.back() == ' ')) s.pop_back();
    return s;
  }
  PGconn* c_;
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
