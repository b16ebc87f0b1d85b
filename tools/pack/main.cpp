// quillpod-pack: appends a Java application to the quillpod launcher, giving
// one executable that carries everything it runs; or lists what a packed
// executable carries.
#include <CLI/CLI.hpp>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "pack.h"

namespace fs = std::filesystem;
using namespace quillpod::pack;

namespace {

// A temporary file beside the output; removed unless it was renamed into place.
class TempOutput {
 public:
  explicit TempOutput(const fs::path& output) : output_(output) {
    std::string pattern = output.string() + ".XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    fd_ = mkstemp(name.data());
    if (fd_ < 0) throw Error("cannot create a file beside " + output.string() + ": " + std::strerror(errno));
    path_ = name.data();
  }
  ~TempOutput() {
    if (fd_ >= 0) close(fd_);
    if (!path_.empty()) unlink(path_.c_str());
  }
  TempOutput(const TempOutput&) = delete;
  TempOutput& operator=(const TempOutput&) = delete;

  // Writes everything, makes it executable and moves it over the output.
  void commit(const Bytes& data) {
    std::size_t done = 0;
    while (done < data.size()) {
      ssize_t n = write(fd_, data.data() + done, data.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) fail("cannot write");
      done += static_cast<std::size_t>(n);
    }
    // Executable for everyone the umask allows, as a linker would make it.
    mode_t mask = umask(0);
    umask(mask);
    if (fchmod(fd_, 0777 & ~mask) != 0) fail("cannot make executable");
    int fd = fd_;
    fd_ = -1;
    if (close(fd) != 0) fail("cannot write");
    if (rename(path_.c_str(), output_.c_str()) != 0) fail("cannot rename into place");
    path_.clear();
  }

 private:
  [[noreturn]] void fail(const char* what) {
    throw Error(std::string(what) + " " + output_.string() + ": " + std::strerror(errno));
  }
  fs::path output_;
  std::string path_;
  int fd_ = -1;
};

// Prints the records and archive entries; returns false if something is broken.
bool list(const fs::path& exe_path) {
  Bytes exe = read_file(exe_path);
  bool ok = list_executable(exe.data(), exe.size(), std::cout);
  std::cout.flush();
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{
      "Packs a Java application into one executable: the quillpod launcher followed by the boot class, "
      "the configuration text and a compressed archive of the application's files. The same inputs "
      "always give the same bytes.\n\n"
      "  quillpod-pack --launcher quillpod --boot quillpodboot.class -c main=my.App -o myapp classes/ media/\n"
      "  quillpod-pack --list myapp\n",
      "quillpod-pack"};
  app.get_formatter()->column_width(32);

  fs::path launcher, boot, output, config_file, listed;
  std::vector<std::string> pairs;
  std::vector<fs::path> dirs, folders;
  int level = 9;

  auto* list_opt = app.add_option("--list", listed,
                                  "List the records and archive entries (size, name) of a packed executable, "
                                  "then stop; no other option may be given");
  app.add_option("--launcher", launcher, "The launcher executable to start from (without records)");
  app.add_option("--boot", boot, "The boot stage's class file, quillpodboot.class");
  app.add_option("-o,--output", output,
                 "Where to write the executable; written beside it under a temporary name, made "
                 "executable and then renamed, so no half-written file is ever left there");
  app.add_option("--config-file", config_file,
                 "Configuration pairs, one key=value a line; blank lines and lines starting with '#' are "
                 "skipped, a trailing carriage return is dropped");
  app.add_option("-c,--config", pairs,
                 "One configuration pair key=value, e.g. main=com.example.App, minver=1.1, target=C; "
                 "repeatable; replaces the value of the same key from --config-file")
      ->allow_extra_args(false);
  app.add_option("--level", level, "Compression level, 0 (stored) to 9 (smallest)")
      ->check(CLI::Range(0, 9))
      ->capture_default_str();
  app.add_option("--folder", folders,
                 "Carry a directory as a folder of its own name at the archive's root, e.g. "
                 "--folder media/XmasGifs gives XmasGifs\\frame0.gif; repeatable")
      ->allow_extra_args(false);
  app.add_option("dirs", dirs,
                 "Directories whose files form the archive; their contents are merged at the archive's "
                 "root, and a name found in two of them is an error");

  CLI11_PARSE(app, argc, argv);

  try {
    if (*list_opt) {
      if (!launcher.empty() || !boot.empty() || !output.empty() || !config_file.empty() || !pairs.empty() ||
          !dirs.empty() || !folders.empty())
        throw Error("--list takes only the executable to list");
      if (list(listed)) return 0;
      throw Error(listed.string() + " is not a complete packed executable (see the listing above)");
    }
    if (launcher.empty() || boot.empty() || output.empty())
      throw Error("--launcher, --boot and --output are all needed (see --help)");
    if (dirs.empty() && folders.empty()) throw Error("no directory of application files given (see --help)");
    std::vector<SourceDir> sources;
    for (const auto& d : dirs) sources.push_back({d, ""});
    for (const auto& f : folders) {
      std::string name = fs::absolute(f).lexically_normal().filename().string();
      if (name.empty()) name = fs::absolute(f).lexically_normal().parent_path().filename().string();
      if (auto problem = name_problem(name); !problem.empty())
        throw Error("cannot carry " + f.string() + " as a folder: " + problem);
      sources.push_back({f, name});
    }

    std::vector<ConfigPair> config;
    if (!config_file.empty()) {
      Bytes text = read_file(config_file);
      config = parse_config_file(std::string(text.begin(), text.end()), config_file.string());
    }
    std::vector<ConfigPair> given;
    for (const auto& p : pairs) given.push_back(parse_config_pair(p));
    override_config(config, given);
    bool has_main = false;
    for (const auto& p : config) has_main |= p.key == "main";
    if (!has_main) std::cerr << "quillpod-pack: warning: no main key; the executable will not know what to run\n";

    std::error_code ec;
    for (const auto& input : {launcher, boot})
      if (fs::equivalent(output, input, ec))
        throw Error("the output " + output.string() + " would replace its own input " + input.string());
    Bytes launcher_bytes = read_file(launcher);
    Bytes boot_bytes = read_file(boot);
    Bytes archive = archive_record_data(archive_body(collect_files(sources)), level);
    Bytes exe = build_executable(launcher_bytes, boot_bytes, config_text(config), archive);
    TempOutput(output).commit(exe);
  } catch (const Error& e) {
    std::cerr << "quillpod-pack: " << e.what() << "\n";
    return 1;
  } catch (const std::exception& e) {
    std::cerr << "quillpod-pack: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
