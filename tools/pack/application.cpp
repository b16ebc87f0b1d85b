#include "application.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <optional>

#include "cmdline.h"
#include "jar.h"
#include "payload.h"
#include "windows_options.h"

namespace fs = std::filesystem;

namespace quillpod::pack {

const std::vector<std::string> kKnownKeys = {"main", "minver", "target", "helpurl", "jars", "vmargs", "product"};
// Keys that executables have always carried for their own bookkeeping: stored, read by nobody, and no mistake.
const std::vector<std::string> kStoredKeys = {"windowed"};

namespace {

// The keys the launcher looks up, in the order they are written first in
// the configuration text (see check_launcher_reading); the help address
// last, since a query in it may well hold "target=" or "main=".
const char* const kLauncherKeys[] = {"main", "target", "jars", "vmargs", "product", "helpurl"};

std::string lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

bool ends_with_jar(const std::string& name) {
  return name.size() > 4 && lower(name.substr(name.size() - 4)) == ".jar";
}

// The non-empty items of a list, such as the jars key's comma-separated names.
std::vector<std::string> split(const std::string& list, char separator) {
  std::vector<std::string> items;
  std::size_t start = 0;
  while (start <= list.size()) {
    std::size_t end = std::min(list.find(separator, start), list.size());
    if (end > start) items.push_back(list.substr(start, end - start));
    start = end + 1;
  }
  return items;
}

std::string join(const std::vector<std::string>& items, const char* between) {
  std::string out;
  for (const auto& item : items) {
    if (!out.empty()) out += between;
    out += item;
  }
  return out;
}

ConfigPair* find_pair(std::vector<ConfigPair>& config, const std::string& key) {
  for (auto& pair : config)
    if (pair.key == key) return &pair;
  return nullptr;
}

// A jar carried at the archive's root under its file name.
struct CarriedJar {
  std::string name;
  fs::path path;
  fs::path identity;  // the file itself, links resolved: the same jar is carried once
};

// Gathers the jars to carry: those given, then, after each, the jars its
// manifest's Class-Path names beside it, followed the way the VM follows them.
class JarGatherer {
 public:
  explicit JarGatherer(std::vector<std::string>& warnings) : warnings_(warnings) {}

  void add_given(const fs::path& path) { add(path, nullptr); }

  const std::vector<CarriedJar>& jars() const { return jars_; }
  // The manifest of the first given jar that names a main class.
  const std::optional<Manifest>& main_manifest() const { return main_manifest_; }
  const fs::path& main_jar() const { return main_jar_; }

 private:
  void add(const fs::path& path, const fs::path* named_by) {
    std::error_code ec;
    fs::path identity = fs::weakly_canonical(path, ec);
    if (ec) identity = fs::absolute(path);
    for (const auto& jar : jars_)
      if (jar.identity == identity) return;
    std::string name = path.filename().string();
    if (auto problem = name_problem(name); !problem.empty())
      throw Error("cannot carry the jar " + path.string() + ": " + problem);
    if (name.find(',') != std::string::npos)
      throw Error("cannot carry the jar " + path.string() + ": the jars key separates names with commas, so a "
                  "jar's name may hold none; rename it");
    for (const auto& jar : jars_)
      if (jar.name == name)
        throw Error("two different jars are named " + name + ": " + jar.path.string() + " and " + path.string() +
                    "; the archive holds one file of a name, so rename one of them");
    Jar jar(path);
    jars_.push_back({name, path, identity});
    if (named_by == nullptr && !main_manifest_ && !manifest_value(jar.manifest(), "Main-Class").empty()) {
      main_manifest_ = jar.manifest();
      main_jar_ = path;
    }
    for (const std::string& item : class_path_items(manifest_value(jar.manifest(), "Class-Path"))) {
      std::string where = "the Class-Path of " + path.string() + " names " + item;
      auto colon = item.find(':');
      if (colon != std::string::npos && colon > 1 && item.find('/') > colon) {
        warnings_.push_back(where + ", an address rather than a file beside the jar; it is not carried");
        continue;
      }
      fs::path target = path.parent_path() / item;
      auto status = fs::status(target, ec);
      if (ec || !fs::exists(status)) {
        warnings_.push_back(where + ", which is not there (" + target.string() +
                            "); the VM passes over it as well, so it is not carried");
      } else if (fs::is_directory(status)) {
        warnings_.push_back(where + ", a directory; give it as an input if the application needs its files");
      } else if (!looks_like_zip(target)) {
        warnings_.push_back(where + ", which is not a jar; it is not carried");
      } else {
        add(target, &path);
      }
    }
  }

