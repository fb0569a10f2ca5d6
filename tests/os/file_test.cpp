#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <vector>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

#include "os/file.h"
#include "os/path.h"
#include "support/test_support.h"

namespace pomvelt {
namespace {

using test::TempDir;

TEST(TemporaryName, FitsAnyNameAndIsKnownAgain) {
  const std::string cyrillic = "карта";  // two bytes a letter
  struct Case {
    std::string name;
    std::size_t nameMax;
    std::string expected;  // with random 0: "aaaaaaaa"
  } cases[] = {
      {"town.mp", 255, ".town.mp~aaaaaaaa.tmp"},
      {std::string(241, 'n'), 255, "." + std::string(241, 'n') + "~aaaaaaaa.tmp"},
      {std::string(255, 'n'), 255, "." + std::string(241, 'n') + "~aaaaaaaa.tmp"},
      // A cut never ends inside a character: 19 bytes of room take nine letters, not 9.5.
      {cyrillic + cyrillic, 33, "." + cyrillic + cyrillic.substr(0, 8) + "~aaaaaaaa.tmp"},
      {"x", 10, ".~aaaaaaaa.tmp"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name.substr(0, 20) + " in " + std::to_string(c.nameMax));
    const std::string name = TemporaryName(c.name, c.nameMax, 0);
    EXPECT_EQ(name, c.expected);
    EXPECT_LE(name.size(), std::max<std::size_t>(c.nameMax, 14));
    EXPECT_TRUE(IsTemporaryNameOf(name, c.name, c.nameMax));
    EXPECT_TRUE(
        IsTemporaryNameOf(TemporaryName(c.name, c.nameMax, 0xFFFFFFFFFFFFull), c.name, c.nameMax));
  }
  // Names a user may have that are not temporaries of town.mp.
  for (const std::string other :
       {".town.mp~aaaaaaaa.tmp.bak", "town.mp~aaaaaaaa.tmp", ".town.mp~aaaaaaa.tmp",
        ".town.mp~AAAAAAAA.tmp", ".town.mp-aaaaaaaa.tmp", ".towns.mp~aaaaaaaa.tmp",
        ".town.mp~aaaa-aaa.tmp", "town_replaced.mp"}) {
    EXPECT_FALSE(IsTemporaryNameOf(other, "town.mp", 255)) << other;
  }
}

TEST(OutputFile, TemporariesAreNewHiddenFilesThatLeftoverRemovalSpares) {
  TempDir dir;
  const std::string folder = dir.path().string();
  OutputFile held;
  ASSERT_TRUE(held.CreateTemporary(folder, "m.mp"));
  EXPECT_EQ(std::filesystem::path(held.path()).parent_path(), dir.path());
  EXPECT_TRUE(IsTemporaryNameOf(std::filesystem::path(held.path()).filename().string(), "m.mp",
                                MaxNameLength(folder)));
  OutputFile second;
  ASSERT_TRUE(second.CreateTemporary(folder, "m.mp"));
  EXPECT_NE(second.path(), held.path());

  // A leftover of a killed run: a temporary nobody holds. A user's own file beside it, and a
  // temporary of another map, stay.
  const std::string leftover = dir.File(TemporaryName("m.mp", MaxNameLength(folder), 42));
  test::WriteBytes(leftover, "partial");
  test::WriteBytes(dir.File("m.mp~notes.tmp"), "mine");
  const std::string otherMap = dir.File(TemporaryName("n.mp", MaxNameLength(folder), 42));
  test::WriteBytes(otherMap, "partial");
  second.Release();  // the temporary of a run that ended without removing it

  RemoveLeftoverTemporaries(folder, "m.mp");
  EXPECT_FALSE(test::Exists(leftover));
  EXPECT_FALSE(test::Exists(second.path()));
  EXPECT_TRUE(test::Exists(held.path()));
  EXPECT_TRUE(test::Exists(dir.File("m.mp~notes.tmp")));
  EXPECT_TRUE(test::Exists(otherMap));

  // Closed but not released: still this run's until it is renamed.
  ASSERT_TRUE(held.Write("x", 1) && held.Close());
  RemoveLeftoverTemporaries(folder, "m.mp");
  EXPECT_TRUE(test::Exists(held.path()));
}

TEST(InputFile, TheLockIsExclusiveUntilClosed) {
  TempDir dir;
  const std::string map = dir.File("m.mp");
  test::WriteBytes(map, "x\r\n");
  InputFile first, second;
  ASSERT_TRUE(first.Open(map));
  ASSERT_TRUE(second.Open(map));
  EXPECT_EQ(first.TryLock(), LockState::kLocked);
  EXPECT_EQ(second.TryLock(), LockState::kBusy);
  first.Close();
  EXPECT_EQ(second.TryLock(), LockState::kLocked);
}

TEST(InputFile, ReadsTheHeadWithoutMovingAndReadsAWrittenTemporaryBack) {
  TempDir dir;
  OutputFile out;
  ASSERT_TRUE(out.CreateTemporary(dir.path().string(), "m.mp"));
  ASSERT_TRUE(out.Write("abcdef", 6));
  InputFile in;
  ASSERT_TRUE(in.OpenWritten(out));
  char head[4] = {};
  EXPECT_EQ(in.ReadHead(head, 4), 4);
  EXPECT_EQ(std::string(head, 4), "abcd");
  char all[16] = {};
  EXPECT_EQ(in.Read(all, sizeof all), 6);
  EXPECT_EQ(std::string(all, 6), "abcdef");
  ASSERT_TRUE(in.Rewind());
  EXPECT_EQ(in.Read(all, 2), 2);
  EXPECT_EQ(std::string(all, 2), "ab");
}

// A finished temporary takes its map's name, or a new copy's, while its lock is still held, and
// what it becomes is an ordinary file (on Windows no longer hidden).
TEST(OutputFile, AFinishedTemporaryTakesItsNameWhileStillLocked) {
  for (const bool targetExists : {true, false}) {
    TempDir dir;
    const std::string target = dir.File("m.mp");
    if (targetExists) test::WriteBytes(target, "old");
    OutputFile out;
    ASSERT_TRUE(out.CreateTemporary(dir.path().string(), "m.mp"));
    ASSERT_TRUE(out.Write("new", 3) && out.Sync() && out.Close());
    RemoveLeftoverTemporaries(dir.path().string(), "m.mp");
    ASSERT_TRUE(RenameOver(out.path(), target)) << targetExists;
    out.Release();
    EXPECT_EQ(test::ReadBytes(target), "new") << targetExists;
    EXPECT_FALSE(test::Exists(out.path())) << targetExists;
#ifdef _WIN32
    EXPECT_EQ(::GetFileAttributesW(PathOf(target).c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u)
        << targetExists;
#endif
  }
}

// Makes a folder look unchanged for two minutes (the C runtime's call for it takes no folder on
// Windows).
void AgeFolder(const std::string& path) {
#ifdef _WIN32
  const HANDLE h = ::CreateFileW(PathOf(path).c_str(), FILE_WRITE_ATTRIBUTES,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  FILETIME now{};
  ::GetSystemTimeAsFileTime(&now);
  ULARGE_INTEGER t{};
  t.LowPart = now.dwLowDateTime;
  t.HighPart = now.dwHighDateTime;
  t.QuadPart -= 120ull * 10000000ull;
  const FILETIME then{t.LowPart, t.HighPart};
  EXPECT_TRUE(::SetFileTime(h, nullptr, nullptr, &then));
  ::CloseHandle(h);
#else
  std::filesystem::last_write_time(
      path, std::filesystem::file_time_type::clock::now() - std::chrono::minutes(2));
#endif
}

// Folders as runs killed while using them leave them, beside folders live runs hold and names
// that are not folders at all. A folder outside holds a file and an unlocked mark: it must
// survive whatever a link to it is found where.
TEST(RemoveLeftoverFolder, RemovesOnlyWhatNoLiveRunHoldsAndNeverFollowsALink) {
  namespace fs = std::filesystem;
  enum class Under { kFolder, kLinkToFolder, kFile };
  struct Case {
    const char* what;
    Under under;
    int released;     // marks of runs that ended without removing the folder
    int held;         // marks live runs hold
    bool old;         // unchanged for two minutes
    bool linkInside;  // the folder holds a link to the folder outside
    bool removed;
  };
  const std::vector<Case> cases = {
      {"a mark nobody holds", Under::kFolder, 1, 0, false, false, true},
      {"two marks nobody holds", Under::kFolder, 2, 0, false, false, true},
      {"a mark a live run holds", Under::kFolder, 0, 1, true, false, false},
      {"one mark held, one not", Under::kFolder, 1, 1, true, false, false},
      {"no mark, changed just now", Under::kFolder, 0, 0, false, false, false},
      {"no mark, unchanged for long", Under::kFolder, 0, 0, true, false, true},
      {"a file under the name", Under::kFile, 0, 0, true, false, false},
#ifndef _WIN32
      {"a link to a folder under the name", Under::kLinkToFolder, 0, 0, true, false, false},
      {"a leftover holding a link", Under::kFolder, 1, 0, false, true, true},
#endif
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    const std::string outside = dir.File("outside");
    fs::create_directory(outside);
    test::WriteBytes(outside + "/keep.mp", "mine");
    OutputFile outsideMark;
    ASSERT_TRUE(outsideMark.CreateTemporary(outside, "run"));
    outsideMark.Release();

    const std::string path = dir.File(".run-folder");
    std::vector<std::unique_ptr<OutputFile>> marks;
    if (c.under == Under::kFile) test::WriteBytes(path, "x");
    if (c.under == Under::kLinkToFolder) fs::create_directory_symlink(outside, path);
    if (c.under == Under::kFolder) {
      fs::create_directory(path);
      fs::create_directory(path + "/sub");
      test::WriteBytes(path + "/sub/partial.img", "partial");
      if (c.linkInside) fs::create_directory_symlink(outside, path + "/link");
      for (int i = 0; i < c.released + c.held; ++i) {
        marks.push_back(std::make_unique<OutputFile>());
        ASSERT_TRUE(marks.back()->CreateTemporary(path, "run"));
        if (i < c.released) marks.back()->Release();
      }
      if (c.old) AgeFolder(path);
    }

    EXPECT_EQ(RemoveLeftoverFolder(path, "run", std::chrono::seconds(60)), c.removed);
    std::error_code ec;
    EXPECT_EQ(fs::exists(fs::symlink_status(path, ec)), !c.removed);
    if (!c.removed && c.under == Under::kFolder) {
      EXPECT_TRUE(test::Exists(path + "/sub/partial.img"));
    }
    EXPECT_EQ(test::ReadBytes(outside + "/keep.mp"), "mine");
    EXPECT_TRUE(test::Exists(outsideMark.path()));
  }
}

}  // namespace
}  // namespace pomvelt
