#include "store.h"

#include <cstdlib>

namespace scores {

bool is_postgresql_url(const std::string& where) {
  return where.rfind("postgresql://", 0) == 0 || where.rfind("postgres://", 0) == 0;
}

std::unique_ptr<Store> open_store(const std::string& where) {
  return is_postgresql_url(where) ? open_postgresql_store(where) : open_sqlite_store(where);
}

std::string default_database_path() {
  const char* xdg = std::getenv("XDG_DATA_HOME");
  std::string base;
  if (xdg && *xdg == '/') {
    base = xdg;
  } else {
    const char* home = std::getenv("HOME");
    if (!home || !*home) throw StoreError("neither XDG_DATA_HOME nor HOME is set; give --database");
    base = std::string(home) + "/.local/share";
  }
  return base + "/tinsel-barrage/scores.db";
}

}  // namespace scores
