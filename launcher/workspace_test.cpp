#include "workspace.h"

#include <gtest/gtest.h>

#include "errors.h"
#include "fake_platform.h"
#include "test_records.h"

namespace quillpod {
namespace {

using testing::FakePlatform;

const std::string kWs = "C:\\temp\\17000000004321";

TEST(BuildClassPath, JarsItems) {
  FakePlatform p;
  struct Case {
    std::optional<std::string> jars;
    std::string expected;
  };
  const Case cases[] = {
      {std::nullopt, "D"},
      {"", "D"},
      {"a.jar", "D;D\\a.jar"},
      {",a.jar,,b.jar,", "D;D\\a.jar;D\\b.jar"},
      {",,,", "D"},
      {"lib\\x.jar,y.zip", "D;D\\lib\\x.jar;D\\y.zip"},
  };
  for (const Case& c : cases) EXPECT_EQ(build_class_path(p, "D", c.jars), c.expected) << c.jars.value_or("(none)");
}

TEST(CreateWorkspace, FormsEveryPath) {
  FakePlatform p;
  Workspace w;
  const std::string text = "main=m\njars=,a.jar,,b.jar,\n";
  const unsigned char boot[] = {0xCA, 0xFE};
  ASSERT_EQ(create_workspace(p, boot, 2, read_launch_config(text), w), 0);
  EXPECT_EQ(w.run_name, "17000000004321");
  EXPECT_EQ(w.directory, kWs);
  EXPECT_TRUE(w.jars);
  EXPECT_EQ(w.class_path, kWs + ";" + kWs + "\\a.jar;" + kWs + "\\b.jar");
  EXPECT_EQ(p.environment["classpath"], w.class_path);
  EXPECT_EQ(w.boot_class_file, kWs + "\\quillpodboot.class");
  EXPECT_EQ(p.files[w.boot_class_file], (std::vector<unsigned char>{0xCA, 0xFE}));
  EXPECT_EQ(w.marker_file, kWs + "\\Jz.Ky.Tx");
  EXPECT_EQ(w.boot_result_file, kWs + "\\quillpodboot.result");
}

TEST(CreateWorkspace, JarsFlagFollowsTheKey) {
  for (const auto& [text, flag] : std::vector<std::pair<std::optional<std::string>, bool>>{
           {std::nullopt, false}, {std::string("main=m\n"), false}, {std::string("jars=\n"), true}}) {
    FakePlatform p;
    Workspace w;
    std::optional<std::string_view> view;
    if (text) view = *text;
    ASSERT_EQ(create_workspace(p, nullptr, 0, read_launch_config(view), w), 0);
    EXPECT_EQ(w.jars, flag);
    EXPECT_EQ(w.class_path, kWs);
  }
}

TEST(CreateWorkspace, TickAboveInt32PrintsNegative) {
  FakePlatform p;
  p.ticks = 2147483648u + 5u;
  Workspace w;
  ASSERT_EQ(create_workspace(p, nullptr, 0, LaunchConfig{}, w), 0);
  EXPECT_EQ(w.run_name, "1700000000-2147483643");
}

TEST(CreateWorkspace, ExistingBootFileOverwritten) {
  FakePlatform p;
  Workspace w;
  p.files[kWs + "\\quillpodboot.class"] = testing::bytes_of("old and longer content");
  // The directory itself is new; only the file name was taken before.
  const unsigned char boot[] = {'n', 'e', 'w'};
  ASSERT_EQ(create_workspace(p, boot, 3, LaunchConfig{}, w), 0);
  EXPECT_EQ(p.files[w.boot_class_file], testing::bytes_of("new"));
}

TEST(CreateWorkspace, Failures) {
  struct Case {
    const char* name;
    std::function<void(FakePlatform&)> setup;
    int code;
    bool path_formed;
  };
  const Case cases[] = {
      {"no temporary path", [](FakePlatform& p) { p.temporary.reset(); }, kErrorNoTemporaryPath, false},
      {"empty temporary path", [](FakePlatform& p) { p.temporary = ""; }, kErrorNoTemporaryPath, false},
      {"every name taken",
       [](FakePlatform& p) {
         for (std::uint32_t i = 0; i <= kNextTickAttempts; ++i)
           p.directories.insert("C:\\temp\\1700000000" + std::to_string(4321 + i));
         p.randoms = {7, 8};
         for (int i = 0; i < kRandomNameAttempts; ++i) p.directories.insert("C:\\temp\\1700000000" + std::to_string(7 + i % 2));
       },
       kErrorCreateWorkspace, true},
      {"lock cannot be taken", [](FakePlatform& p) { p.locked_by_others.insert(kWs); }, kErrorCreateWorkspace, true},
      {"parent missing", [](FakePlatform& p) { p.directories.clear(); }, kErrorCreateWorkspace, true},
      {"environment", [](FakePlatform& p) { p.environment_fails = true; }, kErrorSetClassPath, true},
      {"boot file", [](FakePlatform& p) { p.write_fails = true; }, kErrorWriteBootClass, true},
  };
  for (const Case& c : cases) {
    FakePlatform p;
    c.setup(p);
    Workspace w;
    EXPECT_EQ(create_workspace(p, nullptr, 0, LaunchConfig{}, w), c.code) << c.name;
    EXPECT_EQ(!w.directory.empty(), c.path_formed) << c.name;
  }
}

TEST(RemoveWorkspaceTree, BottomUp) {
  FakePlatform p;
  for (const char* d : {"", "\\com", "\\com\\tallowfen", "\\com\\tallowfen\\hollyblitz", "\\XmasGifs"})
    p.directories.insert(kWs + d);
  for (const char* f : {"\\quillpodboot.class", "\\Jz.Ky.Tx", "\\com\\tallowfen\\hollyblitz\\HollyBlitz.class",
                        "\\XmasGifs\\a.gif"})
    p.files[kWs + f] = {};
  p.files["C:\\temp\\keep.txt"] = {};
  remove_workspace_tree(p, kWs, "17000000004321");
  EXPECT_EQ(p.entries_under("C:\\temp\\"), std::vector<std::string>{"C:\\temp\\keep.txt"});
}

TEST(RemoveWorkspaceTree, WhatCannotGoStaysSilently) {
  FakePlatform p;
  p.directories.insert(kWs);
  p.directories.insert(kWs + "\\sub");
  p.files[kWs + "\\sub\\held.open"] = {};
  p.files[kWs + "\\sub\\other"] = {};
  p.files[kWs + "\\gone"] = {};
  p.undeletable.insert(kWs + "\\sub\\held.open");
  remove_workspace_tree(p, kWs, "17000000004321");
  EXPECT_EQ(p.entries_under(kWs), (std::vector<std::string>{kWs + "\\sub\\held.open", kWs, kWs + "\\sub"}));
}

TEST(RemoveWorkspaceTree, OnlyPathsHoldingTheRunNameAreDeleted) {
  FakePlatform p;
  p.directories.insert("C:\\temp\\x");
  p.files["C:\\temp\\x\\file"] = {};
  remove_workspace_tree(p, "C:\\temp\\x", "17000000004321");
  EXPECT_EQ(p.files.count("C:\\temp\\x\\file"), 1u);
  EXPECT_EQ(p.directories.count("C:\\temp\\x"), 1u);
}

TEST(RemoveWorkspaceTree, MissingDirectoryIsFine) {
  FakePlatform p;
  remove_workspace_tree(p, kWs, "17000000004321");
  EXPECT_EQ(p.directories.count(kWs), 0u);
}

TEST(CreateWorkspace, TakenNamesMoveOnToTheNextTickThenToRandomNames) {
  struct Case {
    const char* name;
    int ticks_taken;  // names from the first tick on that exist already
    std::vector<std::uint32_t> randoms;
    std::string expected;  // the run name, empty for 10008
  };
  const Case cases[] = {
      {"first choice free", 0, {}, "17000000004321"},
      {"same millisecond as another launch", 1, {}, "17000000004322"},
      {"several launches in that millisecond", 5, {}, "17000000004326"},
      {"every next tick taken: a random name", kNextTickAttempts + 1, {2147483653u}, "1700000000-2147483643"},
      {"random names taken too", kNextTickAttempts + 1, {4321, 4322}, ""},
  };
  for (const Case& c : cases) {
    FakePlatform p;
    for (int i = 0; i < c.ticks_taken; ++i) p.directories.insert("C:\\temp\\1700000000" + std::to_string(4321 + i));
    p.randoms = c.randoms;
    Workspace w;
    std::string why;
    int code = create_workspace(p, nullptr, 0, LaunchConfig{}, w, &why);
    if (c.expected.empty()) {
      EXPECT_EQ(code, kErrorCreateWorkspace) << c.name;
      EXPECT_EQ(why.rfind("cannot create the workspace C:\\temp\\1700000000", 0), 0u) << c.name << ": " << why;
      EXPECT_NE(why.find("Access is denied."), std::string::npos) << c.name;
      EXPECT_FALSE(w.created) << c.name;
    } else {
      EXPECT_EQ(code, 0) << c.name;
      EXPECT_EQ(w.run_name, c.expected) << c.name;
      EXPECT_TRUE(w.created) << c.name;
      // Locked for the run's life.
      ASSERT_EQ(p.locks.size(), 1u) << c.name;
      EXPECT_EQ(p.locks.begin()->second, w.directory) << c.name;
    }
  }
}

TEST(CreateWorkspace, ClassPathSeparatorInTheTemporaryPathIsRefused) {
  FakePlatform p;
  p.temporary = "C:\\odd;dir\\";
  Workspace w;
  std::string why;
  EXPECT_EQ(create_workspace(p, nullptr, 0, LaunchConfig{}, w, &why), kErrorNoTemporaryPath);
  EXPECT_NE(why.find("C:\\odd;dir\\"), std::string::npos) << why;
  EXPECT_TRUE(w.directory.empty());
}

TEST(IsRunName, Forms) {
  for (const char* yes : {"17000000004321", "1700000000-2147483643", "12"}) EXPECT_TRUE(is_run_name(yes)) << yes;
  for (const char* no : {"", "1", "-1700000000", "1700000000-", "17-00-1", "1700000000x", "a1700000000", "17 00"})
    EXPECT_FALSE(is_run_name(no)) << no;
}

TEST(RemoveStaleWorkspaces, OnlyEndedRunsWorkspacesGo) {
  FakePlatform p;
  const std::string stale = "C:\\temp\\16000000001", held = "C:\\temp\\16000000002", bare = "C:\\temp\\16000000003",
                    other = "C:\\temp\\mine";
  for (const std::string& d : {stale, stale + "\\com", held, bare, other}) p.directories.insert(d);
  for (const std::string& f : {stale + "\\quillpodboot.class", stale + "\\com\\A.class", held + "\\quillpodboot.class",
                               bare + "\\data", other + "\\quillpodboot.class"})
    p.files[f] = {};
  p.files["C:\\temp\\16000000004"] = {};  // a file of that name, not a directory
  p.locked_by_others.insert(held);
  remove_stale_workspaces(p, "C:\\temp\\");
  EXPECT_EQ(p.entries_under("C:\\temp\\"),
            (std::vector<std::string>{"C:\\temp\\16000000002\\quillpodboot.class", "C:\\temp\\16000000003\\data",
                                      "C:\\temp\\16000000004", "C:\\temp\\mine\\quillpodboot.class", held, bare,
                                      other}));
  EXPECT_TRUE(p.locks.empty());  // released after the removal
}

TEST(RemoveWorkspaceTree, DirectoriesMadeRemovableFirstBootClassLast) {
  struct Recording : FakePlatform {
    std::vector<std::string> order;
    std::optional<DirectoryId> open_directory(std::optional<DirectoryId> parent, const std::string& n,
                                              bool own_only) override {
      if (own_only) order.push_back("removable " + n);
      return FakePlatform::open_directory(parent, n, own_only);
    }
    bool delete_file(DirectoryId parent, const std::string& n) override {
      order.push_back("delete " + n);
      return FakePlatform::delete_file(parent, n);
    }
  } p;
  p.directories.insert(kWs);
  p.directories.insert(kWs + "\\sub");
  for (const char* f : {"\\quillpodboot.class", "\\sub\\a", "\\z"}) p.files[kWs + f] = {};
  EXPECT_TRUE(remove_workspace_tree(p, kWs, "17000000004321"));
  EXPECT_EQ(p.order, (std::vector<std::string>{"removable 17000000004321", "delete z", "removable sub", "delete a",
                                               "delete quillpodboot.class"}));
  EXPECT_TRUE(p.entries_under(kWs).empty());
}

}  // namespace
}  // namespace quillpod
