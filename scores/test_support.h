// Test and benchmark support for the score server: a throwaway PostgreSQL
// server, and a client that sends records the way the game does.
#pragma once

#include <arpa/inet.h>
#include <glob.h>
#include <libpq-fe.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <memory>
#include <stdexcept>
#include <string>

#include "test_process.h"
#include "test_tempdir.h"

namespace scores {

using namespace quillpod::testing;
using namespace std::chrono_literals;

inline std::vector<std::string> base_env() {
  std::vector<std::string> env = {"PATH=/usr/bin:/bin", "LANG=C.UTF-8"};
  add_sanitizer_env(env);
  return env;
}

// A PostgreSQL server in a private folder, reached only through a Unix socket
// there. initdb and postgres refuse to run as root, so under root they run as
// nobody on a folder nobody owns.
class Postgres {
 public:
  // Starts the server; throws when it cannot.
  void start() {
    glob_t g{};
    if (glob("/usr/lib/postgresql/*/bin/initdb", 0, nullptr, &g) != 0 || g.gl_pathc == 0)
      throw std::runtime_error("PostgreSQL's initdb not found (Debian package postgresql)");
    std::string bin = std::filesystem::path(g.gl_pathv[g.gl_pathc - 1]).parent_path();
    globfree(&g);
    dir_ = std::make_unique<TempDir>();
    if (geteuid() == 0 && chown(dir_->path().c_str(), 65534, 65534) != 0)
      throw std::runtime_error("cannot give the PostgreSQL folder to nobody");
    Spawn init{bin + "/initdb",
               {"-D", *dir_ / "data", "-U", "scores", "-A", "trust", "-E", "UTF8", "--no-locale",
                "--no-sync"},
               base_env(), dir_->path(), geteuid() == 0};
    Finished f = run(init);
    if (f.exit_code != 0) throw std::runtime_error("initdb failed: " + f.out + f.err);
    Spawn server{bin + "/postgres",
                 {"-D", *dir_ / "data", "-k", dir_->path(), "-c", "listen_addresses=", "-c",
                  "fsync=off", "-c", "max_connections=60"},
                 base_env(), dir_->path(), geteuid() == 0};
    pid_ = spawn(server);
    bool up = eventually([&] { return PQping(admin_conninfo().c_str()) == PQPING_OK; }, 50ms);
    if (!up) throw std::runtime_error("postgres did not start: " + read_text(*dir_ / "stderr"));
  }

  void stop() {
    if (pid_ > 0) {
      kill(pid_, SIGINT);  // fast shutdown
      finish(pid_, dir_->path());
    }
    pid_ = -1;
    dir_.reset();
  }
  ~Postgres() { stop(); }

  pid_t pid() const { return pid_; }

  std::string admin_conninfo() const { return "host=" + dir_->path() + " user=scores dbname=postgres"; }

  // A fresh database and its URL for the server.
  std::string create_database() {
    std::string name = "scores_" + std::to_string(++databases_);
    PGconn* c = PQconnectdb(admin_conninfo().c_str());
    PGresult* r = PQexec(c, ("CREATE DATABASE " + name).c_str());
    bool ok = PQresultStatus(r) == PGRES_COMMAND_OK;
    std::string why = PQerrorMessage(c);
    PQclear(r);
    PQfinish(c);
    if (!ok) throw std::runtime_error("CREATE DATABASE: " + why);
    return "postgresql:///" + name + "?host=" + dir_->path() + "&user=scores";
  }

 private:
  std::unique_ptr<TempDir> dir_;
  pid_t pid_ = -1;
  int databases_ = 0;
};

// Connects to 127.0.0.1:port; -1 when refused. Reads never wait forever.
inline int connect_to(unsigned short port) {
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(port);
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
    close(fd);
    return -1;
  }
  timeval tv{60, 0};
  setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
  return fd;
}

inline void send_all(int fd, const std::string& bytes) {
  std::size_t at = 0;
  while (at < bytes.size()) {
    ssize_t n = send(fd, bytes.data() + at, bytes.size() - at, MSG_NOSIGNAL);
    if (n <= 0) return;  // the server has closed: what it replies tells
    at += static_cast<std::size_t>(n);
  }
}

// What the server says before it closes: "OK\n" once the record is stored.
inline std::string reply(int fd) {
  std::string out;
  char buf[64];
  ssize_t n;
  while ((n = recv(fd, buf, sizeof buf, 0)) > 0) out.append(buf, static_cast<std::size_t>(n));
  close(fd);
  return out;
}

// Sends a whole record the way the game does, then waits for the answer.
inline std::string submit(unsigned short port, const std::string& bytes) {
  int fd = connect_to(port);
  if (fd < 0) return "refused";
  send_all(fd, bytes);
  shutdown(fd, SHUT_WR);
  return reply(fd);
}

}  // namespace scores
