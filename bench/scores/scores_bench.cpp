// Measures the score server, run on demand:
//   - accepted records per second from 50 concurrent loopback clients, each
//     sending a whole record and waiting for the server's "OK" (so every
//     counted record is committed);
//   - the same while one other address holds 2,000 idle record connections
//     open (reopening each one the server closes);
//   - the high-score page's latency with 100,000 stored scores, from one
//     client and from 200 concurrent clients;
//   - the server's peak resident memory;
// against SQLite and against a throwaway PostgreSQL. The floors beside them,
// measured in the same run: the same clients against a listener that only
// reads to the end and answers, and an HTTP request the server answers 404.
#include <httplib.h>
#include <sqlite3.h>

#include <arpa/inet.h>

#include <algorithm>
#include <fstream>
#include <mutex>
#include <atomic>
#include <cstdio>
#include <thread>

#include "record.h"
#include "store.h"
#include "test_support.h"

#ifndef SCORES_BIN
#error "SCORES_BIN names the server binary"
#endif

namespace scores {
namespace {

using Clock = std::chrono::steady_clock;

constexpr int kClients = 50;
constexpr int kRecordsPerClient = 200;
constexpr int kStored = 100000;
constexpr int kPageRequests = 300;

double seconds_since(Clock::time_point t) {
  return std::chrono::duration<double>(Clock::now() - t).count();
}

// Records per second from kClients threads; -1 when any record was not acknowledged.
double records_per_second(unsigned short port) {
  std::atomic<int> failed{0};
  std::vector<std::thread> clients;
  auto t0 = Clock::now();
  for (int c = 0; c < kClients; ++c)
    clients.emplace_back([&, c] {
      for (int i = 0; i < kRecordsPerClient; ++i) {
        std::string rec = encode_record(i * 10, "bench " + std::to_string(c), "b@x.y", true);
        if (submit(port, rec) != "OK\n") ++failed;
      }
    });
  for (std::thread& t : clients) t.join();
  double secs = seconds_since(t0);
  return failed ? -1 : kClients * kRecordsPerClient / secs;
}

// A listener that reads each connection to its end and answers at once.
struct Floor {
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  unsigned short port = 0;
  std::thread thread;
  std::atomic<bool> done{false};
  Floor() {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    listen(fd, 4096);
    socklen_t len = sizeof a;
    getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    port = ntohs(a.sin_port);
    thread = std::thread([this] {
      while (!done) {
        int c = accept(fd, nullptr, nullptr);
        if (c < 0) continue;
        char buf[2048];
        while (recv(c, buf, sizeof buf, 0) > 0) {
        }
        send(c, "OK\n", 3, MSG_NOSIGNAL);
        close(c);
      }
    });
  }
  ~Floor() {
    done = true;
    shutdown(fd, SHUT_RDWR);
    close(fd);
    int wake = connect_to(port);
    if (wake >= 0) close(wake);
    thread.join();
  }
};

struct Latency {
  double median_ms, p95_ms;
};

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

// 2,000 connections from 127.0.0.2 that never send, kept open: each one the
// server closes is opened again.
struct IdleHolders {
  std::atomic<bool> done{false};
  std::thread thread;
  explicit IdleHolders(unsigned short port) {
    thread = std::thread([this, port] {
      std::vector<int> fds(2000, -1);
      while (!done) {
        for (int& fd : fds) {
          char c;
          if (fd >= 0 && recv(fd, &c, 1, MSG_DONTWAIT) == 0) {
            close(fd);
            fd = -1;
          }
          if (fd < 0) fd = connect_from("127.0.0.2", port);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
      }
      for (int fd : fds)
        if (fd >= 0) close(fd);
    });
  }
  ~IdleHolders() {
    done = true;
    thread.join();
  }
};

// Page latency from `clients` concurrent clients, `each` requests apiece.
Latency concurrent_page_latency(unsigned short port, int clients, int each, const char* path = "/",
                                int expect = 200) {
  std::mutex m;
  std::vector<double> ms;
  std::atomic<int> failed{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < clients; ++t)
    threads.emplace_back([&] {
      for (int i = 0; i < each; ++i) {
        httplib::Client c("127.0.0.1", port);
        c.set_read_timeout(30, 0);
        auto t0 = Clock::now();
        auto res = c.Get(path);
        double took = seconds_since(t0) * 1000;
        if (!res || res->status != expect) ++failed;
        std::lock_guard<std::mutex> lock(m);
        ms.push_back(took);
      }
    });
  for (std::thread& t : threads) t.join();
  if (failed) return {-1, -1};
  std::sort(ms.begin(), ms.end());
  return {ms[ms.size() / 2], ms[ms.size() * 99 / 100]};
}

// The process's peak resident memory in kB.
long peak_rss_kb(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(in, line);)
    if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
  return -1;
}

Latency page_latency(unsigned short port, const char* path, int expect) {
  httplib::Client c("127.0.0.1", port);
  c.set_keep_alive(true);
  std::vector<double> ms;
  for (int i = 0; i < kPageRequests; ++i) {
    auto t0 = Clock::now();
    auto res = c.Get(path);
    double took = seconds_since(t0) * 1000;
    if (!res || res->status != expect) return {-1, -1};
    if (i >= 10) ms.push_back(took);  // the first few warm the caches
  }
  std::sort(ms.begin(), ms.end());
  return {ms[ms.size() / 2], ms[ms.size() * 95 / 100]};
}

// Fills the store to kStored scores directly, as many days of play would.
void fill(const std::string& database) {
  if (is_postgresql_url(database)) {
    PGconn* c = PQconnectdb(database.c_str());
    PGresult* r = PQexec(c,
                         ("INSERT INTO scores(score, name, email, optin, client, created) "
                          "SELECT (random() * 2000000)::bigint, 'player ' || g, 'p' || g || '@x.y', "
                          "true, '127.0.0.1', 1765000000 + g FROM generate_series(1, " +
                          std::to_string(kStored) + ") g")
                             .c_str());
    if (PQresultStatus(r) != PGRES_COMMAND_OK) std::fprintf(stderr, "fill: %s", PQerrorMessage(c));
    PQclear(r);
    PQfinish(c);
    return;
  }
  sqlite3* db = nullptr;
  sqlite3_open(database.c_str(), &db);
  sqlite3_busy_timeout(db, 10000);
  sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
  sqlite3_stmt* s = nullptr;
  sqlite3_prepare_v2(db,
                     "INSERT INTO scores(score, name, email, optin, client, created) "
                     "VALUES(abs(random()) % 2000000, 'player ' || ?1, 'p@x.y', 1, '127.0.0.1', "
                     "1765000000 + ?1)",
                     -1, &s, nullptr);
  for (int i = 0; i < kStored; ++i) {
    sqlite3_bind_int(s, 1, i);
    sqlite3_step(s);
    sqlite3_reset(s);
  }
  sqlite3_finalize(s);
  sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
  sqlite3_close(db);
}

int run_store(const char* label, const std::string& database, const TempDir& tmp) {
  std::string dir = tmp / label;
  std::filesystem::create_directory(dir);
  pid_t pid = spawn({SCORES_BIN,
                     {"--records-port", "0", "--http-port", "0", "--database", database,
                      "--max-connections", "1024"},
                     base_env(),
                     dir});
  std::string started;
  eventually([&] {
    for (const std::string& l : lines_of(read_text(dir + "/stderr")))
      if (l.find("started: ") != std::string::npos) started = l;
    return !started.empty();
  });
  if (started.empty()) {
    std::fprintf(stderr, "%s: the server did not start: %s\n", label, read_text(dir + "/stderr").c_str());
    return 1;
  }
  auto port_after = [&](const std::string& key) {
    return static_cast<unsigned short>(std::stoi(started.substr(started.find(key) + key.size())));
  };
  unsigned short records = port_after("records on 127.0.0.1:");
  unsigned short http = port_after("page on http://127.0.0.1:");

  double rate = records_per_second(records);
  double idle_rate;
  {
    IdleHolders idle(records);
    std::this_thread::sleep_for(std::chrono::seconds(1));
    idle_rate = records_per_second(records);
  }
  fill(database);
  Latency page = page_latency(http, "/", 200);
  Latency json = page_latency(http, "/scores.json", 200);
  Latency none = page_latency(http, "/no-such-page", 404);
  Latency crowd = concurrent_page_latency(http, 200, 10);
  Latency crowd_floor = concurrent_page_latency(http, 200, 10, "/no-such-page", 404);
  long rss = peak_rss_kb(pid);
  kill(pid, SIGTERM);
  finish(pid, dir);

  std::printf("%-10s records/s (50 clients)      %9.0f\n", label, rate);
  std::printf("%-10s records/s, 2,000 idle conns %9.0f   (%.2fx the rate without)\n", label, idle_rate,
              idle_rate / rate);
  std::printf("%-10s page /, 200 clients at once  median %6.2f ms   p99 %6.2f ms\n", label, crowd.median_ms,
              crowd.p95_ms);
  std::printf("%-10s floor: 404, 200 at once     median %6.2f ms   p99 %6.2f ms   (page p99 / floor p99 %.2fx)\n",
              label, crowd_floor.median_ms, crowd_floor.p95_ms, crowd.p95_ms / crowd_floor.p95_ms);
  std::printf("%-10s peak resident memory         %9ld kB\n", label, rss);
  std::printf("%-10s page /, 100k scores          median %6.2f ms   p95 %6.2f ms\n", label,
              page.median_ms, page.p95_ms);
  std::printf("%-10s /scores.json, 100k scores    median %6.2f ms   p95 %6.2f ms\n", label,
              json.median_ms, json.p95_ms);
  std::printf("%-10s floor: 404 from the server   median %6.2f ms   (page / floor %.1fx)\n", label,
              none.median_ms, page.median_ms / none.median_ms);
  return rate < 0 || idle_rate < 0 || crowd.median_ms < 0 ? 1 : 0;
}

}  // namespace
}  // namespace scores

int main() {
  using namespace scores;
  double floor_rate;
  {
    Floor f;
    floor_rate = records_per_second(f.port);
  }
  std::printf("floor      records/s, read-and-answer listener %9.0f\n", floor_rate);
  TempDir tmp;
  int failures = run_store("sqlite", tmp / "scores.db", tmp);
  Postgres pg;
  try {
    pg.start();
    failures += run_store("postgresql", pg.create_database(), tmp);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "postgresql: %s\n", e.what());
    ++failures;
  }
  return failures ? 1 : 0;
}
