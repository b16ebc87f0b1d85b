#include "page_listener.h"

#include <chrono>

#include "page.h"

namespace scores {

void log_line(const std::string& text);

using asio::ip::tcp;

PageAnswer answer_request(const std::string& request_line, const std::function<std::string(bool json)>& page) {
  PageAnswer a;
  const std::size_t sp1 = request_line.find(' ');
  const std::size_t sp2 = sp1 == std::string::npos ? sp1 : request_line.find(' ', sp1 + 1);
  if (sp2 == std::string::npos || request_line.compare(sp2 + 1, 5, "HTTP/") != 0)
    return {400, "Bad Request", "text/plain; charset=utf-8", "Bad request.\n"};
  const std::string method = request_line.substr(0, sp1);
  std::string path = request_line.substr(sp1 + 1, sp2 - sp1 - 1);
  path = path.substr(0, path.find('?'));
  if (method != "GET" && method != "HEAD")
    return {405, "Method Not Allowed", "text/plain; charset=utf-8", "Only GET and HEAD.\n"};
  a.head = method == "HEAD";
  const bool json = path == "/scores.json";
  if (!json && path != "/" && path != "/index.html") {
    a.status = 404;
    a.reason = "Not Found";
    a.type = "text/plain; charset=utf-8";
    a.body = "Not found.\n";
    return a;
  }
  try {
    a.body = page(json);
    a.type = json ? "application/json; charset=utf-8" : "text/html; charset=utf-8";
  } catch (const std::exception& e) {
    log_line(std::string("cannot read scores: ") + e.what());
    a.status = 503;
    a.reason = "Service Unavailable";
    a.type = "text/plain; charset=utf-8";
    a.body = "The high scores cannot be read right now.\n";
  }
  return a;
}

struct PageListener::Connection : std::enable_shared_from_this<Connection> {
  Connection(PageListener& listener, tcp::socket s)
      : owner(listener), socket(std::move(s)), timer(socket.get_executor()), request(kMaxRequestBytes) {}

  void start() {
    auto self = shared_from_this();
    arm(kRequestMillis);
    asio::async_read_until(socket, request, "\r\n\r\n", [self](const asio::error_code& ec, std::size_t) {
      if (ec) return self->close();  // deadline, too long, or gone
      std::istream in(&self->request);
      std::string line;
      std::getline(in, line);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      self->timer.cancel();
      // The store may take its time (a database over the network): not on the loop.
      // The loop keeps running while the answer is being made.
      auto work = asio::make_work_guard(self->owner.io_);
      asio::post(self->owner.readers_, [self, line, work]() mutable {
        PageAnswer a = answer_request(line, [self](bool json) { return self->owner.page(json); });
        asio::post(self->socket.get_executor(), [self, a = std::move(a)] { self->respond(a); });
        work.reset();
      });
    });
  }

  void respond(const PageAnswer& a) {
    auto self = shared_from_this();
    auto text = std::make_shared<std::string>(
        "HTTP/1.1 " + std::to_string(a.status) + " " + a.reason + "\r\nContent-Type: " + a.type +
        "\r\nContent-Length: " + std::to_string(a.body.size()) +
        "\r\nCache-Control: no-cache\r\nConnection: close\r\n\r\n");
    if (!a.head) *text += a.body;
    arm(kWriteMillis);
    asio::async_write(socket, asio::buffer(*text), [self, text](const asio::error_code&, std::size_t) {
      self->timer.cancel();
      asio::error_code ignored;
      self->socket.shutdown(tcp::socket::shutdown_both, ignored);
      self->close();
    });
  }

  void arm(int millis) {
    auto self = shared_from_this();
    timer.expires_after(std::chrono::milliseconds(millis));
    timer.async_wait([self](const asio::error_code& ec) {
      if (!ec) self->close();
    });
  }

  void close() {
    asio::error_code ignored;
    socket.close(ignored);
  }

  PageListener& owner;
  tcp::socket socket;
  asio::steady_timer timer;
  asio::streambuf request;
};

PageListener::PageListener(asio::io_context& io, const std::string& bind, unsigned short port, Store& store)
    : io_(io), store_(store), acceptor_(io) {
  tcp::endpoint at(asio::ip::make_address(bind), port);
  acceptor_.open(at.protocol());
  acceptor_.set_option(tcp::acceptor::reuse_address(true));
  acceptor_.bind(at);
  // Room for bursts of page requests in the kernel while the loop is busy.
  acceptor_.listen(asio::socket_base::max_listen_connections);
}

PageListener::~PageListener() { readers_.join(); }

unsigned short PageListener::port() const { return acceptor_.local_endpoint().port(); }

void PageListener::start() { accept(); }

void PageListener::scores_changed() {
  std::lock_guard<std::mutex> lock(cache_.m);
  ++cache_.generation;
}

std::string PageListener::page(bool json) {
  // One reader at a time: the others wait for its result instead of
  // reading the same rows again.
  std::lock_guard<std::mutex> lock(cache_.m);
  const auto now = std::chrono::steady_clock::now();
  if (cache_.read_generation != cache_.generation ||
      now - cache_.read_at > std::chrono::milliseconds(kFreshMillis)) {
    std::vector<Ranked> best = store_.best(kPageScores);  // throws: nothing is kept
    cache_.html = render_html(best);
    cache_.json = render_json(best);
    cache_.read_generation = cache_.generation;
    cache_.read_at = now;
  }
  return json ? cache_.json : cache_.html;
}

void PageListener::stop() {
  stopped_ = true;
  asio::error_code ignored;
  acceptor_.close(ignored);
}

void PageListener::accept() {
  if (stopped_) return;
  acceptor_.async_accept([this](const asio::error_code& ec, tcp::socket socket) {
    if (stopped_) return;
    if (!ec) {
      asio::error_code ignored;
      socket.set_option(tcp::no_delay(true), ignored);
      std::make_shared<Connection>(*this, std::move(socket))->start();
    } else if (ec != asio::error::operation_aborted) {
      log_line("page accept failed: " + ec.message());
    }
    accept();
  });
}

}  // namespace scores
