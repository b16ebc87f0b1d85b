#include "server.h"

#include <signal.h>
#include <sys/resource.h>

#include <asio.hpp>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <algorithm>
#include <deque>
#include <map>
#include <set>
#include <functional>
#include <mutex>
#include <thread>

#include "page.h"
#include "page_listener.h"

namespace scores {

void log_line(const std::string& text) {
  std::string line = "tinsel-scores: " + text + "\n";
  std::fwrite(line.data(), 1, line.size(), stderr);
}

namespace {

using asio::ip::tcp;



// Takes accepted records from the listener and commits them in batches on its
// own thread; each record's callback learns whether its batch was committed.
class Recorder {
 public:
  using Done = std::function<void(bool stored)>;

  // `committed` is called (on the writer's thread) after each stored batch.
  Recorder(Store& store, std::function<void()> committed)
      : store_(store), committed_(std::move(committed)), thread_([this] { loop(); }) {}
  ~Recorder() { stop(); }

  void submit(Entry entry, Done done) {
    {
      std::lock_guard<std::mutex> lock(m_);
      queue_.push_back({std::move(entry), std::move(done)});
    }
    cv_.notify_one();
  }

  // Commits what is queued, then ends the thread.
  void stop() {
    {
      std::lock_guard<std::mutex> lock(m_);
      stopping_ = true;
    }
    cv_.notify_one();
    if (thread_.joinable()) thread_.join();
  }

 private:
  struct Item {
    Entry entry;
    Done done;
  };

  void loop() {
    for (;;) {
      std::vector<Item> batch;
      bool stopping = false;
      {
        std::unique_lock<std::mutex> lock(m_);
        cv_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        if (queue_.empty()) return;
        stopping = stopping_;
        while (!queue_.empty() && batch.size() < 1000) {
          batch.push_back(std::move(queue_.front()));
          queue_.pop_front();
        }
      }
      std::vector<Entry> entries;
      entries.reserve(batch.size());
      for (Item& item : batch) entries.push_back(item.entry);
      bool stored = true;
      if (stopping && gave_up_) {
        // Stopping with a database that does not answer: the rest are
        // answered as not stored at once, so that the server ends in time.
        stored = false;
        log_line("not storing " + std::to_string(entries.size()) + " record(s): stopping, and the database failed");
      } else {
        try {
          store_.add(entries);
          committed_();
        } catch (const std::exception& e) {
          stored = false;
          gave_up_ = stopping;
          log_line("cannot store " + std::to_string(entries.size()) + " record(s): " + e.what());
        }
      }
      for (Item& item : batch) item.done(stored);
    }
  }

  Store& store_;
  std::function<void()> committed_;
  std::mutex m_;
  std::condition_variable cv_;
  std::deque<Item> queue_;
  bool stopping_ = false;
  bool gave_up_ = false;  // a batch failed after the stop was asked for (the writer thread's own)
  std::thread thread_;
};

// Accepts record connections on one asio thread; each connection has its
// deadline, and at most max_connections are open at once (the rest wait in
// the kernel's backlog).
class RecordListener {
 public:
  RecordListener(asio::io_context& io, const Options& options, Recorder& recorder)
      : io_(io), options_(options), recorder_(recorder), acceptor_(io) {
    tcp::endpoint at(asio::ip::make_address(options.bind), options.records_port);
    acceptor_.open(at.protocol());
    acceptor_.set_option(tcp::acceptor::reuse_address(true));
    acceptor_.bind(at);
    acceptor_.listen(asio::socket_base::max_listen_connections);
  }

  tcp::endpoint endpoint() const { return acceptor_.local_endpoint(); }

  void start() { accept(); }

  // Stops taking connections; those open finish within their deadline.
  void stop() {
    stopped_ = true;
    asio::error_code ignored;
    acceptor_.close(ignored);
  }

 private:
  struct Connection : std::enable_shared_from_this<Connection> {
    Connection(RecordListener& listener, tcp::socket s)
        : owner(listener), socket(std::move(s)), timer(socket.get_executor()) {
      asio::error_code ec;
      tcp::endpoint peer_end = socket.remote_endpoint(ec);
      peer = ec ? "unknown" : peer_end.address().to_string();
    }
    ~Connection() { owner.connection_ended(peer); }

