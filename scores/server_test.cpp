// Runs the real tinsel-scores binary on loopback against each store: an SQLite
// file, and a throwaway PostgreSQL server that this test starts and stops.
#include <arpa/inet.h>
#include <glob.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <libpq-fe.h>
#include <netinet/in.h>
#include <sqlite3.h>
#include <sys/socket.h>
#include <sys/stat.h>

#include <atomic>
#include <fstream>
#include <map>
#include <mutex>
#include <set>
#include <thread>

#include "record.h"
#include "test_support.h"

#ifndef SCORES_BIN
#error "SCORES_BIN names the server binary under test"
#endif

namespace scores {
namespace {

// One PostgreSQL server for the whole run.
class PostgresEnvironment : public ::testing::Environment {
 public:
  static Postgres server;
  void SetUp() override {
    try {
      server.start();
    } catch (const std::exception& e) {
      FAIL() << e.what();
    }
  }
  void TearDown() override { server.stop(); }
};
Postgres PostgresEnvironment::server;

class ScoreServer : public ::testing::TestWithParam<const char*> {
 public:
  TempDir tmp;
  std::string database;
  pid_t pid = -1;
  unsigned short records_port = 0, http_port = 0;
  std::string run_dir;
  int starts = 0;

  bool postgresql() const { return std::string(GetParam()) == "postgresql"; }

  void SetUp() override {
    database = postgresql() ? PostgresEnvironment::server.create_database() : tmp / "scores.db";
  }

  void TearDown() override {
    if (pid > 0) stop(SIGKILL);
  }

  // Starts the server on free ports and waits for its start line.
  void start(std::vector<std::string> extra = {}) {
    std::vector<std::string> args = {"--records-port", "0", "--http-port", "0", "--database",
                                     database};
    args.insert(args.end(), extra.begin(), extra.end());
    // Each start logs into a folder of its own, so no earlier start line is read.
    run_dir = tmp / ("run" + std::to_string(++starts));
    std::filesystem::create_directory(run_dir);
    pid = spawn({SCORES_BIN, args, base_env(), run_dir});
    std::string started;
    ASSERT_TRUE(eventually([&] {
      for (const std::string& l : lines_of(log()))
        if (l.find("started: ") != std::string::npos) started = l;
      return !started.empty() || waitpid(pid, nullptr, WNOHANG) != 0;
    })) << log();
    ASSERT_FALSE(started.empty()) << log();
    records_port = port_after(started, "records on 127.0.0.1:");
    http_port = port_after(started, "page on http://127.0.0.1:");
  }

  Finished stop(int signo) {
    kill(pid, signo);
    Finished f = finish(pid, run_dir);
    pid = -1;
    return f;
  }

  std::string log() const { return read_text(run_dir + "/stderr"); }

  std::string get(const std::string& path) {
    httplib::Client c("127.0.0.1", http_port);
    c.set_read_timeout(60, 0);
    auto res = c.Get(path.c_str());
    return res && res->status == 200 ? res->body : "HTTP failure";
  }

