// The packer's reading of jars and class files, and packing from jars.
#include <gtest/gtest.h>
#include <zip.h>

#include <fstream>
#include <random>

#include "application.h"
#include "jar.h"

namespace fs = std::filesystem;
using namespace quillpod::pack;

namespace {

// A scoped folder with helpers that write files and jars into it.
class Folder {
 public:
  Folder() {
    path_ = fs::temp_directory_path() / ("quillpod-jar-test-" + std::to_string(std::random_device{}()));
    fs::create_directories(path_);
  }
  ~Folder() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  fs::path put(const std::string& rel, const std::string& content) const {
    fs::path p = path_ / rel;
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << content;
    return p;
  }
  // A jar holding the given entries (name, content).
  fs::path jar(const std::string& rel, const std::vector<std::pair<std::string, std::string>>& entries) const {
    fs::path p = path_ / rel;
    fs::create_directories(p.parent_path());
    int error = 0;
    zip_t* z = zip_open(p.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    EXPECT_NE(z, nullptr);
    for (const auto& [name, content] : entries) {
      zip_source_t* source = zip_source_buffer(z, content.data(), content.size(), 0);
      EXPECT_GE(zip_file_add(z, name.c_str(), source, ZIP_FL_OVERWRITE), 0) << name;
    }
    EXPECT_EQ(zip_close(z), 0);
    return p;
  }
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

// A class file defining `name`, with a two-slot constant before it.
Bytes class_file(const std::string& name) {
  Bytes b = {0xCA, 0xFE, 0xBA, 0xBE, 0, 0, 0, 52, 0, 5};
  b.insert(b.end(), {5, 0, 0, 0, 0, 0, 0, 0, 7});  // #1-2 a long
  b.push_back(1);                                  // #3 the name
  b.push_back(0);
  b.push_back(static_cast<unsigned char>(name.size()));
  b.insert(b.end(), name.begin(), name.end());
  b.insert(b.end(), {7, 0, 3});                   // #4 the class
  b.insert(b.end(), {0, 0x21, 0, 4, 0, 0, 0, 0});  // flags, this, super, ...
  return b;
}

std::string value_of(const std::vector<ConfigPair>& config, const std::string& key) {
  for (const auto& p : config)
    if (p.key == key) return p.value;
  return "(absent)";
}

}  // namespace

TEST(Manifest, MainSectionAttributes) {
  Manifest m = parse_manifest(
      "Manifest-Version: 1.0\r\nmain-class: org.example.Ma\r\n in\r\nClass-Path: a.jar \r\n b.jar\r\n"
      "Add-Opens: java.base/java.lang\n\nName: other/section\nMain-Class: not.This\n");
  EXPECT_EQ(manifest_value(m, "Main-Class"), "org.example.Main");
  EXPECT_EQ(manifest_value(m, "CLASS-PATH"), "a.jar b.jar");
  EXPECT_EQ(manifest_value(m, "Add-Opens"), "java.base/java.lang");
  EXPECT_EQ(manifest_value(m, "Name"), "");
  EXPECT_EQ(manifest_value(parse_manifest("Main-Class: A\rClass-Path: x.jar"), "Class-Path"), "x.jar");
  EXPECT_TRUE(parse_manifest("").empty());
}

TEST(Manifest, ClassPathItems) {
  EXPECT_EQ(class_path_items("  a.jar lib/b%20c.jar  ../d.jar %zz.jar 100%"),
            (std::vector<std::string>{"a.jar", "lib/b c.jar", "../d.jar", "%zz.jar", "100%"}));
  EXPECT_TRUE(class_path_items("").empty());
}

TEST(ClassFile, NameOfTheDefinedClass) {
  EXPECT_EQ(class_file_name(class_file("quillpodboot")), "quillpodboot");
  EXPECT_EQ(class_file_name(class_file("com/x/Other")), "com/x/Other");
  Bytes good = class_file("quillpodboot");
  for (std::size_t n = 0; n < good.size(); ++n)
    EXPECT_EQ(class_file_name(Bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(n))), "") << n;
  Bytes bad_tag = good;
  bad_tag[10] = 2;  // no such constant
  EXPECT_EQ(class_file_name(bad_tag), "");
  EXPECT_EQ(class_file_name(Bytes{'P', 'K', 3, 4, 0, 0, 0, 0, 0, 0, 0, 0}), "");
}

TEST(PackApplication, JarsWithManifestsClassPathAndOpens) {
  Folder f;
  f.jar("lib/dep.jar", {{"META-INF/MANIFEST.MF", "Manifest-Version: 1.0\r\nClass-Path: ../app.jar more.jar\r\n"},
                        {"d/Dep.class", "x"}});
  f.jar("lib/more.jar", {{"m/More.class", "x"}});
  fs::path app = f.jar("app.jar", {{"META-INF/MANIFEST.MF",
                                    "Manifest-Version: 1.0\nMain-Class: a.Main\nClass-Path: lib/dep.jar "
                                    "lib/gone.jar http://example.org/x.jar\nAdd-Opens: java.base/java.lang "
                                    "java.desktop/sun.awt\nAdd-Exports: java.base/sun.nio.ch\n"},
                                   {"a/Main.class", "x"}});
  fs::create_directories(f.path() / "classes");
  f.put("classes/extra.txt", "e");
  Request r;
  r.launcher = f.put("launcher", std::string(50, '\0') + "Jz.Ky.Tx" + std::string(42, '\0'));
  const Bytes boot = class_file("quillpodboot");
  r.boot = f.put("boot.class", std::string(boot.begin(), boot.end()));
  r.inputs = {app, f.path() / "classes"};
  r.vm_args = {"-Dapp.home=/opt/my app"};
  Packed p = pack_application(r);

  EXPECT_EQ(value_of(p.config, "main"), "a.Main");
  // The main jar first, then what its Class-Path reaches, each once.
  EXPECT_EQ(value_of(p.config, "jars"), "app.jar,dep.jar,more.jar");
  EXPECT_EQ(value_of(p.config, "vmargs"),
            "--add-opens=java.base/java.lang=ALL-UNNAMED --add-opens=java.desktop/sun.awt=ALL-UNNAMED "
            "--add-exports=java.base/sun.nio.ch=ALL-UNNAMED \"-Dapp.home=/opt/my app\"");
  ASSERT_EQ(p.warnings.size(), 2u);
  EXPECT_NE(p.warnings[0].find("lib/gone.jar, which is not there"), std::string::npos) << p.warnings[0];
  EXPECT_NE(p.warnings[1].find("an address"), std::string::npos) << p.warnings[1];

  std::ostringstream listing;
  EXPECT_TRUE(list_executable(p.executable.data(), p.executable.size(), listing));
  for (const char* name : {"  app.jar\n", "  dep.jar\n", "  more.jar\n", "  extra.txt\n", " 4 entries\n"})
    EXPECT_NE(listing.str().find(name), std::string::npos) << name << "\n" << listing.str();

  // The command line's keys win over the manifest's.
  r.config = {{"main", "b.Other"}, {"jars", "app.jar"}, {"vmargs", "-Xmx1g"}};
  r.vm_args.clear();
  try {
    pack_application(r);
    ADD_FAILURE() << "a main class the archive does not carry was accepted";
  } catch (const Error& e) {
    EXPECT_NE(std::string(e.what()).find("b.Other is not in the archive (no b\\Other.class, nor in its jars app.jar); "
                                         "it carries a.Main. Give"),
              std::string::npos)
        << e.what();
  }
  // Unless the maker says the VM finds it elsewhere.
  r.main_elsewhere = true;
  p = pack_application(r);
  EXPECT_EQ(value_of(p.config, "main"), "b.Other");
  EXPECT_EQ(value_of(p.config, "jars"), "app.jar");
  EXPECT_EQ(value_of(p.config, "vmargs"), "-Xmx1g");
  EXPECT_EQ(p.notes, std::vector<std::string>{"the VM options are not checked: no java found (JAVA_HOME, PATH) to try them with"});
}