    void start() {
      auto self = shared_from_this();
      // A short wait for the first byte, then the rest of the whole-record deadline.
      timer.expires_after(std::chrono::milliseconds(std::min(owner.options_.first_byte_ms, owner.options_.read_timeout_ms)));
      timer.async_wait([self](const asio::error_code& ec) {
        if (ec) return;
        self->timed_out = true;
        asio::error_code ignored;
        self->socket.cancel(ignored);
        self->socket.close(ignored);
      });
      read();
    }

    void read() {
      auto self = shared_from_this();
      socket.async_read_some(
          asio::buffer(buf.data() + len, buf.size() - len),
          [self](const asio::error_code& ec, std::size_t n) {
            if (self->len == 0 && n > 0 && !self->timed_out) self->extend_deadline();
            self->len += n;
            if (self->timed_out) return self->refuse("no whole record within the deadline");
            if (self->len > kMaxRecordBytes) return self->refuse("record over 1 KiB");
            if (ec == asio::error::eof) return self->finish();
            if (ec) return self->refuse("connection failed: " + ec.message());
            self->read();
          });
    }

    // Once the record has begun, the whole-record deadline counts from the connection's start.
    void extend_deadline() {
      const auto rest = std::chrono::milliseconds(owner.options_.read_timeout_ms) -
                        (std::chrono::steady_clock::now() - started);
      if (rest <= std::chrono::milliseconds(owner.options_.first_byte_ms)) return;
      timer.expires_after(std::chrono::duration_cast<std::chrono::milliseconds>(rest));
      auto self = shared_from_this();
      timer.async_wait([self](const asio::error_code& ec) {
        if (ec) return;
        self->timed_out = true;
        asio::error_code ignored;
        self->socket.cancel(ignored);
        self->socket.close(ignored);
      });
    }

    // Logs the refusal; a client still listening learns why in one line
    // (`answer`), so that the game never shows a refused score as recorded.
    void refuse(const std::string& why, bool answer = false) {
      timer.cancel();
      log_line("refused record from " + peer + ": " + why);
      if (answer) return say("REFUSED " + why + "\n");
      asio::error_code ignored;
      socket.close(ignored);
    }

    // Writes one answer line, then closes.
    void say(std::string line) {
      auto self = shared_from_this();
      auto text = std::make_shared<std::string>(std::move(line));
      asio::async_write(socket, asio::buffer(*text), [self, text](const asio::error_code&, std::size_t) {
        asio::error_code ignored;
        self->socket.close(ignored);
      });
    }

    void finish() {
      auto parsed = parse_record(std::string_view(buf.data(), len));
      if (auto* no = std::get_if<Refusal>(&parsed)) return refuse(no->reason, true);
      timer.cancel();
      Record rec = std::get<Record>(std::move(parsed));
      std::string line = "accepted score " + std::to_string(rec.score) + " for " +
                         json_string(rec.name) + " from " + peer;
      auto self = shared_from_this();
      Entry entry{std::move(rec), peer,
                  std::chrono::duration_cast<std::chrono::seconds>(
                      std::chrono::system_clock::now().time_since_epoch())
                      .count()};
      // The listener's loop keeps running while the record is with the writer.
      auto work = asio::make_work_guard(owner.io_);
      owner.recorder_.submit(std::move(entry), [self, line, work](bool stored) mutable {
        asio::post(self->socket.get_executor(),
                   [self, line, stored] { self->acknowledge(line, stored); });
        work.reset();
      });
    }

    // A client that waits for it learns that its record is committed.
    void acknowledge(const std::string& line, bool stored) {
      if (!stored) {
        log_line("not stored: " + line.substr(std::string("accepted ").size()));
        return say("FAILED the score could not be stored right now\n");
      }
      log_line(line);
      say("OK\n");
    }

    RecordListener& owner;
    tcp::socket socket;
    asio::steady_timer timer;
    std::array<char, kMaxRecordBytes + 1> buf{};
    std::size_t len = 0;
    bool timed_out = false;
    std::string peer;
    std::chrono::steady_clock::time_point started = std::chrono::steady_clock::now();
  };

