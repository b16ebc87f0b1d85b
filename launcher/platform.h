// Everything the launcher needs of the operating system, and nothing more.
// One implementation per system (platform_posix.cpp, platform_win32.cpp) is
// picked by the build; the launcher's rules are plain C++ on top of this
// interface and are tested against an in-memory fake of it. Failures the
// launcher expects (a missing VM, a file that stays) come back as values.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quillpod {

// One entry of a directory listing; a symbolic link is never a directory
// here, so walking a tree cannot leave it.
struct DirectoryEntry {
  std::string name;
  bool is_directory = false;
};

// How a process ended, as the system tells it.
struct ProcessEnd {
  bool waited = false;           // false: the wait failed, the process may still run
  std::uint32_t status = 0;      // exit status of a process that ended by itself
  bool status_is_8_bit = false;  // the system keeps only the low 8 bits of a status
  int signal = 0;                // nonzero: the process was killed by this signal
};

enum class BoxAnswer { yes, no, unavailable };

// A file's bytes as the system hands them out (a mapping, or a copy in a fake).
class FileImage {
 public:
  virtual ~FileImage() = default;
  virtual const unsigned char* data() const = 0;
  virtual std::size_t size() const = 0;
};

// A FileImage that holds its bytes itself.
class OwnedFileImage : public FileImage {
 public:
  explicit OwnedFileImage(std::vector<unsigned char> bytes) : bytes_(std::move(bytes)) {}
  const unsigned char* data() const override { return bytes_.data(); }
  std::size_t size() const override { return bytes_.size(); }

 private:
  std::vector<unsigned char> bytes_;
};

// A started process, as the system names it (a process id or a handle).
using ProcessId = std::int64_t;

// An advisory lock the launcher holds on a directory (a descriptor or a handle).
using LockId = std::int64_t;

// A directory the launcher holds open while it walks it (a descriptor, or a
// handle that keeps the folder from being renamed or replaced).
using DirectoryId = std::int64_t;

class Platform {
 public:
  virtual ~Platform() = default;

  // Joins a directory and an entry name in a path.
  virtual char path_separator() const = 0;
  // Separates the entries of a class path.
  virtual char class_path_separator() const = 0;
  // Whether the VM takes file names as UTF-8 text, so that a path that is
  // not UTF-8 cannot be handed to it.
  virtual bool names_must_be_utf8() const = 0;
  // Name of the environment variable a Java VM takes its class path from.
  virtual std::string class_path_variable() const = 0;

  // Full path of the running executable, or nullopt.
  virtual std::optional<std::string> executable_path() = 0;
  // The whole content of an existing, readable file, or nullopt.
  virtual std::optional<std::vector<unsigned char>> read_file(const std::string& path) = 0;
  // The bytes of an existing, readable regular file, mapped rather than read
  // into memory, so that a file far larger than memory costs only the pages
  // looked at; nullptr when it cannot be opened or mapped.
  virtual std::unique_ptr<FileImage> map_file(const std::string& path) = 0;
  // Creates or truncates a file only the user can use, never through a
  // symbolic link, and writes all of `data`; false on any failure.
  virtual bool write_new_file(const std::string& path, const unsigned char* data, std::size_t size) = 0;
  // The user's temporary directory, ending in the path separator, or nullopt.
  // A system with a fixed path length refuses here a directory too long for
  // the workspace's files; the launcher's own code has no such limit.
  virtual std::optional<std::string> temporary_path() = 0;
  // Creates a private directory; false when it fails or already exists.
  virtual bool create_directory(const std::string& path) = 0;
  // Opens a directory for walking: `name` inside the open directory `parent`,
  // or the path `name` when there is no parent (resolved as the system does:
  // a temporary directory may be a link). A name inside an open directory
  // is never followed as a symbolic link (or any other kind of link). With `own_only`, only a
  // directory owned by the user running the launcher, which is then made
  // listable and writable for its owner, so that a tree the application
  // made read-only can still be emptied. What it names cannot be swapped
  // for something else while it is open. nullopt otherwise.
  virtual std::optional<DirectoryId> open_directory(std::optional<DirectoryId> parent, const std::string& name,
                                                    bool own_only) = 0;
  virtual void close_directory(DirectoryId directory) = 0;
  // The entries of an open directory without "." and "..", or nullopt.
  virtual std::optional<std::vector<DirectoryEntry>> list_directory(DirectoryId directory) = 0;
  // Removes the empty directory `name` inside an open directory.
  virtual bool remove_directory(DirectoryId parent, const std::string& name) = 0;
  // Deletes the file or link `name` inside an open directory (never what a link points to).
  virtual bool delete_file(DirectoryId parent, const std::string& name) = 0;
  // Whether users other than its owner may write into an open directory
  // without its sticky bit, so that they could rename or replace what
  // others made there.
  virtual bool others_may_replace_entries(DirectoryId directory) = 0;
  // Sets a variable of the launcher's environment, inherited by processes it starts.
  virtual bool set_environment(const std::string& name, const std::string& value) = 0;

  // Takes an advisory lock on an open directory without waiting; nullopt
  // when another process holds it or it cannot be taken. With `inherit`,
  // the processes the launcher starts hold it too, so a workspace stays
  // locked while a VM still uses it after its launcher was killed.
  virtual std::optional<LockId> lock_directory(DirectoryId directory, bool inherit) = 0;
  virtual void unlock_directory(LockId lock) = 0;

  // Makes the Java runtime the executable carries (the data of its runtime
  // record) ready to run for this run, in the user's cache or else in the
  // open workspace, and returns the path of its java program; nullopt when
  // it cannot (the reasons are on the error stream) or this system does not
  // unpack runtimes.
  virtual std::optional<std::string> ready_carried_runtime(const unsigned char* /*data*/, std::size_t /*size*/,
                                                           DirectoryId /*workspace*/,
                                                           const std::string& /*workspace_path*/) {
    return std::nullopt;
  }

  // Random bits from the system's generator (never a guessable seed), or nullopt.
  virtual std::optional<std::uint32_t> random_number() = 0;

  // The system's own words for why the last failing call of this layer
  // failed ("No space left on device"), for the one line every launcher
  // failure writes; empty when no call has failed.
  virtual std::string last_error() const = 0;

  // Starts a process from a Windows-form command line whose first argument
  // names a program found on the search path; nullopt when it cannot start.
  virtual std::optional<ProcessId> start_process(const std::string& command_line) = 0;
  // Waits without a time limit for the process to end. Stop signals that
  // reach the launcher meanwhile are passed on to the process.
  virtual ProcessEnd wait_process(ProcessId process) = 0;
  // The stop signal (interrupt, terminate, ...) that has reached the
  // launcher, or 0; once set, the launcher starts nothing more.
  virtual int stop_signal() = 0;

  // Milliseconds of a monotonic clock, wrapping at 32 bits.
  virtual std::uint32_t tick_count() = 0;
  // Seconds since 1 January 1970 (UTC).
  virtual std::int64_t current_time() = 0;

  // Asks a Yes/No question in a modal box; `unavailable` when no box can be
  // shown (no display), which the caller answers on the error stream.
  virtual BoxAnswer ask_yes_no(const std::string& caption, const std::string& text) = 0;
  // Opens an address in the user's browser, without waiting; outcome ignored.
  virtual void open_address(const std::string& address) = 0;
  // Writes one line to the error stream.
  virtual void write_error_line(const std::string& line) = 0;

  // The maker packed a command-line application: the VM shares the
  // launcher's standard streams and failures are told on the error stream,
  // never in a box. A system whose launcher always works so needs nothing.
  virtual void use_console() {}
};

}  // namespace quillpod
