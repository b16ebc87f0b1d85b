// The high-score page over HTTP: an event-driven front on the server's own
// loop. Each connection has one deadline for its whole request, so a client
// that sends a byte now and then costs a timer, never a worker; the store is
// read on a small pool of threads, never on the loop.
#pragma once

// A standard header before asio's: asio picks its handler allocator by what
// the standard library has declared, and every file must pick the same one.
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <asio.hpp>

#include "store.h"

namespace scores {

class PageListener {
 public:
  // Listens on bind:port (0: any free port); throws when it cannot.
  PageListener(asio::io_context& io, const std::string& bind, unsigned short port, Store& store);
  ~PageListener();
  PageListener(const PageListener&) = delete;
  PageListener& operator=(const PageListener&) = delete;

  unsigned short port() const;
  // Tells the page that this server stored scores: the next request reads
  // them. (Scores other servers store on a shared database show within
  // kFreshMillis.)
  void scores_changed();
  void start();
  // Stops taking connections; those open finish within their deadlines.
  void stop();

  // A whole request (its line and headers) must arrive within this.
  static constexpr int kRequestMillis = 2000;
  // An answer must be taken within this.
  static constexpr int kWriteMillis = 5000;
  // Requests are short: a longer one is refused.
  static constexpr std::size_t kMaxRequestBytes = 8192;
  // How long a read of the best scores serves later requests when this
  // server stored nothing meanwhile.
  static constexpr int kFreshMillis = 1000;

 private:
  struct Connection;
  void accept();

  asio::io_context& io_;
  Store& store_;
  asio::ip::tcp::acceptor acceptor_;
  asio::thread_pool readers_{4};
  bool stopped_ = false;

  // The best scores as last read, shared by the requests that follow: under
  // a crowd the store is read once, not once per request.
  struct Cache {
    std::mutex m;
    std::uint64_t generation = 0;  // bumped by scores_changed
    std::uint64_t read_generation = ~std::uint64_t{0};
    std::chrono::steady_clock::time_point read_at;
    std::string html, json;  // the best scores, rendered
  } cache_;
  // The page or its JSON from the best scores, read again when needed.
  std::string page(bool json);
};

// The answer to one request's first line ("GET /scores.json HTTP/1.1"):
// the status line's code and text, the content type and the body; `page`
// gives the page (or, with true, its JSON) and may throw when the scores
// cannot be read.
struct PageAnswer {
  int status = 200;
  std::string reason = "OK";
  std::string type;
  std::string body;
  bool head = false;  // a HEAD request: headers only
};
PageAnswer answer_request(const std::string& request_line, const std::function<std::string(bool json)>& page);

}  // namespace scores