  void accept() {
    if (stopped_ || accepting_ || open_ >= options_.max_connections) return;
    accepting_ = true;
    acceptor_.async_accept([this](const asio::error_code& ec, tcp::socket socket) {
      accepting_ = false;
      if (stopped_) return;
      if (!ec) {
        asio::error_code peer_ec;
        tcp::endpoint peer_end = socket.remote_endpoint(peer_ec);
        const std::string peer = peer_ec ? "unknown" : peer_end.address().to_string();
        int& from_peer = per_peer_[peer];
        if (from_peer >= options_.max_per_peer) {
          // Said once while the address stays at its bound, not per connection.
          if (capped_.insert(peer).second)
            log_line("closing further record connections from " + peer + ": " +
                     std::to_string(from_peer) + " are open already");
          asio::error_code ignored;
          socket.close(ignored);
        } else {
          ++from_peer;
          ++open_;
          std::make_shared<Connection>(*this, std::move(socket))->start();
        }
      } else if (ec != asio::error::operation_aborted) {
        // Out of descriptors and the like: try again shortly rather than spin.
        log_line("accept failed: " + ec.message());
        retry_.expires_after(std::chrono::milliseconds(100));
        retry_.async_wait([this](const asio::error_code&) { accept(); });
        return;
      }
      accept();
    });
  }

  void connection_ended(const std::string& peer) {
    --open_;
    int left = 0;
    auto it = per_peer_.find(peer);
    if (it != per_peer_.end()) {
      left = --it->second;
      if (left <= 0) per_peer_.erase(it);
    }
    if (left < options_.max_per_peer) capped_.erase(peer);
    accept();
  }

  asio::io_context& io_;
  const Options& options_;
  Recorder& recorder_;
  tcp::acceptor acceptor_;
  asio::steady_timer retry_{io_};
  int open_ = 0;
  std::map<std::string, int> per_peer_;  // open record connections by client address
  std::set<std::string> capped_;         // addresses told about their bound
  bool accepting_ = false;
  bool stopped_ = false;
};

std::string endpoint_text(const std::string& host, unsigned short port) {
  return (host.find(':') != std::string::npos ? "[" + host + "]" : host) + ":" +
         std::to_string(port);
}

}  // namespace

namespace {

// Room for every record connection, the page's and the database's: the
// usual soft bound of 1,024 descriptors is raised as far as the hard one allows.
void raise_descriptor_limit(int wanted) {
  rlimit limit{};
  if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur >= static_cast<rlim_t>(wanted)) return;
  limit.rlim_cur = std::min<rlim_t>(limit.rlim_max, static_cast<rlim_t>(wanted));
  setrlimit(RLIMIT_NOFILE, &limit);
}

}  // namespace

int run_server(const Options& options) {
  raise_descriptor_limit(options.max_connections + 512);
  std::unique_ptr<Store> store;
  try {
    store = open_store(options.database.empty() ? default_database_path() : options.database);
  } catch (const std::exception& e) {
    log_line(std::string("cannot start: ") + e.what());
    return 1;
  }

  asio::io_context io(1);
  std::unique_ptr<PageListener> pages;
  try {
    pages = std::make_unique<PageListener>(io, options.bind, options.http_port, *store);
  } catch (const std::exception& e) {
    log_line("cannot start: cannot listen for HTTP on " + endpoint_text(options.bind, options.http_port) + ": " +
             e.what());
    return 1;
  }
  const unsigned short http_port = pages->port();
  Recorder recorder(*store, [&pages] { pages->scores_changed(); });
  std::unique_ptr<RecordListener> listener;
  try {
    listener = std::make_unique<RecordListener>(io, options, recorder);
  } catch (const std::exception& e) {
    log_line("cannot start: cannot listen for records on " +
             endpoint_text(options.bind, options.records_port) + ": " + e.what());
    return 1;
  }

  asio::signal_set signals(io, SIGTERM, SIGINT);
  signals.async_wait([&](const asio::error_code& ec, int signo) {
    if (ec) return;
    log_line(std::string("stopping on ") + (signo == SIGTERM ? "SIGTERM" : "SIGINT") +
             ": finishing the records in hand");
    listener->stop();
    pages->stop();
  });

  pages->start();
  listener->start();
  log_line("started: records on " +
           endpoint_text(options.bind, listener->endpoint().port()) + ", page on http://" +
           endpoint_text(options.bind, http_port) + "/, " +
           store->describe());

  // Runs until the listener is closed and every open connection has ended
  // (each within its deadline, or once its record is committed).
  io.run();
  pages.reset();
  recorder.stop();
  log_line("stopped");
  return 0;
}

}  // namespace scores