  std::vector<std::string>& warnings_;
  std::vector<CarriedJar> jars_;
  std::optional<Manifest> main_manifest_;
  fs::path main_jar_;
};

std::vector<fs::path> jars_in_folder(const fs::path& dir) {
  std::error_code ec;
  if (!fs::is_directory(dir, ec))
    throw Error("--jar-dir " + dir.string() + ": " + (ec ? ec.message() : std::string("not a directory")));
  std::vector<fs::path> jars;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec))
    if (ends_with_jar(it->path().filename().string()) && it->is_regular_file()) jars.push_back(it->path());
  if (ec) throw Error("cannot read directory " + dir.string() + ": " + ec.message());
  if (jars.empty()) throw Error("--jar-dir " + dir.string() + " holds no jar");
  std::sort(jars.begin(), jars.end());
  return jars;
}

bool is_dotted_version(const std::string& v) {
  if (v.empty() || v.front() == '.' || v.back() == '.') return false;
  std::size_t digits = 0;
  for (char c : v) {
    if (c == '.') {
      if (digits == 0) return false;
      digits = 0;
    } else if (c >= '0' && c <= '9') {
      if (++digits > 18) return false;  // the boot stage reads at most 18 digits
    } else {
      return false;
    }
  }
  return true;
}

void check_target(const std::string& target) {
  if (target.size() != 1 || target[0] < 'A' || target[0] > 'H')
    throw Error("target \"" + target +
                "\" is not a letter from A to H; the letter picks the VM commands tried: C java only, "
                "H jview, java and jre (the default); leave the key out for H");
  int mask = target[0] - 'A';
  if ((mask & 2) == 0) {
    std::vector<std::string> programs;
    if (mask & 1) programs.push_back("jview");
    if (mask & 4) programs.push_back("jre");
    throw Error("target=" + target + " tries " + (programs.empty() ? std::string("no VM at all") : join(programs, " and ")) +
                ", never java, the only VM command today's systems have; use C (java only) or H (all three, "
                "the default)");
  }
}

// The checks on the keys' values that the launcher and boot stage would
// otherwise fail on at the user's first start.
void check_values(const std::vector<ConfigPair>& config, const std::vector<SourceFile>& files) {
  for (const auto& pair : config) {
    if (pair.key == "minver" && !is_dotted_version(pair.value))
      throw Error("minver \"" + pair.value +
                  "\" is not a dotted version such as 1.8 or 11; the boot stage compares it number by number "
                  "with the VM's version (leave the key out to accept every VM)");
    if (pair.key == "target") check_target(pair.value);
    if (pair.key == "jars") {
      std::vector<std::string> carried;
      for (const auto& f : files)
        if (ends_with_jar(f.name)) carried.push_back(f.name);
      for (const std::string& item : split(pair.value, ',')) {
        if (item.find_first_of(" \t") == 0 || item.find_last_of(" \t") == item.size() - 1)
          throw Error("the jars item \"" + item +
                      "\" has a blank around it, which the class path would keep; write jars=a.jar,b.jar");
        if (item.find('\\') != std::string::npos)
          throw Error("the jars item \"" + item + "\" has a backslash; name a jar in a folder as lib/a.jar");
        std::string name = item;
        std::replace(name.begin(), name.end(), '/', '\\');
        bool found = std::any_of(files.begin(), files.end(), [&](const SourceFile& f) { return f.name == name; });
        if (!found)
          throw Error("the jars item \"" + item + "\" names no file in the archive" +
                      (carried.empty() ? std::string(", which holds no jar") : "; its jars are " + join(carried, ", ")));
      }
    }
  }
  if (std::none_of(config.begin(), config.end(), [](const ConfigPair& p) { return p.key == "jars"; })) {
    std::vector<std::string> carried;
    for (const auto& f : files)
      if (ends_with_jar(f.name)) carried.push_back(f.name);
    if (!carried.empty())
      throw Error("the archive holds jars (" + join(carried, ", ") +
                  ") but no jars key puts them on the class path; give the jars themselves as inputs, use "
                  "--jar-dir DIR, or set -c jars=" + join(carried, ",") +
                  " (an empty -c jars= carries them as plain files)");
  }
}

// The names the boot stage keeps for itself in the workspace's root. Case
// does not matter: a workspace may be on a file system that ignores it.
void check_reserved_names(const std::vector<SourceFile>& files) {
  struct Reserved {
    const char* name;
    const char* what;
  };
  const Reserved reserved[] = {{kBootClassFileName, "the boot class"},
                               {kMarkerFileName, "the marker that tells the launcher the application started"},
                               {kBootResultFileName, "the boot stage's result file"}};
  for (const auto& f : files)
    for (const auto& r : reserved)
      if (lower(f.name) == lower(r.name))
        throw Error("the archive may not hold a file named " + f.name + " at its root (from " + f.path.string() +
                    "): the workspace keeps " + r.what + " under that name; rename or move the file");
}

