#include "application.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>

#include "cmdline.h"
#include "config.h"
#include "jar.h"
#include "payload.h"
#include "windows_options.h"

namespace fs = std::filesystem;

namespace quillpod::pack {

const std::vector<std::string> kKnownKeys = {"main", "minver", "target", "helpurl", "jars", "vmargs", "console", "product"};
// Keys that executables have always carried for their own bookkeeping: stored, read by nobody, and no mistake.
const std::vector<std::string> kStoredKeys = {"windowed"};

namespace {

// The keys the launcher looks up, in the order they are written first in
// the configuration text (see check_launcher_reading); the help address
// last, since a query in it may well hold "target=" or "main=".
const char* const kLauncherKeys[] = {"main", "target", "jars", "vmargs", "console", "product", "helpurl"};

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

// An archive name as the jars key names it: slashes between levels.
std::string jars_item(std::string name) {
  std::replace(name.begin(), name.end(), '\\', '/');
  return name;
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
        if (ends_with_jar(f.name)) carried.push_back(jars_item(f.name));
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
      if (ends_with_jar(f.name)) carried.push_back(jars_item(f.name));
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

namespace {

// What the user named, read and sorted: the launcher and boot class, the
// directories to walk (folders under their own names) and the jars to carry.
struct Inputs {
  explicit Inputs(std::vector<std::string>& warnings) : jars(warnings) {}
  Bytes launcher;
  Bytes boot;
  std::vector<SourceDir> sources;
  JarGatherer jars;
};

bool has_exe_suffix(const fs::path& path) { return lower(path.extension().string()) == ".exe"; }

// Whether the bytes hold the text somewhere.
bool contains(const Bytes& bytes, const std::string& text) {
  return std::search(bytes.begin(), bytes.end(), text.begin(), text.end()) != bytes.end();
}

// The output must not be one of the packer's own inputs.
void check_output_place(const Request& request) {
  std::error_code ec;
  if (request.output.empty()) return;
  for (const auto& input : {request.launcher, request.boot})
    if (fs::equivalent(request.output, input, ec))
      throw Error("the output " + request.output.string() + " would replace its own input " + input.string());
  if (fs::is_directory(request.output, ec))
    throw Error("the output " + request.output.string() + " is a directory; name the executable to write, e.g. -o " +
                (request.output / "app").string());
}

// The output may replace only an executable this packer made: anything else
// there may be the user's own work.
void check_existing_output(const Request& request) {
  std::error_code ec;
  if (request.output.empty() || request.force || !fs::exists(fs::symlink_status(request.output, ec))) return;
  Record record;
  if (fs::is_regular_file(request.output, ec) && fs::file_size(request.output, ec) > 0) {
    Bytes existing = read_file(request.output);
    if (find_record(existing, kRecordBoot, record) && find_record(existing, kRecordArchive, record)) return;
  }
  throw Error("the output " + request.output.string() +
              " already exists and is not an executable made by quillpod-pack; give --force to replace it, or "
              "write elsewhere with -o");
}

// The launcher must be one: any other program would run instead of the
// application, and its format must fit the output's name.
void check_launcher(const Request& request, const Bytes& launcher, Packed& packed) {
  check_plain_launcher(launcher);
  if (!contains(launcher, kMarkerFileName))
    throw Error(request.launcher.string() +
                " is not a quillpod launcher; give the quillpod or quillpod-stripped built beside the packer, or "
                "leave --launcher out");
  const bool elf = launcher.size() >= 4 && launcher[0] == 0x7F && launcher[1] == 'E' && launcher[2] == 'L' &&
                   launcher[3] == 'F';
  const bool pe = launcher.size() >= 2 && launcher[0] == 'M' && launcher[1] == 'Z';
  if (elf && has_exe_suffix(request.output))
    throw Error("the output " + request.output.string() + " ends in .exe, but the launcher " +
                request.launcher.string() +
                " is a Linux program; add --platform windows (or give the Windows launcher with --launcher), or "
                "an output name without .exe");
  if (pe && !request.output.empty() && !has_exe_suffix(request.output))
    packed.warnings.push_back("the launcher is a Windows program, but the output " + request.output.string() +
                              " does not end in .exe, without which Windows will not start it");
}

// Stage 1: the launcher, the boot class, the output's place and the inputs
// as the user named them, each checked to be what it should be.
void gather_inputs(const Request& request, Inputs& inputs, Packed& packed) {
  if (request.launcher.empty() || request.boot.empty()) throw Error("no launcher or no boot class given");
  check_output_place(request);
  inputs.launcher = read_file(request.launcher);
  check_launcher(request, inputs.launcher, packed);
  inputs.launcher = launcher_with_resources(std::move(inputs.launcher), request.launcher, request.windows);
  inputs.boot = read_file(request.boot);
  std::string boot_name = class_file_name(inputs.boot);
  if (boot_name != kBootClassName)
    throw Error(request.boot.string() + " is not the boot class: " +
                (boot_name.empty() ? std::string("it is no class file") : "it defines the class " + boot_name) +
                "; give the " + kBootClassFileName + " built beside the packer");

  std::error_code ec;
  std::vector<fs::path> given_jars;
  for (const auto& input : request.inputs) {
    auto status = fs::status(input, ec);
    if (ec || !fs::exists(status))
      throw Error("cannot read " + input.string() + ": " + (ec ? ec.message() : "No such file or directory"));
    if (fs::is_directory(status)) {
      inputs.sources.push_back({input, ""});
    } else if (fs::is_regular_file(status) && looks_like_zip(input)) {
      inputs.jars.add_given(input);
      given_jars.push_back(input);
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
    inputs.sources.push_back({folder, name});
  }
  if (request.siblings) {
    if (given_jars.empty()) throw Error("--siblings carries the folders beside a jar, but no jar is given");
    std::vector<fs::path> places;
    for (const auto& jar : given_jars) {
      fs::path place = fs::absolute(jar).parent_path();
      if (std::find(places.begin(), places.end(), place) != places.end()) continue;
      places.push_back(place);
      std::size_t before = inputs.sources.size();
      for (fs::directory_iterator it(place, ec), end; !ec && it != end; it.increment(ec))
        if (it->is_directory(ec) && !it->is_symlink(ec))
          inputs.sources.push_back({it->path(), it->path().filename().string()});
      if (ec) throw Error("cannot read directory " + place.string() + ": " + ec.message());
      if (inputs.sources.size() == before)
        throw Error("--siblings: there is no folder beside " + jar.string() + " to carry");
    }
  }
  for (const auto& dir : request.jar_dirs)
    for (const auto& jar : jars_in_folder(dir)) inputs.jars.add_given(jar);
  if (inputs.sources.empty() && inputs.jars.jars().empty())
    throw Error("nothing to pack: give the application's jars or directories (see --help)");
}

// Stage 2: every file of the archive, sorted bytewise by name, each name once.
std::vector<SourceFile> collect_application_files(const Request& request, const Inputs& inputs,
                                                  std::vector<std::string>& warnings) {
  std::vector<SourceFile> files = collect_files(inputs.sources, &warnings);
  for (const auto& jar : inputs.jars.jars()) files.push_back({jar.name, jar.path});
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
  std::error_code ec;
  if (!request.output.empty() && fs::exists(request.output, ec))
    for (const auto& f : files)
      if (fs::equivalent(request.output, f.path, ec))
        throw Error("the output " + request.output.string() + " is one of the application's own files (" + f.name +
                    "); write it elsewhere");
  check_existing_output(request);
  return files;
}

// The archive's files named by the jars key, in its order.
std::vector<const SourceFile*> class_path_jars(const std::vector<ConfigPair>& config,
                                               const std::vector<SourceFile>& files) {
  std::vector<const SourceFile*> found;
  for (const auto& pair : config) {
    if (pair.key != "jars") continue;
    for (std::string name : split(pair.value, ',')) {
      std::replace(name.begin(), name.end(), '/', '\\');
      for (const auto& f : files)
        if (f.name == name && looks_like_zip(f.path)) found.push_back(&f);
    }
  }
  return found;
}

bool is_versioned_or_module(const std::string& name) {
  return name.rfind("META-INF", 0) == 0 || name == "module-info.class" ||
         (name.size() > 18 && name.compare(name.size() - 18, 18, "/module-info.class") == 0) ||
         (name.size() > 18 && name.compare(name.size() - 18, 18, "\\module-info.class") == 0);
}

// The newest class file the application carries: its major version (0 when
// none) and where it is.
std::pair<int, std::string> newest_class(const std::vector<ConfigPair>& config,
                                         const std::vector<SourceFile>& files) {
  std::pair<int, std::string> newest{0, ""};
  auto consider = [&](int version, const std::string& where) {
    if (version > newest.first) newest = {version, where};
  };
  for (const auto& f : files) {
    if (f.name.size() < 6 || f.name.compare(f.name.size() - 6, 6, ".class") != 0 || is_versioned_or_module(f.name))
      continue;
    unsigned char head[8] = {};
    std::ifstream in(f.path, std::ios::binary);
    in.read(reinterpret_cast<char*>(head), sizeof head);
    consider(class_file_version(head, static_cast<std::size_t>(in.gcount())), f.name);
  }
  // Multi-release jars keep the classes of newer VMs under META-INF/versions,
  // which older VMs never load: they do not raise the minimum.
  for (const SourceFile* jar_file : class_path_jars(config, files)) {
    Jar jar(jar_file->path);
    for (const std::string& name : jar.entry_names()) {
      if (name.size() < 6 || name.compare(name.size() - 6, 6, ".class") != 0 || is_versioned_or_module(name)) continue;
      Bytes head = jar.entry_head(name, 8);
      consider(class_file_version(head.data(), head.size()), name + " in " + jars_item(jar_file->name));
    }
  }
  return newest;
}

// A dotted Java version as one release number: "1.8" is 8, "11.0.2" is 11.
long release_of(const std::string& version) {
  std::vector<std::string> parts = split(version, '.');
  if (parts.empty()) return 0;
  const std::string& part = parts[0] == "1" && parts.size() > 1 ? parts[1] : parts[0];
  return std::strtol(part.c_str(), nullptr, 10);
}

// Stage 3: the configuration, what the maker set completed from the jars'
// manifests, the options given and the class files carried.
std::vector<ConfigPair> complete_config(const Request& request, const Inputs& inputs,
                                        const std::vector<SourceFile>& files, Packed& packed) {
  std::vector<ConfigPair> config = request.config;
  ConfigPair* main = find_pair(config, "main");
  if (!request.main_class.empty()) {
    if (main && main->value != request.main_class)
      throw Error("--main " + request.main_class + " and main=" + main->value + " disagree; give one of them");
    if (!main) config.push_back({"main", request.main_class});
  } else if (!main && inputs.jars.main_manifest()) {
    config.push_back({"main", manifest_value(*inputs.jars.main_manifest(), "Main-Class")});
  }
  if (!find_pair(config, "jars") && !inputs.jars.jars().empty()) {
    std::vector<std::string> names;
    for (const auto& jar : inputs.jars.jars()) names.push_back(jar.name);
    config.push_back({"jars", join(names, ",")});
  }
  // Jars that came inside a directory and are named by the jars key: the
  // first that names a main class gives it, as a given jar's manifest would.
  if (!find_pair(config, "main"))
    for (const SourceFile* jar : class_path_jars(config, files)) {
      std::string main_class = manifest_value(Jar(jar->path).manifest(), "Main-Class");
      if (main_class.empty()) continue;
      config.push_back({"main", main_class});
      break;
    }

  std::vector<std::string> words;
  if (!find_pair(config, "vmargs") && inputs.jars.main_manifest()) {
    // What the VM's own -jar start takes from the main jar's manifest.
    for (const char* attribute : {"Add-Opens", "Add-Exports"})
      for (const std::string& item : split(manifest_value(*inputs.jars.main_manifest(), attribute), ' '))
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

  if (!request.windows.product.empty()) set_product_key(config, request.windows.product);

  if (request.console) {
    if (ConfigPair* console = find_pair(config, "console"))
      console->value = "yes";
    else
      config.push_back({"console", "yes"});
  }

  // A VM older than the newest class would fail to load it (10024); with
  // minver it asks the user for a newer Java instead.
  auto [newest, where] = newest_class(config, files);
  if (newest > 45) {
    const std::string needed = java_version_of_class(newest);
    ConfigPair* minver = find_pair(config, "minver");
    if (!minver || (is_dotted_version(minver->value) && release_of(minver->value) < release_of(needed))) {
      packed.notes.push_back("minver=" + needed + (minver ? " (raised from " + minver->value + ")" : std::string()) +
                             ": the newest class carried, " + where + ", is class-file version " +
                             std::to_string(newest) + ", which needs Java " + std::to_string(release_of(needed)) + " or newer");
      if (minver)
        minver->value = needed;
      else
        config.push_back({"minver", needed});
    }
  }

  // Without its own line, target would be read from any "target=" in the
  // text (a help address's query, a VM option): write the default out.
  if (!find_pair(config, "target") && std::any_of(config.begin(), config.end(), [](const ConfigPair& p) {
        return p.value.find("target=") != std::string::npos;
      }))
    config.push_back({"target", "H"});
  return config;
}

// Every class the archive carries, dotted, with the jars searched for them.
std::vector<std::string> carried_classes(const std::vector<ConfigPair>& config, const std::vector<SourceFile>& files,
                                         std::vector<std::string>& searched_jars) {
  std::vector<std::string> classes;
  auto add = [&](std::string name, char separator) {
    if (name.size() < 7 || name.compare(name.size() - 6, 6, ".class") != 0 || is_versioned_or_module(name)) return;
    name.resize(name.size() - 6);
    std::replace(name.begin(), name.end(), separator, '.');
    classes.push_back(name);
  };
  for (const auto& f : files) add(f.name, '\\');
  for (const SourceFile* jar : class_path_jars(config, files)) {
    searched_jars.push_back(jar->name);
    for (const std::string& name : Jar(jar->path).entry_names()) add(name, '/');
  }
  return classes;
}

// Edits (insert, delete, replace) between two words, ignoring letter case.
std::size_t edit_distance(const std::string& a, const std::string& b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      std::size_t above = row[j];
      bool same = std::tolower(static_cast<unsigned char>(a[i - 1])) == std::tolower(static_cast<unsigned char>(b[j - 1]));
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (same ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

std::string simple_name(const std::string& dotted) {
  auto dot = dotted.rfind('.');
  return dot == std::string::npos ? dotted : dotted.substr(dot + 1);
}

// A main class the archive does not carry would end every start with 10024:
// refused, naming the classes that come close.
void check_main_class(const Request& request, const std::vector<ConfigPair>& config,
                      const std::vector<SourceFile>& files) {
  std::string main;
  for (const auto& pair : config)
    if (pair.key == "main") main = pair.value;
  std::vector<std::string> searched;
  std::vector<std::string> classes = carried_classes(config, files, searched);
  if (std::find(classes.begin(), classes.end(), main) != classes.end()) return;

  // As a file name ("Probe.class", "com/x/App") or in another case.
  std::string as_class = main;
  if (as_class.size() > 6 && lower(as_class.substr(as_class.size() - 6)) == ".class") as_class.resize(as_class.size() - 6);
  std::replace(as_class.begin(), as_class.end(), '/', '.');
  std::replace(as_class.begin(), as_class.end(), '\\', '.');
  std::vector<std::string> close;
  for (const auto& c : classes) {
    const std::string wanted = simple_name(as_class), have = simple_name(c);
    if (lower(c) == lower(as_class) || edit_distance(have, wanted) <= std::max<std::size_t>(1, wanted.size() / 4))
      close.push_back(c);
  }
  std::sort(close.begin(), close.end(), [&](const std::string& a, const std::string& b) {
    return edit_distance(a, as_class) < edit_distance(b, as_class);
  });
  if (close.size() > 5) close.resize(5);
  std::string in_archive = as_class;
  std::replace(in_archive.begin(), in_archive.end(), '.', '\\');
  std::string message = "the main class " + main + " is not in the archive (no " + in_archive + ".class" +
                        (searched.empty() ? std::string() : ", nor in its jars " + join(searched, ", ")) + ")";
  if (!close.empty())
    message += "; did you mean " + join(close, " or ") + "?";
  else if (!classes.empty() && classes.size() <= 8)
    message += "; it carries " + join(classes, ", ");
  if (request.main_elsewhere) return;
  throw Error(message + (message.back() == '?' ? " " : ". ") + "Give the class's full name with --main, or --main-elsewhere if the VM finds it "
                        "outside the archive");
}

bool looks_like_vm_module_option(const std::string& option) {
  return option == "--add-opens" || option == "--add-exports" || option == "--add-reads";
}

// What --add-opens and its kin take, checked by hand: the VM refuses a
// value without its target and says nothing.
void check_module_options(const std::vector<std::string>& words) {
  for (std::size_t i = 0; i < words.size(); ++i) {
    std::string option = words[i], value;
    auto eq = option.find('=');
    if (eq != std::string::npos && looks_like_vm_module_option(option.substr(0, eq))) {
      value = option.substr(eq + 1);
      option.resize(eq);
    } else if (looks_like_vm_module_option(option) && i + 1 < words.size()) {
      value = words[++i];
    } else {
      continue;
    }
    const bool reads = option == "--add-reads";
    auto target = value.find('=');
    auto slash = value.find('/');
    if (target == std::string::npos || target + 1 == value.size() || (!reads && (slash == std::string::npos || slash > target)))
      throw Error("the VM option " + option + "=" + value + " needs " +
                  (reads ? std::string("module=other-module") : std::string("module/package=target-module")) +
                  ", e.g. " + option + "=" + (reads ? "my.module=ALL-UNNAMED" : "java.base/java.lang=ALL-UNNAMED") +
                  " (the VM refuses it without a word)");
  }
}

// Stage 4: the configuration checked, as the launcher and boot stage will
// read it; returns its text for record V.
Bytes check_application(const Request& request, std::vector<ConfigPair>& config, const std::vector<SourceFile>& files,
                        Packed& packed) {
  check_values(config, files);
  Bytes text = ordered_config_text(config);
  check_launcher_reading(text, config);

  for (const auto& pair : config)
    if (std::find(kKnownKeys.begin(), kKnownKeys.end(), pair.key) == kKnownKeys.end() &&
        std::find(kStoredKeys.begin(), kStoredKeys.end(), pair.key) == kStoredKeys.end())
      packed.warnings.push_back("the key \"" + pair.key + "\" is read by nobody and only stored; the keys read are " +
                                join(kKnownKeys, ", "));
  if (!find_pair(config, "main")) {
    std::vector<std::string> jars;
    for (const SourceFile* jar : class_path_jars(config, files)) jars.push_back(jar->name);
    throw Error("no main class: " +
                (jars.empty() ? std::string("nothing names one")
                              : "no manifest of " + join(jars, ", ") + " names a Main-Class") +
                "; give the class whose main(String[]) runs with --main CLASS");
  }
  check_main_class(request, config, files);

  if (ConfigPair* vmargs = find_pair(config, "vmargs")) {
    std::vector<std::string> words = split_command_line(vmargs->value);
    check_module_options(words);
    if (!request.check_vm)
      packed.notes.push_back("the VM options are not checked, as --no-vm-check asks");
    else if (request.java)
      check_vm_options(*request.java, words);
    else
      packed.notes.push_back("the VM options are not checked: no java found (JAVA_HOME, PATH) to try them with");
  }
  return text;
}

// Stage 5: the executable, the launcher followed by its records.
Bytes assemble(const Inputs& inputs, const Bytes& text, const std::vector<SourceFile>& files, int level) {
  Bytes archive = archive_record_data(archive_body(files), level);
  return build_executable(inputs.launcher, inputs.boot, text, archive);
}

}  // namespace

Packed pack_application(const Request& request) {
  Packed packed;
  Inputs inputs(packed.warnings);
  gather_inputs(request, inputs, packed);
  std::vector<SourceFile> files = collect_application_files(request, inputs, packed.warnings);
  std::vector<ConfigPair> config = complete_config(request, inputs, files, packed);
  Bytes text = check_application(request, config, files, packed);
  packed.executable = assemble(inputs, text, files, request.level);
  packed.config = config;
  return packed;
}

std::optional<fs::path> find_java() {
  std::error_code ec;
  auto runnable = [&](const fs::path& p) { return fs::is_regular_file(p, ec) && access(p.c_str(), X_OK) == 0; };
  if (const char* home = std::getenv("JAVA_HOME"); home && *home) {
    fs::path java = fs::path(home) / "bin" / "java";
    if (runnable(java)) return java;
  }
  if (const char* path = std::getenv("PATH"))
    for (const std::string& dir : split(path, ':')) {
      fs::path java = fs::path(dir) / "java";
      if (runnable(java)) return java;
    }
  return std::nullopt;
}

void check_vm_options(const fs::path& java, const std::vector<std::string>& options) {
  std::vector<std::string> args = {java.string()};
  const std::string workspace = fs::temp_directory_path().string();
  for (std::string option : options) {
    // An agent named in the workspace exists only once it is unpacked.
    if (option.find(kAppDirPlaceholder) != std::string::npos &&
        (option.rfind("-javaagent:", 0) == 0 || option.rfind("-agentpath:", 0) == 0 ||
         option.rfind("-Xbootclasspath", 0) == 0))
      continue;
    for (std::size_t at; (at = option.find(kAppDirPlaceholder)) != std::string::npos;)
      option.replace(at, std::strlen(kAppDirPlaceholder), workspace);
    args.push_back(option);
  }
  args.push_back("-version");
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);

  int pipe_fds[2];
  if (pipe(pipe_fds) != 0) throw Error(std::string("cannot check the VM options: ") + std::strerror(errno));
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addclose(&actions, pipe_fds[0]);
  posix_spawn_file_actions_adddup2(&actions, pipe_fds[1], 1);
  posix_spawn_file_actions_adddup2(&actions, pipe_fds[1], 2);
  posix_spawn_file_actions_addclose(&actions, pipe_fds[1]);
  pid_t pid;
  int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(pipe_fds[1]);
  std::string said;
  if (rc == 0) {
    char buffer[4096];
    for (ssize_t n; (n = read(pipe_fds[0], buffer, sizeof buffer)) != 0;) {
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) break;
      said.append(buffer, static_cast<std::size_t>(n));
    }
  }
  close(pipe_fds[0]);
  if (rc != 0) throw Error("cannot run " + java.string() + " to check the VM options: " + std::strerror(rc));
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return;

  // The VM's own words, without its version and its closing boilerplate.
  std::vector<std::string> words;
  for (const std::string& line : split(said, '\n'))
    if (line.rfind("openjdk version", 0) != 0 && line.rfind("OpenJDK ", 0) != 0 &&
        line.rfind("java version", 0) != 0 && line.rfind("Java(TM)", 0) != 0 && line.rfind("Picked up ", 0) != 0 &&
        line.rfind("Error: Could not create the Java Virtual Machine", 0) != 0 &&
        line.rfind("Error: A fatal exception has occurred", 0) != 0)
      words.push_back(line);
  std::string message = "the VM (" + java.string() + ") refuses the VM options " + join(options, " ") + ": " +
                        (words.empty() ? std::string("it gives no reason") : join(words, "; "));
  for (const auto& option : options)
    if (option.find(" -") != std::string::npos) {
      message += ". \"" + option + "\" is one option to the VM; give each option its own --vm-arg";
      break;
    }
  throw Error(message);
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
