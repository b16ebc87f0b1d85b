// quillpod-pack: appends a Java application to the quillpod launcher, giving
// one executable that carries everything it runs; or lists what a packed
// executable carries. Only the command line lives here: the work is done by
// the engine (application.h, pack.h).
#include <CLI/CLI.hpp>

#include <unistd.h>

#include <algorithm>
#include <iostream>
#include <string>
#include <vector>

#include "application.h"
#include "pack.h"
#include "runtime.h"
#include "windows_options.h"

namespace fs = std::filesystem;
using namespace quillpod::pack;

namespace {

const char* kDescription =
    "Packs a Java application into one executable: the quillpod launcher followed by the boot class, the "
    "configuration text and a compressed archive of the application's files. The same inputs always give the "
    "same bytes.\n\n"
    "  quillpod-pack -o myapp myapp.jar\n"
    "  quillpod-pack -o editor --jar-dir /usr/share/editor/lib --main org.example.Editor --vm-arg=-Xmx2g\n"
    "  quillpod-pack -o game --main com.example.Game classes/ --folder media/XmasGifs\n"
    "  quillpod-pack -o jedit /usr/share/jedit/jedit.jar --siblings\n"
    "  quillpod-pack -o jython --console /usr/share/java/jython.jar '--vm-arg=-Dpython.home=${app.dir}'\n"
    "  quillpod-pack --platform windows -o myapp.exe --icon app.ico --version 1.2.3.4 --product \"My App\" myapp.jar\n"
    "  quillpod-pack --list myapp\n\n"
    "A jar is carried at the archive's root; its manifest's Main-Class gives main, the jars its Class-Path names "
    "beside it are carried too, all of them are listed in jars, and Add-Opens/Add-Exports become VM options, "
    "unless the configuration sets those keys. Directories are merged at the root. Names are carried as UTF-8, "
    "at most 127 bytes each (the archive's name length is one signed byte).\n\n"
    "Configuration keys (-c key=value):\n"
    "  main     the class whose main(String[]) runs, e.g. com.example.App\n"
    "  minver   lowest Java version accepted, dotted, e.g. 1.8 or 11 (default 1.1)\n"
    "  target   which VM commands are tried, a letter: C java only, D jview and java, G java and jre,\n"
    "           H jview, java and jre (default); A, B, E and F never try java and are refused\n"
    "  helpurl  base address of the help pages offered with failure messages\n"
    "  jars     comma-separated archive names of jars put on the class path\n"
    "  vmargs   options for the VM, quoted as on a command line, before the launcher's own; ${app.dir} in\n"
    "           an option stands for the folder the application is unpacked into, e.g.\n"
    "           --vm-arg='-Dapp.home=${app.dir}' (quote it from the shell)\n"
    "  console  yes: a command-line tool (see --console)\n"
    "  product  the application's name, the caption of the failure box (--product sets it)\n"
    "  Other keys are stored but read by nobody.\n\n"
    "Console or window: by default the executable behaves as a windowed program: a failure to start is shown "
    "in a box that offers help (on standard error when there is no display), and the application's standard "
    "error reaches standard output. Choose --console for a command-line tool, which is run in terminals, "
    "scripts and pipelines: failures are one message on standard error and never a box that waits for an "
    "answer, and the application's standard error stays its own stream. Keep the default for an application with a "
    "window of its own, above all one started from a desktop, where nobody reads standard error.\n\n"
    "The application's home: each start unpacks the whole application into a fresh temporary directory, "
    "removed at the end; an application that looks for files beside its jar finds there what --siblings or "
    "--folder carried, and one that must be told its home gets it with ${app.dir}. A large application is "
    "best carried as a few jars rather than thousands of files. Ship the executable made from the stripped "
    "launcher (the default).\n\n"
    "Mistakes are refused with exit status 2 and nothing written: a main class the archive does not carry, "
    "VM options the java at hand (JAVA_HOME, else PATH) refuses, an output that is not a packed executable. "
    "minver is raised to the Java version the newest class file carried needs.\n";

// The folder of this program, where a build or an installation keeps the
// launcher and the boot class beside it.
fs::path own_folder(const char* argv0) {
  std::error_code ec;
  fs::path self = fs::read_symlink("/proc/self/exe", ec);
  if (ec) self = fs::absolute(argv0, ec);
  return self.parent_path();
}

// A file the packer needs and was not given, from beside the packer.
fs::path beside_packer(const fs::path& folder, const std::vector<fs::path>& names, const char* option) {
  std::string list;
  fs::path found = find_beside_packer(folder, names, list);
  if (!found.empty()) return found;
  throw Error(std::string("no ") + option + " given, and none beside the packer (" + list + "); give " + option +
              " FILE");
}

// Whether a word the packer does not know is one of the VM's options, as
// given to java on its command line.
bool looks_like_vm_option(const std::string& word) {
  for (const char* prefix : {"-X", "-D", "-ea", "-da", "-esa", "-dsa", "-enableassertions", "-disableassertions",
                             "-javaagent:", "-agentlib:", "-agentpath:", "-verbose", "-splash:", "-server", "-client",
                             "--add-opens", "--add-exports", "--add-reads", "--add-modules", "--enable-preview",
                             "--enable-native-access", "--illegal-access", "--module-path", "--patch-module"})
    if (word.rfind(prefix, 0) == 0) return true;
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{kDescription, "quillpod-pack"};
  app.get_formatter()->column_width(32);

  Request request;
  fs::path config_file, listed;
  std::vector<std::string> pairs;
  std::string runtime;
  std::vector<std::string> add_modules;

  app.allow_extras();
  auto* list_opt = app.add_option("--list", listed,
                                  "List the records and archive entries (size, name) of a packed executable, "
                                  "then stop; no other option may be given");
  app.add_option("-o,--output", request.output,
                 "Where to write the executable; written beside it under a temporary name, made "
                 "executable and then renamed, so no half-written file is ever left there");
  app.add_option("--main", request.main_class, "The main class (sets main), e.g. com.example.App");
  app.add_option("--jar-dir", request.jar_dirs,
                 "Carry every jar of the folder and put them all on the class path; repeatable")
      ->allow_extra_args(false);
  app.add_option("--vm-arg", request.vm_args,
                 "One option for the VM, e.g. --vm-arg=-Xmx2g or --vm-arg=-Dapp.home=/opt/app; repeatable, "
                 "added to vmargs")
      ->allow_extra_args(false);
  app.add_option("-c,--config", pairs,
                 "One configuration pair key=value (see the keys above); repeatable; replaces the value of "
                 "the same key from --config-file")
      ->allow_extra_args(false);
  app.add_option("--config-file", config_file,
                 "Configuration pairs, one key=value a line; blank lines and lines starting with '#' are "
                 "skipped, a trailing carriage return is dropped");
  app.add_option("--folder", request.folders,
                 "Carry a directory as a folder of its own name at the archive's root, e.g. "
                 "--folder media/XmasGifs gives XmasGifs\\frame0.gif; repeatable")
      ->allow_extra_args(false);
  app.add_option("--launcher", request.launcher,
                 "The launcher to start from (default: quillpod-stripped, else quillpod, beside the packer or "
                 "in ../lib/quillpod)");
  app.add_option("--boot", request.boot,
                 "The boot class (default: quillpodboot.class beside the packer or in ../lib/quillpod)");
  app.add_option("--level", request.level, "Compression level, 0 (stored) to 9 (smallest)")
      ->check(CLI::Range(0, 9))
      ->capture_default_str();
  app.add_flag("--console", request.console,
               "A command-line tool (sets console=yes): a failure to start is one message on standard error, "
               "never a box, and the application's standard error stays its own stream; without it the "
               "executable behaves as a windowed program (see above)");
  app.add_flag("--siblings", request.siblings,
               "Carry the folders beside each jar given at the archive's root, beside the jar, for an "
               "application that looks for its files next to its jar");
  app.add_flag("--main-elsewhere", request.main_elsewhere,
               "The VM finds the main class outside the archive (e.g. a jar on the user's system named by "
               "vmargs): do not refuse a main class the archive does not carry");
  bool no_vm_check = false;
  app.add_flag("--no-vm-check", no_vm_check,
               "Do not try the VM options on the java at hand (JAVA_HOME, else PATH), e.g. when they are meant "
               "for another Java version than that one");
  app.add_flag("--force", request.force,
               "Replace an existing output even when it is not an executable made by quillpod-pack");
  app.add_option("--runtime", runtime,
                 "Carry a Java runtime, unpacked once into the user's cache and tried before any installed "
                 "Java: a folder (a jlink image, a JDK or a JRE), or the word jlink for one made by the "
                 "installed JDK's jlink with the modules the application needs");
  app.add_option("--add-modules", add_modules,
                 "Modules to add to a --runtime jlink image beyond those jdeps finds, comma-separated; "
                 "repeatable")
      ->allow_extra_args(false);
  // The Windows side: which launcher, and the resources of a Windows executable.
  std::string platform, version;
  fs::path icon;
  app.add_option("--platform", platform,
                 "Which launcher to start from: linux (the default on Linux), windows (32-bit, runs on every "
                 "Windows), windows64; taken from beside the packer, so it needs no --launcher");
  app.add_option("--icon", icon, "The Windows executable's icon, an .ico file");
  app.add_option("--version", version, "The Windows executable's version, e.g. 1.2.3.4");
  app.add_option("--product", request.windows.product,
                 "The product's name: the Windows executable's description, and the caption of the failure box "
                 "(sets product)");
  app.add_option("--company", request.windows.company, "The maker's name in the Windows executable's details");

  app.add_option("inputs", request.inputs,
                 "Jars and directories of the application; directories are merged at the archive's root, and "
                 "a name found twice is an error");

  try {
    app.parse(argc, argv);
  } catch (const CLI::Success& e) {
    return app.exit(e);  // --help
  } catch (const CLI::ParseError& e) {
    app.exit(e);
    return 2;
  }
  if (!app.remaining().empty()) {
    for (const std::string& word : app.remaining())
      if (looks_like_vm_option(word))
        std::cerr << "quillpod-pack: " << word << " is an option for the VM, not for the packer; give it as --vm-arg="
                  << word << "\n";
      else
        std::cerr << "quillpod-pack: unknown option " << word << " (see --help)\n";
    return 2;
  }

  try {
    if (*list_opt) {
      if (!request.output.empty() || !request.inputs.empty() || !request.folders.empty() ||
          !request.jar_dirs.empty() || !request.vm_args.empty() || !request.main_class.empty() ||
          !request.launcher.empty() || !request.boot.empty() || !pairs.empty() || !config_file.empty() ||
          request.console || request.siblings || request.main_elsewhere || request.force ||
          !platform.empty() || !icon.empty() || !version.empty() || !request.windows.product.empty() ||
          !request.windows.company.empty() || !runtime.empty() || !add_modules.empty())
        throw Error("--list takes only the executable to list");
      Bytes exe = read_file(listed);
      bool ok = list_executable(exe.data(), exe.size(), std::cout);
      std::cout.flush();
      if (ok) return 0;
      throw Error(listed.string() + " is not a complete packed executable (see the listing above)");
    }
    if (request.output.empty()) throw Error("no output given: say where the executable goes with -o FILE");
    fs::path here = own_folder(argv[0]);
    if (!platform.empty()) {
      if (!request.launcher.empty()) throw Error("--platform and --launcher both name the launcher; give one of them");
      bool console = request.console ||
                     std::any_of(pairs.begin(), pairs.end(), [](const std::string& p) { return p == "console=yes"; });
      request.launcher = platform_launcher(here, platform, console);
    }
    if (!icon.empty()) {
      request.windows.icon = read_file(icon);
      request.windows.icon_origin = icon.string();
    }
    if (!version.empty()) request.windows.version = parse_file_version(version);
    request.windows.file_name = request.output.filename().string();
    if (request.launcher.empty()) request.launcher = beside_packer(here, {"quillpod-stripped", "quillpod"}, "--launcher");
    if (request.boot.empty()) request.boot = beside_packer(here, {"quillpodboot.class"}, "--boot");

    if (!config_file.empty()) {
      Bytes text = read_file(config_file);
      request.config = parse_config_file(std::string(text.begin(), text.end()), config_file.string());
    }
    std::vector<ConfigPair> given;
    for (const auto& p : pairs) given.push_back(parse_config_pair(p));
    override_config(request.config, given);

    request.check_vm = !no_vm_check;
    if (request.check_vm) request.java = find_java();
    Packed packed = pack_application(request);
    if (!runtime.empty()) add_runtime_record(packed.executable, runtime, add_modules, request, packed.warnings, std::cout);
    else if (!add_modules.empty()) throw Error("--add-modules goes with --runtime jlink");
    for (const auto& warning : packed.warnings) std::cerr << "quillpod-pack: warning: " << warning << "\n";
    for (const auto& note : packed.notes) std::cout << "quillpod-pack: " << note << "\n";
    std::cout.flush();
    try {
      write_executable(request.output, packed.executable);
    } catch (const std::exception& e) {
      // The system's failure, not a mistake in what was asked.
      std::cerr << "quillpod-pack: " << e.what() << "\n";
      return 1;
    }
  } catch (const std::exception& e) {
    std::cerr << "quillpod-pack: " << e.what() << "\n";
    return 2;
  }
  return 0;
}