// The launcher finds a key by searching the text for "key=" anywhere; make
// sure each key it reads comes out as written, not from inside another line.
void check_launcher_reading(const Bytes& text, std::vector<ConfigPair>& config) {
  std::string_view view(reinterpret_cast<const char*>(text.data()), text.size() - 1);
  for (const char* key : kLauncherKeys) {
    ConfigPair* pair = find_pair(config, key);
    std::optional<std::string> read = lookup_config_value(view, key, std::nullopt);
    if (read == (pair ? std::optional<std::string>(pair->value) : std::nullopt)) continue;
    std::size_t at = view.find(std::string(key) + "=");
    std::size_t line_start = view.rfind('\n', at);
    line_start = line_start == std::string_view::npos ? 0 : line_start + 1;
    std::string line(view.substr(line_start, view.find('\n', at) - line_start));
    throw Error("the launcher would read " + std::string(key) + " as \"" + read.value_or("") +
                "\", since it finds \"" + key + "=\" inside the line \"" + line + "\"" +
                (pair ? std::string() : "; set " + std::string(key) + " yourself with -c") +
                " or change that line");
  }
}

void check_main_class(const std::string& main, const std::vector<ConfigPair>& config,
                      const std::vector<SourceFile>& files, std::vector<std::string>& warnings) {
  std::string in_archive = main, in_jar = main;
  std::replace(in_archive.begin(), in_archive.end(), '.', '\\');
  std::replace(in_jar.begin(), in_jar.end(), '.', '/');
  in_archive += ".class";
  in_jar += ".class";
  for (const auto& f : files)
    if (f.name == in_archive) return;
  std::vector<std::string> searched;
  for (const auto& pair : config) {
    if (pair.key != "jars") continue;
    for (std::string name : split(pair.value, ',')) {
      std::replace(name.begin(), name.end(), '/', '\\');
      for (const auto& f : files)
        if (f.name == name) {
          searched.push_back(f.name);
          if (Jar(f.path).has_entry(in_jar)) return;
        }
    }
  }
  warnings.push_back("the main class " + main + " is not in the archive (" + in_archive + ")" +
                     (searched.empty() ? std::string() : " nor in its jars (" + join(searched, ", ") + ")") +
                     "; the VM must find it elsewhere, or the start fails");
}

// The configuration text: the keys the launcher reads first, then the rest
// in the order given.
Bytes ordered_config_text(std::vector<ConfigPair>& config) {
  std::vector<ConfigPair> ordered;
  for (const char* key : kLauncherKeys)
    if (ConfigPair* pair = find_pair(config, key)) ordered.push_back(*pair);
  for (const auto& pair : config)
    if (std::find(std::begin(kLauncherKeys), std::end(kLauncherKeys), pair.key) == std::end(kLauncherKeys))
      ordered.push_back(pair);
  config = ordered;
  return config_text(config);
}

}  // namespace

