#include "runtime.h"

#include <fcntl.h>
#include <sha2.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>
#include <zstd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <ostream>
#include <set>
#include <sstream>

#include "application.h"
#include "pe_resources.h"
#include "runtime_format.h"
#include "runtime_tree.h"

namespace fs = std::filesystem;

namespace quillpod::pack {

namespace {

void put_le(Bytes& out, std::uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

void put_entry(Bytes& out, unsigned char kind, fs::perms mode, const std::string& name, const std::string& content) {
  if (name.size() > 0xFFFF) throw Error("the runtime's file name " + name + " is too long");
  out.push_back(kind);
  put_le(out, static_cast<std::uint64_t>(mode) & kRuntimeModeMask, 2);
  put_le(out, name.size(), 2);
  out.insert(out.end(), name.begin(), name.end());
  put_le(out, content.size(), 8);
  out.insert(out.end(), content.begin(), content.end());
}

std::string read_all(const fs::path& path) {
  Bytes bytes = read_file(path);
  return std::string(bytes.begin(), bytes.end());
}

// Adds `path` (named `name` in the tree) and, for a folder, everything in it.
void add_to_tree(const fs::path& root, const fs::path& path, const std::string& name, Bytes& out,
                 std::vector<std::string>& warnings, int depth) {
  if (depth > 64) throw Error("the runtime folder " + root.string() + " nests too deep (a loop of links?)");
  std::error_code ec;
  fs::file_status own = fs::symlink_status(path, ec);
  if (ec) throw Error("cannot read " + path.string() + ": " + ec.message());
  fs::file_status status = own;
  if (fs::is_symlink(own)) {
    const std::string target = fs::read_symlink(path, ec).string();
    if (!ec && runtime_link_stays_inside(name, target) && fs::exists(path, ec)) {
      put_entry(out, kRuntimeLink, fs::perms::owner_all, name, target);
      return;
    }
    // Leads out of the runtime (Debian's JDK links into /etc): carry what it points to.
    status = fs::status(path, ec);
    if (ec || !fs::exists(status)) {
      warnings.push_back("the runtime's link " + path.string() + " leads nowhere; left out");
      return;
    }
  }
  if (fs::is_directory(status)) {
    if (!name.empty()) put_entry(out, kRuntimeFolder, status.permissions(), name, "");
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(path, ec)) names.push_back(entry.path().filename().string());
    if (ec) throw Error("cannot list " + path.string() + ": " + ec.message());
    std::sort(names.begin(), names.end());
    for (const std::string& child : names)
      add_to_tree(root, path / child, name.empty() ? child : name + "/" + child, out, warnings, depth + 1);
    return;
  }
  if (!fs::is_regular_file(status)) {
    warnings.push_back("the runtime's " + path.string() + " is not a file, folder or link; left out");
    return;
  }
  const std::string problem = runtime_name_problem(name);
  if (!problem.empty()) throw Error("the runtime folder holds " + problem);
  put_entry(out, kRuntimeFile, status.permissions(), name, read_all(path));
}

RuntimeHash sha256(const unsigned char* data, std::size_t size) {
  SHA2_CTX context;
  SHA256Init(&context);
  SHA256Update(&context, data, size);
  RuntimeHash hash;
  SHA256Final(hash.data(), &context);
  return hash;
}

// Runs a program and returns its standard output; throws Error with its
// standard error when it fails.
std::string run_tool(const std::vector<std::string>& argv) {
  char err_name[] = "/tmp/quillpod-pack-XXXXXX";
  int err_fd = mkstemp(err_name);
  if (err_fd < 0) throw Error(std::string("cannot make a temporary file: ") + std::strerror(errno));
  unlink(err_name);
  int out_pipe[2];
  if (pipe(out_pipe) != 0) throw Error(std::string("cannot make a pipe: ") + std::strerror(errno));
  pid_t child = fork();
  if (child == 0) {
    dup2(out_pipe[1], 1);
    dup2(err_fd, 2);
    close(out_pipe[0]);
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    dprintf(2, "cannot run %s: %s\n", args[0], std::strerror(errno));
    _exit(127);
  }
  close(out_pipe[1]);
  std::string out;
  char buffer[4096];
  ssize_t n;
  while ((n = read(out_pipe[0], buffer, sizeof buffer)) > 0) out.append(buffer, static_cast<std::size_t>(n));
  close(out_pipe[0]);
  int status = 0;
  waitpid(child, &status, 0);
  if (child < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::string err;
    lseek(err_fd, 0, SEEK_SET);
    while ((n = read(err_fd, buffer, sizeof buffer)) > 0) err.append(buffer, static_cast<std::size_t>(n));
    close(err_fd);
    while (!err.empty() && (err.back() == '\n' || err.back() == ' ')) err.pop_back();
    throw Error(argv[0] + " failed" + (err.empty() ? std::string() : ": " + err));
  }
  close(err_fd);
  return out;
}

std::vector<std::string> split_list(const std::string& text) {
  std::vector<std::string> items;
  std::string item;
  std::istringstream in(text);
  while (std::getline(in, item, ',')) {
    item.erase(0, item.find_first_not_of(" \t\r\n"));
    item.erase(item.find_last_not_of(" \t\r\n") + 1);
    if (!item.empty()) items.push_back(item);
  }
  return items;
}

}  // namespace

Bytes runtime_tree(const fs::path& folder, std::vector<std::string>& warnings, bool for_windows) {
  std::error_code ec;
  if (!fs::is_directory(folder, ec)) throw Error("the runtime " + folder.string() + " is not a folder");
  const bool posix_java = fs::is_regular_file(folder / "bin" / "java", ec);
  const bool windows_java = fs::is_regular_file(folder / "bin" / "java.exe", ec);
  if (for_windows && !windows_java)
    throw Error("the runtime " + folder.string() + " has no bin/java.exe: a Windows executable needs a Java runtime " +
                "for Windows" + (posix_java ? std::string(" (this one is for this system)") : std::string()));
  if (!for_windows && !posix_java)
    throw Error("the runtime " + folder.string() + " has no bin/java: give a jlink image, a JDK or a JRE folder" +
                (windows_java ? " for this system (this one is for Windows: pack it with --platform windows64)"
                              : std::string()));
  Bytes tree;
  add_to_tree(folder, folder, "", tree, warnings, 0);
  return tree;
}

namespace {

Bytes compress_zstd(const Bytes& tree, int level) {
  std::unique_ptr<ZSTD_CCtx, decltype(&ZSTD_freeCCtx)> context(ZSTD_createCCtx(), ZSTD_freeCCtx);
  ZSTD_CCtx_setParameter(context.get(), ZSTD_c_compressionLevel, level);
  ZSTD_CCtx_setParameter(context.get(), ZSTD_c_checksumFlag, 1);
  ZSTD_CCtx_setParameter(context.get(), ZSTD_c_nbWorkers, 2);  // ignored where zstd has no threads
  Bytes out(ZSTD_compressBound(tree.size()));
  std::size_t n = ZSTD_compress2(context.get(), out.data(), out.size(), tree.data(), tree.size());
  if (ZSTD_isError(n)) throw Error(std::string("cannot compress the runtime: ") + ZSTD_getErrorName(n));
  out.resize(n);
  return out;
}

// zlib's levels run 1 to 9; zstd's higher ones ask for its best.
Bytes compress_zlib(const Bytes& tree, int level) {
  uLongf size = compressBound(static_cast<uLong>(tree.size()));
  Bytes out(size);
  if (compress2(out.data(), &size, tree.data(), static_cast<uLong>(tree.size()), std::min(level, 9)) != Z_OK)
    throw Error("cannot compress the runtime with zlib");
  out.resize(size);
  return out;
}

// The tree as the record holds it; throws Error when the data does not
// decompress to exactly `size` bytes.
Bytes decompress_tree(const RuntimeRecord& record) {
  Bytes tree(static_cast<std::size_t>(record.tree_size));
  if (record.compression == RuntimeCompression::zlib) {
    z_stream z{};
    if (inflateInit(&z) != Z_OK) throw Error("cannot start zlib");
    z.next_in = const_cast<unsigned char*>(record.compressed);
    z.avail_in = static_cast<uInt>(record.compressed_size);
    z.next_out = tree.data();
    z.avail_out = static_cast<uInt>(tree.size());
    const int status = inflate(&z, Z_FINISH);
    const std::size_t made = tree.size() - z.avail_out;
    const bool all_read = z.avail_in == 0;
    inflateEnd(&z);
    if (status == Z_DATA_ERROR || status == Z_NEED_DICT) throw Error("its compressed data is damaged");
    if (status != Z_STREAM_END || made != tree.size() || !all_read)
      throw Error("its size is not the one its header gives");
    return tree;
  }
  std::size_t n = ZSTD_decompress(tree.data(), tree.size(), record.compressed, record.compressed_size);
  if (ZSTD_isError(n)) throw Error(std::string("its compressed data is damaged (") + ZSTD_getErrorName(n) + ")");
  if (n != tree.size()) throw Error("its size is not the one its header gives");
  return tree;
}

}  // namespace

Bytes runtime_record_data(const Bytes& tree, RuntimeCompression compression, int level) {
  const unsigned char* magic = compression == RuntimeCompression::zlib ? kRuntimeMagicZlib : kRuntimeMagic;
  Bytes out(magic, magic + sizeof kRuntimeMagic);
  const RuntimeHash hash = sha256(tree.data(), tree.size());
  out.insert(out.end(), hash.begin(), hash.end());
  put_le(out, tree.size(), 8);
  const Bytes packed = compression == RuntimeCompression::zlib ? compress_zlib(tree, level) : compress_zstd(tree, level);
  out.insert(out.end(), packed.begin(), packed.end());
  if (out.size() > kMaxSize) throw Error("the runtime is too large to carry (" + std::to_string(out.size()) + " bytes compressed)");
  return out;
}

// How much larger than its compressed data a tree may say it is when listed.
constexpr std::uint64_t kMaxListedRatio = 1024;

RuntimeSummary summarize_runtime(const unsigned char* data, std::size_t size) {
  std::optional<RuntimeRecord> record = parse_runtime_record(data, size);
  if (!record) throw Error("its header is not a runtime's");
  if (record->tree_size > (std::uint64_t{1} << 34)) throw Error("its declared size is implausible");
  // The tree is unpacked whole in memory, so its declared size must be one
  // its compressed data could hold: a real runtime packs about 4 to 1, and a
  // damaged header claiming gigabytes from a few bytes is refused before
  // anything is allocated.
  if (record->tree_size > std::uint64_t{kMaxListedRatio} * (record->compressed_size + 1))
    throw Error("its declared size is implausible for its " + std::to_string(record->compressed_size) +
                " compressed bytes");
  const Bytes tree = decompress_tree(*record);
  if (sha256(tree.data(), tree.size()) != record->hash) throw Error("its content does not match its hash");
  RuntimeSummary summary;
  summary.hash = runtime_hash_hex(record->hash);
  summary.for_windows = record->compression == RuntimeCompression::zlib;
  for (std::size_t at = 0; at < tree.size();) {
    if (tree.size() - at < kRuntimeEntryHeaderSize + 8) throw Error("an entry is cut short");
    const unsigned char kind = tree[at];
    const std::size_t name_size = static_cast<std::size_t>(read_le(&tree[at + 3], 2));
    if (tree.size() - at < kRuntimeEntryHeaderSize + name_size + 8) throw Error("an entry is cut short");
    const std::uint64_t content = read_le(&tree[at + kRuntimeEntryHeaderSize + name_size], 8);
    at += kRuntimeEntryHeaderSize + name_size + 8;
    if (content > tree.size() - at) throw Error("an entry is cut short");
    at += static_cast<std::size_t>(content);
    if (kind == kRuntimeFolder) ++summary.folders;
    else if (kind == kRuntimeLink) ++summary.links;
    else if (kind == kRuntimeFile) ++summary.files, summary.unpacked += content;
    else throw Error("an entry has an unknown kind");
  }
  return summary;
}

bool list_runtime(const unsigned char* data, std::size_t size, std::ostream& out) {
  try {
    RuntimeSummary s = summarize_runtime(data, size);
    out << "  Java runtime " << s.hash << (s.for_windows ? " for Windows" : "") << ": " << s.files << " files, " << s.folders << " folders, " << s.links
        << " links, " << s.unpacked << " bytes unpacked\n";
    return true;
  } catch (const Error& e) {
    out << "  a damaged Java runtime: " << e.what() << "\n";
    return false;
  }
}

std::string jdk_tool(const std::string& name) {
  const char* home = std::getenv("JAVA_HOME");
  if (home && *home) {
    fs::path tool = fs::path(home) / "bin" / name;
    std::error_code ec;
    if (fs::is_regular_file(tool, ec)) return tool.string();
  }
  return name;  // found on the search path, or a clear failure to run it
}

std::vector<std::string> application_modules(const std::vector<fs::path>& classes_and_jars,
                                             const std::vector<std::string>& extra) {
  std::set<std::string> modules{"java.base"};
  if (!classes_and_jars.empty()) {
    std::vector<std::string> argv{jdk_tool("jdeps"), "--print-module-deps", "--ignore-missing-deps",
                                  "--multi-release", "base"};
    for (const fs::path& p : classes_and_jars) argv.push_back(p.string());
    for (const std::string& m : split_list(run_tool(argv))) modules.insert(m);
  }
  for (const std::string& list : extra)
    for (const std::string& m : split_list(list)) modules.insert(m);
  return {modules.begin(), modules.end()};
}

void jlink_runtime(const std::vector<std::string>& modules, const fs::path& output) {
  std::string list;
  for (const std::string& m : modules) list += (list.empty() ? "" : ",") + m;
  std::vector<std::string> argv{jdk_tool("jlink"), "--add-modules", list, "--strip-debug", "--no-header-files",
                                "--no-man-pages", "--output", output.string()};
  // A class-data archive makes every start of the runtime faster, as the
  // JDK's own has one; a jlink without the plugin (before Java 17) makes
  // the image without it.
  std::vector<std::string> with_cds = argv;
  with_cds.insert(with_cds.end() - 2, "--generate-cds-archive");
  try {
    run_tool(with_cds);
  } catch (const Error&) {
    std::error_code ec;
    fs::remove_all(output, ec);
    run_tool(argv);
  }
}

void add_runtime_record(Bytes& executable, const std::string& choice, const std::vector<std::string>& add_modules,
                        const Request& request, std::vector<std::string>& warnings, std::ostream& report) {
  // The launcher at the executable's start tells which system the runtime is for.
  const bool for_windows = is_windows_executable(executable);
  Bytes tree;
  if (choice == "jlink") {
    if (for_windows)
      throw Error("--runtime jlink makes a Java runtime for this system, not for Windows: give a Java runtime for "
                  "Windows with --runtime DIR");
    std::vector<fs::path> classes = request.inputs;
    std::error_code ec;
    for (const fs::path& dir : request.jar_dirs)
      for (const fs::directory_entry& entry : fs::directory_iterator(dir, ec))
        if (entry.path().extension() == ".jar") classes.push_back(entry.path());
    const std::vector<std::string> modules = application_modules(classes, add_modules);
    std::string work_name = (fs::temp_directory_path() / "quillpod-jlink-XXXXXX").string();
    if (!mkdtemp(work_name.data())) throw Error(std::string("cannot make a temporary folder: ") + std::strerror(errno));
    const fs::path work = work_name;
    try {
      jlink_runtime(modules, work / "runtime");
      tree = runtime_tree(work / "runtime", warnings, false);
    } catch (...) {
      fs::remove_all(work, ec);
      throw;
    }
    fs::remove_all(work, ec);
    std::string list;
    for (const std::string& m : modules) list += (list.empty() ? "" : ",") + m;
    report << "quillpod-pack: runtime made by jlink with " << list << "\n";
  } else {
    if (!add_modules.empty()) throw Error("--add-modules goes with --runtime jlink only");
    tree = runtime_tree(choice, warnings, for_windows);
  }
  const Bytes data =
      runtime_record_data(tree, for_windows ? RuntimeCompression::zlib : RuntimeCompression::zstd);
  const RuntimeSummary summary = summarize_runtime(data.data(), data.size());
  append_record(executable, kRecordRuntime, data);
  report << "quillpod-pack: the Java runtime adds " << data.size() << " bytes to the executable (" << summary.files
         << " files, " << summary.unpacked << " bytes unpacked, cached as " << summary.hash << ")\n";
}

}  // namespace quillpod::pack
