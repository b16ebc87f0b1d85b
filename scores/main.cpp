// tinsel-scores: receives the game's score records and serves the high-score page.
#include <CLI/CLI.hpp>
#include <csignal>

#include "server.h"

int main(int argc, char** argv) {
  scores::Options o;
  CLI::App app{
      "tinsel-scores: the high-score server of Tallowfen: Tinsel Barrage!\n"
      "Receives score records from the game over TCP, stores them, and serves the best 100\n"
      "as a web page (/) and as JSON (/scores.json). Logs every record and every start and\n"
      "stop on standard error; stops cleanly on SIGTERM or SIGINT."};
  // As with most tools, an option given twice takes its last value.
  app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
  app.add_option("--bind", o.bind, "Address both listeners bind to; widen it on a real server")
      ->capture_default_str();
  app.add_option("--records-port", o.records_port, "TCP port for score records (0: any free port)")
      ->capture_default_str();
  app.add_option("--http-port", o.http_port, "TCP port of the high-score page (0: any free port)")
      ->capture_default_str();
  app.add_option("--database", o.database,
                 "SQLite file, created on first start (default "
                 "$XDG_DATA_HOME/tinsel-barrage/scores.db), or a postgresql://... URL");
  double timeout = o.read_timeout_ms / 1000.0;
  app.add_option("--read-timeout", timeout, "Seconds a client has to send its whole record")
      ->check(CLI::Range(0.05, 600.0))
      ->capture_default_str();
  app.add_option("--max-connections", o.max_connections,
                 "Record connections served at once; more wait in line")
      ->check(CLI::Range(1, 100000))
      ->capture_default_str();
  app.add_option("--max-per-address", o.max_per_peer,
                 "Record connections one client address may hold open; more are closed at once")
      ->check(CLI::Range(1, 100000))
      ->capture_default_str();
  double first_byte = o.first_byte_ms / 1000.0;
  app.add_option("--first-byte-timeout", first_byte,
                 "Seconds a new record connection may stay silent before it is closed")
      ->check(CLI::Range(0.05, 600.0))
      ->capture_default_str();
  CLI11_PARSE(app, argc, argv);
  o.first_byte_ms = static_cast<int>(first_byte * 1000);
  o.read_timeout_ms = static_cast<int>(timeout * 1000);
  // A client that goes away while we answer must not end the server.
  std::signal(SIGPIPE, SIG_IGN);
  return scores::run_server(o);
}