  // Every stored name with how often it is there, read from the store itself.
  std::map<std::string, int> stored() {
    std::map<std::string, int> out;
    const char* sql = "SELECT name, count(*) FROM scores GROUP BY name";
    if (postgresql()) {
      std::string url = database;
      PGconn* c = PQconnectdb(url.c_str());
      PGresult* r = PQexec(c, sql);
      EXPECT_EQ(PQresultStatus(r), PGRES_TUPLES_OK) << PQerrorMessage(c);
      for (int i = 0; i < PQntuples(r); ++i)
        out[PQgetvalue(r, i, 0)] = std::stoi(PQgetvalue(r, i, 1));
      PQclear(r);
      PQfinish(c);
    } else {
      sqlite3* db = nullptr;
      EXPECT_EQ(sqlite3_open_v2(database.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
      sqlite3_stmt* s = nullptr;
      EXPECT_EQ(sqlite3_prepare_v2(db, sql, -1, &s, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
      while (sqlite3_step(s) == SQLITE_ROW)
        out[reinterpret_cast<const char*>(sqlite3_column_text(s, 0))] = sqlite3_column_int(s, 1);
      sqlite3_finalize(s);
      sqlite3_close(db);
    }
    return out;
  }

  std::string sqlite_integrity() {
    sqlite3* db = nullptr;
    sqlite3_open_v2(database.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* s = nullptr;
    std::string out = "cannot check";
    if (sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &s, nullptr) == SQLITE_OK &&
        sqlite3_step(s) == SQLITE_ROW)
      out = reinterpret_cast<const char*>(sqlite3_column_text(s, 0));
    sqlite3_finalize(s);
    sqlite3_close(db);
    return out;
  }

 private:
  static unsigned short port_after(const std::string& line, const std::string& key) {
    std::size_t at = line.find(key);
    return at == std::string::npos ? 0
                                   : static_cast<unsigned short>(std::stoi(line.substr(at + key.size())));
  }
};

TEST_P(ScoreServer, RecordReachesStorePageAndJson) {
  start();
  EXPECT_EQ(submit(records_port, encode_record(1230, " Quinn <script>alert(1)</script> ",
                                                "quinn@example.org", false)),
            "OK\n");
  EXPECT_EQ(submit(records_port, encode_record(40, "Holly", "secret@example.org", true)), "OK\n");
  EXPECT_EQ(stored(), (std::map<std::string, int>{{" Quinn <script>alert(1)</script> ", 1},
                                                   {"Holly", 1}}));

  std::string html = get("/");
  EXPECT_NE(html.find("Quinn &lt;script&gt;alert(1)&lt;/script&gt;"), std::string::npos) << html;
  EXPECT_EQ(html.find("<script>"), std::string::npos);
  EXPECT_LT(html.find(">1230<"), html.find(">40<"));
  std::string json = get("/scores.json");
  EXPECT_NE(json.find("{\"rank\":1,\"name\":\" Quinn \\u003cscript\\u003ealert(1)\\u003c/script"
                      "\\u003e \",\"score\":1230,\"date\":\""),
            std::string::npos)
      << json;
  EXPECT_NE(json.find("{\"rank\":2,\"name\":\"Holly\",\"score\":40,"), std::string::npos);
  for (const std::string& page : {html, json}) {
    EXPECT_EQ(page.find("example.org"), std::string::npos) << "an e-mail address is shown";
  }
  EXPECT_NE(log().find("accepted score 1230 for"), std::string::npos) << log();
}

// Connects to 127.0.0.1:port from another loopback address; -1 when refused.
int connect_from(const char* source, unsigned short port) {
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in from{};
  from.sin_family = AF_INET;
  inet_pton(AF_INET, source, &from.sin_addr);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(port);
  to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (bind(fd, reinterpret_cast<sockaddr*>(&from), sizeof from) != 0 ||
      connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

// A sender that opens connections and never writes holds only its own share
// of the server: an honest record from another address is stored at once,
// not after the idle ones' deadlines. (Before the bound per address, 2,000
// idle connections held every slot for a deadline each, and an honest record
// waited 35 s.)
TEST_P(ScoreServer, IdleConnectionsFromOneAddressDoNotShutOutOthers) {
  start();
  std::vector<int> idle;
  for (int i = 0; i < 2000; ++i) {
    int fd = connect_from("127.0.0.2", records_port);
    if (fd >= 0) idle.push_back(fd);
  }
  ASSERT_GT(idle.size(), 1000u);
  int fd = connect_to(records_port);
  ASSERT_GE(fd, 0);
  // Far longer than the answer takes, far shorter than the old wait.
  timeval tv{10, 0};
  setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
  send_all(fd, encode_record(100, "Honest Holly", "h@x.y", true));
  shutdown(fd, SHUT_WR);
  EXPECT_EQ(reply(fd), "OK\n");
  for (int f : idle) close(f);
  EXPECT_EQ(stored(), (std::map<std::string, int>{{"Honest Holly", 1}}));
  EXPECT_NE(log().find("closing further record connections from 127.0.0.2: 256 are open already"),
            std::string::npos)
      << log();
}

// Sends `signo` to a process and all its descendants (a PostgreSQL server
// and its backends).
void signal_tree(pid_t root, int signo) {
  std::vector<pid_t> todo = {root};
  while (!todo.empty()) {
    pid_t p = todo.back();
    todo.pop_back();
    kill(p, signo);
    std::ifstream children("/proc/" + std::to_string(p) + "/task/" + std::to_string(p) + "/children");
    for (pid_t c; children >> c;) todo.push_back(c);
  }
}

// A database that stops answering (its processes stopped) costs a deadline,
// not the server: the record is answered as not stored, the page as
// unavailable, SIGTERM still ends the server, and once the database is back
// the first page is whole.
TEST_P(ScoreServer, HungDatabaseHangsNothing) {
  if (!postgresql()) GTEST_SKIP() << "a local SQLite file cannot hang this way";
  start();
  EXPECT_EQ(submit(records_port, encode_record(10, "Before", "b@x.y", true)), "OK\n");
  const pid_t db = PostgresEnvironment::server.pid();
  signal_tree(db, SIGSTOP);
  const std::string answer = submit(records_port, encode_record(20, "During", "d@x.y", true));
  {
    httplib::Client c("127.0.0.1", http_port);
    c.set_read_timeout(60, 0);
    auto res = c.Get("/");
    EXPECT_TRUE(res && res->status == 503);
  }
  kill(pid, SIGTERM);
  const bool ended = eventually([&] { return waitpid(pid, nullptr, WNOHANG) == pid; });
  if (!ended) kill(pid, SIGKILL);
  pid = -1;
  signal_tree(db, SIGCONT);
  EXPECT_EQ(answer, "FAILED the score could not be stored right now\n");
  EXPECT_TRUE(ended) << "SIGTERM did not end the server while the database hung";
  start();
  EXPECT_NE(get("/"), "HTTP failure") << log();
  EXPECT_EQ(stored(), (std::map<std::string, int>{{"Before", 1}}));
}

// Clients that send their request a byte at a time hold no worker: the
// page keeps answering everybody else, and each slow request is cut off at
// its whole-request deadline however steadily it trickles.
TEST_P(ScoreServer, SlowPageClientsDoNotTakeThePageDown) {
  start();
  ASSERT_EQ(submit(records_port, encode_record(100, "Holly", "h@x.y", true)), "OK\n");
  std::vector<int> slow;
  for (int i = 0; i < 64; ++i) {
    int fd = connect_to(http_port);
    if (fd >= 0) slow.push_back(fd);
  }
  ASSERT_EQ(slow.size(), 64u);
  std::atomic<bool> done{false};
  // Headers that never end, a byte every 300 ms: no read ever waits long.
  std::thread trickle([&] {
    const std::string request = "GET / HTTP/1.1\r\nHost: x\r\nX-Slow: yes\r\n";
    for (std::size_t at = 0; !done; ++at) {
      for (int fd : slow) send(fd, request.data() + at % request.size(), 1, MSG_NOSIGNAL);
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
    }
  });
  int answered = 0;
  for (int i = 0; i < 10; ++i) {
    httplib::Client c("127.0.0.1", http_port);
    c.set_read_timeout(5, 0);
    c.set_connection_timeout(5, 0);
    auto res = c.Get("/scores.json");
    if (res && res->status == 200 && res->body.find("Holly") != std::string::npos) ++answered;
  }
  done = true;
  trickle.join();
  EXPECT_EQ(answered, 10);
  // Every trickling client was cut off (its reply is empty), none answered.
  int cut = 0;
  for (int fd : slow) cut += reply(fd).empty() ? 1 : 0;
  EXPECT_EQ(cut, 64);
}

TEST_P(ScoreServer, BadRecordsAreRefusedWithoutHarmToOthers) {
  start({"--read-timeout", "1"});
  // Two clients that never finish hold their connections open meanwhile.
  int silent = connect_to(records_port);
  int half = connect_to(records_port);
  ASSERT_GE(silent, 0);
  ASSERT_GE(half, 0);
  send_all(half, scramble("1230") + "\n" + scramble("Holly") + "\n");
  EXPECT_EQ(submit(records_port, encode_record(70, "Ivy", "ivy@x.y", true)), "OK\n");

  const std::string refused[] = {
      "1230\nplain\ntext\n1\n",
      encode_record(10, "Half Hannah", "h@x.y", true).substr(0, 12),  // half sent, then closed
      encode_record(10, std::string(65, 'n'), "b", true),  // name too long
      scramble("99999999999") + "\n" + scramble("a\nb\n1") + "\n",
      encode_record(10, std::string(2000, 'x'), "b", true),  // over 1 KiB
      "",
  };
  // Every refusal is answered with its reason while the client listens,
  // except the record over 1 KiB, which is cut off unread.
  const std::string answers[] = {
      "REFUSED score is not decimal digits\n",    "REFUSED record not ended by a line feed\n",
      "REFUSED name longer than 64 characters\n", "REFUSED record has fewer than four lines\n",
      "",                                         "REFUSED empty record\n",
  };
  for (std::size_t i = 0; i < std::size(refused); ++i)
    EXPECT_EQ(submit(records_port, refused[i]), answers[i]) << refused[i];

  // The deadline closes the two that never finished.
  EXPECT_EQ(reply(silent), "");
  EXPECT_EQ(reply(half), "");
  EXPECT_EQ(submit(records_port, encode_record(80, "Noel", "n@x.y", true)), "OK\n");
  EXPECT_EQ(stored(), (std::map<std::string, int>{{"Ivy", 1}, {"Noel", 1}}));
  std::size_t refusals = 0;
  for (const std::string& l : lines_of(log()))
    if (l.find("refused record from 127.0.0.1: ") != std::string::npos) ++refusals;
  EXPECT_EQ(refusals, std::size(refused) + 2) << log();
}

TEST_P(ScoreServer, ConnectionsBeyondTheBoundWaitTheirTurn) {
  start({"--read-timeout", "1", "--max-connections", "2"});
  int silent1 = connect_to(records_port);
  int silent2 = connect_to(records_port);
  ASSERT_GE(silent1, 0);
  ASSERT_GE(silent2, 0);
  // The third waits in the backlog until a deadline frees a place.
  EXPECT_EQ(submit(records_port, encode_record(90, "Third", "t@x.y", true)), "OK\n");
  EXPECT_EQ(reply(silent1), "");
  EXPECT_EQ(reply(silent2), "");
  std::string text = log();
  std::size_t refused = text.find("refused record from 127.0.0.1: no whole record");
  std::size_t accepted = text.find("accepted score 90");
  ASSERT_NE(accepted, std::string::npos) << text;
  EXPECT_LT(refused, accepted) << "served beyond the bound:\n" << text;
}

TEST_P(ScoreServer, TwoHundredClientsAtOnceAreStoredExactlyOnce) {
  start();
  constexpr int kClients = 200;
  std::vector<std::string> replies(kClients);
  std::vector<std::thread> clients;
  for (int i = 0; i < kClients; ++i)
    clients.emplace_back([&, i] {
      replies[i] = submit(records_port, encode_record(i * 10, "player " + std::to_string(i),
                                                      "p@x.y", i % 2 == 0));
    });
  for (std::thread& t : clients) t.join();
  std::map<std::string, int> expected;
  for (int i = 0; i < kClients; ++i) {
    EXPECT_EQ(replies[i], "OK\n") << "client " << i;
    expected["player " + std::to_string(i)] = 1;
  }
  EXPECT_EQ(stored(), expected);
  std::string json = get("/scores.json");
  EXPECT_NE(json.find("{\"rank\":1,\"name\":\"player 199\",\"score\":1990,"), std::string::npos);
  EXPECT_NE(json.find("{\"rank\":100,\"name\":\"player 100\",\"score\":1000,"), std::string::npos);
  EXPECT_EQ(json.find("\"player 99\""), std::string::npos);
}

TEST_P(ScoreServer, KillNineLosesNoAcknowledgedRecord) {
  start();
  std::mutex m;
  std::vector<std::string> acknowledged;
  std::atomic<bool> down{false};
  std::vector<std::thread> senders;
  for (int t = 0; t < 4; ++t)
    senders.emplace_back([&, t] {
      for (int i = 0; !down; ++i) {
        std::string name = "s" + std::to_string(t) + "-" + std::to_string(i);
        std::string answer = submit(records_port, encode_record(i * 10, name, "e@x.y", true));
        if (answer == "refused") return;
        if (answer == "OK\n") {
          std::lock_guard<std::mutex> lock(m);
          acknowledged.push_back(name);
        }
      }
    });
  EXPECT_TRUE(eventually([&] {
    std::lock_guard<std::mutex> lock(m);
    return acknowledged.size() >= 300;
  }));
  Finished f = stop(SIGKILL);
  down = true;
  for (std::thread& t : senders) t.join();
  EXPECT_EQ(f.signal, SIGKILL);

  if (!postgresql()) {
    EXPECT_EQ(sqlite_integrity(), "ok");
  }
  std::map<std::string, int> have = stored();
  for (const std::string& name : acknowledged) EXPECT_EQ(have[name], 1) << name;
  for (const auto& [name, count] : have) EXPECT_EQ(count, 1) << name;

  // The store opens again and serves the page.
  start();
  EXPECT_NE(get("/scores.json").find("{\"rank\":1,"), std::string::npos);
  EXPECT_EQ(submit(records_port, encode_record(50, "after", "a@x.y", true)), "OK\n");
}

TEST_P(ScoreServer, StopSignalFinishesTheRecordInHand) {
  start();
  std::string record = encode_record(300, "Late Larry", "l@x.y", true);
  int fd = connect_to(records_port);
  ASSERT_GE(fd, 0);
  send_all(fd, record.substr(0, 6));
  ASSERT_TRUE(eventually([&] { return log().find("accepted") == std::string::npos; }));
  kill(pid, SIGTERM);
  ASSERT_TRUE(eventually([&] { return log().find("stopping on SIGTERM") != std::string::npos; }));
  EXPECT_EQ(connect_to(records_port), -1) << "a new connection is taken while stopping";
  send_all(fd, record.substr(6));
  shutdown(fd, SHUT_WR);
  EXPECT_EQ(reply(fd), "OK\n");
  Finished f = finish(pid, run_dir);
  pid = -1;
  EXPECT_EQ(f.exit_code, 0) << f.err;
  EXPECT_NE(f.err.find("stopped"), std::string::npos);
  EXPECT_EQ(stored(), (std::map<std::string, int>{{"Late Larry", 1}}));
}

INSTANTIATE_TEST_SUITE_P(Stores, ScoreServer, ::testing::Values("sqlite", "postgresql"),
                         [](const ::testing::TestParamInfo<const char*>& p) { return std::string(p.param); });

TEST(ScoreServerStart, DefaultsAndFailures) {
  TempDir tmp;
  // Without --database the file goes under XDG_DATA_HOME, folders made.
  std::vector<std::string> env = base_env();
  env.push_back("XDG_DATA_HOME=" + tmp / "data");
  pid_t pid = spawn({SCORES_BIN, {"--records-port", "0", "--http-port", "0"}, env, tmp.path()});
  EXPECT_TRUE(eventually([&] { return read_text(tmp / "stderr").find("started") != std::string::npos; }));
  EXPECT_TRUE(std::filesystem::exists(tmp / "data/tinsel-barrage/scores.db"));
  kill(pid, SIGINT);
  Finished f = finish(pid, tmp.path());
  EXPECT_EQ(f.exit_code, 0);
  EXPECT_NE(f.err.find("stopping on SIGINT"), std::string::npos) << f.err;

  // A port already taken.
  int taken = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(bind(taken, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
  ASSERT_EQ(listen(taken, 1), 0);
  socklen_t len = sizeof a;
  getsockname(taken, reinterpret_cast<sockaddr*>(&a), &len);
  std::string port = std::to_string(ntohs(a.sin_port));

  struct Case {
    std::vector<std::string> args;
    const char* says;
  };
  const Case cases[] = {
      {{"--database", "/proc/no/such/scores.db"}, "cannot start: cannot create"},
      {{"--database", "postgresql:///none?host=" + tmp / "nowhere"}, "cannot connect to PostgreSQL"},
      {{"--records-port", port, "--database", tmp / "a.db"}, "cannot listen for records"},
      {{"--http-port", port, "--database", tmp / "b.db"}, "cannot listen for HTTP"},
      {{"--bind", "not-an-address", "--database", tmp / "c.db"}, "cannot start"},
      {{"--records-port", "70000"}, "--records-port"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"--records-port", "0", "--http-port", "0"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    Finished r = run({SCORES_BIN, args, env, tmp.path()});
    EXPECT_NE(r.exit_code, 0) << c.says;
    EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
  }
  close(taken);
}

// Several servers on one PostgreSQL database, as behind a load balancer:
// records sent to them in turn, while one is killed and started again, are
// each stored once and every server shows the same page in the same order.
TEST(ScaleOut, ThreeServersOnOneDatabase) {
  TempDir tmp;
  const std::string database = PostgresEnvironment::server.create_database();
  struct Server {
    pid_t pid = -1;
    std::string dir;
    unsigned short records = 0, http = 0;
  };
  int starts = 0;
  auto start = [&](Server& s) {
    s.dir = tmp / ("server" + std::to_string(++starts));
    std::filesystem::create_directory(s.dir);
    s.pid = spawn({SCORES_BIN, {"--records-port", "0", "--http-port", "0", "--database", database}, base_env(), s.dir});
    std::string line;
    EXPECT_TRUE(eventually([&] {
      for (const std::string& l : lines_of(read_text(s.dir + "/stderr")))
        if (l.find("started: ") != std::string::npos) line = l;
      return !line.empty();
    }));
    auto port_after = [&](const std::string& key) -> unsigned short {
      std::size_t at = line.find(key);
      return at == std::string::npos ? 0 : static_cast<unsigned short>(std::stoi(line.substr(at + key.size())));
    };
    s.records = port_after("records on 127.0.0.1:");
    s.http = port_after("page on http://127.0.0.1:");
  };
  Server servers[3];
  for (Server& s : servers) start(s);
  for (const Server& s : servers) ASSERT_NE(s.records, 0) << read_text(s.dir + "/stderr");

  int acknowledged = 0;
  auto send_round = [&](int from, int to, std::vector<int> alive) {
    for (int i = from; i < to; ++i) {
      const Server& s = servers[alive[static_cast<std::size_t>(i) % alive.size()]];
      if (submit(s.records, encode_record((i + 1) * 10, "r" + std::to_string(i), "e@x.y", true)) == "OK\n")
        ++acknowledged;
    }
  };
  send_round(0, 100, {0, 1, 2});
  kill(servers[1].pid, SIGKILL);
  finish(servers[1].pid, servers[1].dir);
  send_round(100, 200, {0, 2});
  start(servers[1]);
  send_round(200, 300, {0, 1, 2});
  EXPECT_EQ(acknowledged, 300);

  std::string first;
  for (const Server& s : servers) {
    httplib::Client c("127.0.0.1", s.http);
    c.set_read_timeout(30, 0);
    auto res = c.Get("/scores.json");
    ASSERT_TRUE(res && res->status == 200);
    if (first.empty()) first = res->body;
    EXPECT_EQ(res->body, first) << "servers disagree";
    // The best 100 are the last 100 sent, best first.
    EXPECT_LT(res->body.find("\"r299\""), res->body.find("\"r298\""));
    EXPECT_NE(res->body.find("\"r200\""), std::string::npos);
    EXPECT_EQ(res->body.find("\"r199\""), std::string::npos);
  }
  PGconn* c = PQconnectdb(database.c_str());
  PGresult* r = PQexec(c, "SELECT count(*), count(DISTINCT name) FROM scores");
  ASSERT_EQ(PQresultStatus(r), PGRES_TUPLES_OK) << PQerrorMessage(c);
  EXPECT_EQ(std::string(PQgetvalue(r, 0, 0)), "300");
  EXPECT_EQ(std::string(PQgetvalue(r, 0, 1)), "300");
  PQclear(r);
  PQfinish(c);
  for (Server& s : servers) {
    kill(s.pid, SIGTERM);
    EXPECT_EQ(finish(s.pid, s.dir).exit_code, 0);
  }
}

}  // namespace
}  // namespace scores

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::AddGlobalTestEnvironment(new scores::PostgresEnvironment);
  return RUN_ALL_TESTS();
}
