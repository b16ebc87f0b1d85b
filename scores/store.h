// Where accepted records are kept: one interface, an SQLite file or a
// PostgreSQL database behind it.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "record.h"

namespace scores {

struct Entry {
  Record record;
  std::string client;    // the sender's address
  std::int64_t created;  // seconds since 1970, UTC
};

struct Ranked {
  std::int64_t score;
  std::string name;
  std::int64_t created;
};

struct StoreError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

class Store {
 public:
  virtual ~Store() = default;
  // Stores every entry in one committed transaction, or none of them.
  // Called from one thread at a time.
  virtual void add(const std::vector<Entry>& entries) = 0;
  // The best n scores, highest first, earlier ones first among equals.
  // Safe to call from any thread, alongside add.
  virtual std::vector<Ranked> best(int n) = 0;
  // What the log says about where the records go.
  virtual std::string describe() const = 0;
};

// True when the --database value names a PostgreSQL server.
bool is_postgresql_url(const std::string& where);

// Opens (and creates on first use) the store that where names: a
// postgresql:// or postgres:// URL, else the path of an SQLite file.
std::unique_ptr<Store> open_store(const std::string& where);

std::unique_ptr<Store> open_sqlite_store(const std::string& path);
std::unique_ptr<Store> open_postgresql_store(const std::string& url);

// The default file: $XDG_DATA_HOME/tinsel-barrage/scores.db, or under
// ~/.local/share when XDG_DATA_HOME is unset.
std::string default_database_path();

}  // namespace scores
