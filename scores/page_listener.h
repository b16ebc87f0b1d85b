// The high-score page over HTTP: an event-driven front on the server's own
// loop. Each connection has one deadline for its whole request, so a client
// that sends a byte now and then costs a timer, never a worker; the store is
// read on a small pool of threads, never on the loop.
#pragma once

#include <asio.hpp>
#include <memory>
#include <string>

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
  void start();
  // Stops taking connections; those open finish within their deadlines.
  void stop();

  // A whole request (its line and headers) must arrive within this.
  static constexpr int kRequestMillis = 2000;
  // An answer must be taken within this.
  static constexpr int kWriteMillis = 5000;
  // Requests are short: a longer one is refused.
  static constexpr std::size_t kMaxRequestBytes = 8192;

 private:
  struct Connection;
  void accept();

  asio::io_context& io_;
  Store& store_;
  asio::ip::tcp::acceptor acceptor_;
  asio::thread_pool readers_{4};
  bool stopped_ = false;
};

// The answer to one request's first line ("GET /scores.json HTTP/1.1"):
// the status line's code and text, the content type and the body; `store`
// is read only for the page and its JSON.
struct PageAnswer {
  int status = 200;
  std::string reason = "OK";
  std::string type;
  std::string body;
  bool head = false;  // a HEAD request: headers only
};
PageAnswer answer_request(const std::string& request_line, Store& store);

}  // namespace scores
