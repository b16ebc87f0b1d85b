// The score server: a TCP listener for score records, a writer thread that
// commits them in batches, and the HTTP high-score page.
#pragma once

#include <string>

#include "store.h"

namespace scores {

struct Options {
  std::string bind = "127.0.0.1";
  unsigned short records_port = 42673;
  unsigned short http_port = 8080;
  std::string database;        // empty: the default SQLite file
  int read_timeout_ms = 5000;  // a whole record must arrive within this
  int max_connections = 1024;  // record connections open at once
  int max_per_peer = 256;      // of them, from one address: one sender cannot take them all,
                               // and players behind one shared address still send at once
  int first_byte_ms = 1000;    // the game writes at once; a silent connection goes sooner
};

// Runs until SIGTERM or SIGINT; returns the process's exit status.
int run_server(const Options& options);

// One line on standard error, written whole.
void log_line(const std::string& text);

}  // namespace scores