Packed pack_application(const Request& request) {
  Packed packed;
  if (request.launcher.empty() || request.boot.empty()) throw Error("no launcher or no boot class given");
  std::error_code ec;
  if (!request.output.empty())
    for (const auto& input : {request.launcher, request.boot})
      if (fs::equivalent(request.output, input, ec))
        throw Error("the output " + request.output.string() + " would replace its own input " + input.string());

  // Sort the inputs into directories and jars.
  std::vector<SourceDir> sources;
  JarGatherer jars(packed.warnings);
  for (const auto& input : request.inputs) {
    auto status = fs::status(input, ec);
    if (ec || !fs::exists(status))
      throw Error("cannot read " + input.string() + ": " + (ec ? ec.message() : "No such file or directory"));
    if (fs::is_directory(status)) {
      sources.push_back({input, ""});
    } else if (fs::is_regular_file(status) && looks_like_zip(input)) {
      jars.add_given(input);
    } else {
      throw Error(input.string() + " is neither a directory nor a jar; give a directory of classes, a jar, or "
                                   "carry a folder with --folder");
    }
  }
  for (const auto& folder : request.folders) {
    std::string name = fs::absolute(folder).lexically_normal().filename().string();
    if (name.empty()) name = fs::absolute(folder).lexically_normal().parent_path().filename().string();
    if (auto problem = name_problem(name); !problem.empty())
      throw Error("cannot carry " + folder.string() + " as a folder: " + problem);
    sources.push_back({folder, name});
  }
  for (const auto& dir : request.jar_dirs)
    for (const auto& jar : jars_in_folder(dir)) jars.add_given(jar);
  if (sources.empty() && jars.jars().empty())
    throw Error("nothing to pack: give the application's jars or directories (see --help)");

  // Every file of the archive, sorted bytewise by name.
  std::vector<SourceFile> files = collect_files(sources);
  for (const auto& jar : jars.jars()) files.push_back({jar.name, jar.path});
  std::stable_sort(files.begin(), files.end(), [](const SourceFile& a, const SourceFile& b) {
    return std::lexicographical_compare(a.name.begin(), a.name.end(), b.name.begin(), b.name.end(),
                                        [](char x, char y) {
                                          return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
                                        });
  });
  for (std::size_t i = 1; i < files.size(); ++i)
    if (files[i].name == files[i - 1].name)
      throw Error("\"" + files[i].name + "\" comes from both " + files[i - 1].path.string() + " and " +
                  files[i].path.string() + "; the archive holds one file of a name");
  check_reserved_names(files);
  if (!request.output.empty() && fs::exists(request.output, ec))
    for (const auto& f : files)
      if (fs::equivalent(request.output, f.path, ec))
        throw Error("the output " + request.output.string() + " is one of the application's own files (" + f.name +
                    "); write it elsewhere");

  // The configuration: what the user set, completed from the main jar.
  std::vector<ConfigPair> config = request.config;
  ConfigPair* main = find_pair(config, "main");
  if (!request.main_class.empty()) {
    if (main && main->value != request.main_class)
      throw Error("--main " + request.main_class + " and main=" + main->value + " disagree; give one of them");
    if (!main) config.push_back({"main", request.main_class});
  } else if (!main && jars.main_manifest()) {
    config.push_back({"main", manifest_value(*jars.main_manifest(), "Main-Class")});
  }
  if (!find_pair(config, "jars") && !jars.jars().empty()) {
    std::vector<std::string> names;
    for (const auto& jar : jars.jars()) names.push_back(jar.name);
    config.push_back({"jars", join(names, ",")});
  }
  std::vector<std::string> words;
  if (!find_pair(config, "vmargs") && jars.main_manifest()) {
    // What the VM's own -jar start takes from the main jar's manifest.
    for (const char* attribute : {"Add-Opens", "Add-Exports"})
      for (const std::string& item : split(manifest_value(*jars.main_manifest(), attribute), ' '))
        words.push_back("--" + lower(attribute) + "=" + item + "=ALL-UNNAMED");
  }
  words.insert(words.end(), request.vm_args.begin(), request.vm_args.end());
  if (!words.empty()) {
    ConfigPair* vmargs = find_pair(config, "vmargs");
    std::string text = vmargs ? vmargs->value : std::string();
    for (const auto& word : words) {
      if (word.find_first_of(std::string("\n\r\0", 3)) != std::string::npos)
        throw Error("the VM option \"" + word + "\" holds a line break or NUL, which the configuration cannot carry");
      if (!text.empty()) text += ' ';
      text += quote_argument(word);
    }
    if (vmargs)
      vmargs->value = text;
    else
      config.push_back({"vmargs", text});
  }

  // Without its own line, target would be read from any "target=" in the
  // text (a help address's query, a VM option): write the default out.
  if (!find_pair(config, "target") && std::any_of(config.begin(), config.end(), [](const ConfigPair& p) {
        return p.value.find("target=") != std::string::npos;
      }))
    config.push_back({"target", "H"});

  if (!request.windows.product.empty()) set_product_key(config, request.windows.product);

  check_values(config, files);
  Bytes text = ordered_config_text(config);
  check_launcher_reading(text, config);

  Bytes boot = read_file(request.boot);
  std::string boot_name = class_file_name(boot);
  if (boot_name != kBootClassName)
    throw Error(request.boot.string() + " is not the boot class: " +
                (boot_name.empty() ? std::string("it is no class file") : "it defines the class " + boot_name) +
                "; give the " + kBootClassFileName + " built beside the packer");

  for (const auto& pair : config)
    if (std::find(kKnownKeys.begin(), kKnownKeys.end(), pair.key) == kKnownKeys.end() &&
        std::find(kStoredKeys.begin(), kStoredKeys.end(), pair.key) == kStoredKeys.end())
      packed.warnings.push_back("the key \"" + pair.key + "\" is read by nobody and only stored; the keys read are " +
                                join(kKnownKeys, ", "));
  if (ConfigPair* m = find_pair(config, "main"))
    check_main_class(m->value, config, files, packed.warnings);
  else
    packed.warnings.push_back("no main key; the executable will not know what to run (give --main CLASS)");

  Bytes launcher = launcher_with_resources(read_file(request.launcher), request.launcher, request.windows);
  Bytes archive = archive_record_data(archive_body(files), request.level);
  packed.executable = build_executable(launcher, boot, text, archive);
  packed.config = config;
  return packed;
}

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

}  // namespace

void write_executable(const fs::path& output, const Bytes& data) { TempOutput(output).commit(data); }

}  // namespace quillpod::pack
