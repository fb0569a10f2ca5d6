#include "jobs/undo_journal.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "jobs/file_rewrite.h"
#include "os/file.h"

#include "support/test_support.h"

namespace pomvelt {
namespace {

namespace fs = std::filesystem;
using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

std::chrono::system_clock::time_point At(int seconds) {
  return std::chrono::system_clock::time_point(std::chrono::seconds(1800000000 + seconds));
}

UndoSession::Options Named(const std::string& command, int seconds = 0, bool links = true) {
  UndoSession::Options o;
  o.command = command;
  o.start = At(seconds);
  o.hardLinks = links;
  return o;
}

// What the in-place frame does: a finished output, the original kept, the rename, the record.
KeptOriginal Replace(UndoSession& session, const std::string& map, const std::string& bytes) {
  const std::string temp = (fs::path(map).parent_path() / "result.tmp").string();
  WriteBytes(temp, bytes);
  const KeepOutcome kept = session.KeepOriginal(map);
  EXPECT_TRUE(kept.kept) << kept.error;
  const FileIdentity result = *IdentityOf(temp);
  fs::rename(temp, map);
  EXPECT_FALSE(session.RecordResult(*kept.kept, result));
  return *kept.kept;
}

std::string UndoRoot(const TempDir& dir) {
  return dir.File(kUndoFolderName);
}

TEST(Undo, RestoresEveryMapOfTheBatchAndRemovesIt) {
  for (const bool links : {true, false}) {
    SCOPED_TRACE(links ? "hard links" : "copies");
    TempDir dir;
    WriteBytes(dir.File("a.mp"), "a old");
    WriteBytes(dir.File("b.mp"), "b old");
    fs::permissions(dir.File("b.mp"), fs::perms::owner_read | fs::perms::owner_write);
    const FileIdentity before = *IdentityOf(dir.File("a.mp"));
    {
      UndoSession session(Named("delete-elements", 0, links));
      Replace(session, dir.File("a.mp"), "a new");
      Replace(session, dir.File("b.mp"), "b new");
      Replace(session, dir.File("a.mp"), "a newer");  // the same map twice in one batch
      EXPECT_EQ(session.FilesKept(), 3);
      EXPECT_EQ(session.FilesCopied(), links ? 0 : 3);
      ASSERT_EQ(session.BatchFolders().size(), 1u);
    }
    const UndoResult undo = RestoreLatestUndoBatch(dir.path().string());
    EXPECT_TRUE(undo.Succeeded());
    EXPECT_EQ(undo.restored.size(), 3u);
    EXPECT_EQ(ReadBytes(dir.File("a.mp")), "a old");
    EXPECT_EQ(ReadBytes(dir.File("b.mp")), "b old");
#ifndef _WIN32  // Windows keeps no permission bits beyond read-only
    EXPECT_EQ(fs::status(dir.File("b.mp")).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
#endif
    // A linked original comes back as the very same file, times and all.
    if (links) {
      EXPECT_EQ(*IdentityOf(dir.File("a.mp")), before);
    }
    EXPECT_TRUE(ListUndoBatches(dir.path().string()).empty());
    EXPECT_EQ(RestoreLatestUndoBatch(dir.path().string()).batch, "");
  }
}

// A map another run holds locked is being changed by it: undo leaves it alone until that run
// is done, and then puts it back.
TEST(Undo, LeavesAMapAnotherRunHoldsUntilThatRunIsDone) {
  TempDir dir;
  WriteBytes(dir.File("a.mp"), "a old");
  WriteBytes(dir.File("b.mp"), "b old");
  {
    UndoSession session(Named("delete-layer"));
    Replace(session, dir.File("a.mp"), "a new");
    Replace(session, dir.File("b.mp"), "b new");
  }
  {
    InputFile other;
    ASSERT_TRUE(other.Open(dir.File("b.mp")));
    if (other.TryLock() != LockState::kLocked) GTEST_SKIP() << "no locks on this file system";
    const UndoResult undo = RestoreLatestUndoBatch(dir.path().string());
    EXPECT_FALSE(undo.Succeeded());
    EXPECT_EQ(undo.busy, std::vector<std::string>{dir.File("b.mp")});
    EXPECT_EQ(ReadBytes(dir.File("b.mp")), "b new");
    EXPECT_EQ(ReadBytes(dir.File("a.mp")), "a old");
    const std::vector<std::string> lines = UndoResultLines(undo);
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        BusyMessage(dir.File("b.mp")) + ", файл оставлен как есть"),
              lines.end());
  }
  const UndoResult later = RestoreLatestUndoBatch(dir.path().string());
  EXPECT_TRUE(later.Succeeded());
  EXPECT_EQ(later.restored, std::vector<std::string>{dir.File("b.mp")});
  EXPECT_EQ(ReadBytes(dir.File("b.mp")), "b old");
}

TEST(Undo, LeavesAMapChangedSinceAndNamesIt) {
  TempDir dir;
  WriteBytes(dir.File("a.mp"), "a old");
  WriteBytes(dir.File("b.mp"), "b old");
  {
    UndoSession session(Named("replace-type"));
    Replace(session, dir.File("a.mp"), "a new");
    Replace(session, dir.File("b.mp"), "b new");
  }
  struct Change {
    const char* what;
    void (*apply)(const std::string& path);
  };
  const Change changes[] = {
      {"rewritten", [](const std::string& p) { WriteBytes(p, "someone else's"); }},
      {"removed", [](const std::string& p) { fs::remove(p); }},
      {"replaced by a file of the same size",
       [](const std::string& p) {
         WriteBytes(p + ".x", "b NEW");
         fs::rename(p + ".x", p);
       }},
  };
  for (const Change& change : changes) {
    SCOPED_TRACE(change.what);
    change.apply(dir.File("b.mp"));
    const bool exists = test::Exists(dir.File("b.mp"));
    const std::string now = exists ? ReadBytes(dir.File("b.mp")) : "";
    const UndoResult undo = RestoreLatestUndoBatch(dir.path().string());
    EXPECT_FALSE(undo.Succeeded());
    EXPECT_EQ(undo.changed, std::vector<std::string>{dir.File("b.mp")});
    EXPECT_EQ(test::Exists(dir.File("b.mp")), exists);
    if (exists) {
      EXPECT_EQ(ReadBytes(dir.File("b.mp")), now);
    }
    EXPECT_EQ(ReadBytes(dir.File("a.mp")), "a old");
    // The batch stays, with the original still in it, and knows a is done.
    const std::vector<UndoBatchInfo> list = ListUndoBatches(dir.path().string());
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].undone, 1);
    EXPECT_EQ(ReadBytes(list[0].folder + "/2-b.mp"), "b old");
  }
}

TEST(Undo, IncompleteEntriesAreLeftAlone) {
  TempDir dir;
  WriteBytes(dir.File("kept.mp"), "kept old");    // killed after keeping, before the rename
  WriteBytes(dir.File("renamed.mp"), "ren old");  // killed after the rename, before the record
  WriteBytes(dir.File("done.mp"), "done old");
  {
    UndoSession session(Named("search-replace"));
    ASSERT_TRUE(session.KeepOriginal(dir.File("kept.mp")).kept);
    ASSERT_TRUE(session.KeepOriginal(dir.File("renamed.mp")).kept);
    WriteBytes(dir.File("renamed.mp.tmp"), "ren new");
    fs::rename(dir.File("renamed.mp.tmp"), dir.File("renamed.mp"));
    Replace(session, dir.File("done.mp"), "done new");
  }
  const std::vector<UndoBatchInfo> list = ListUndoBatches(dir.path().string());
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].files, 3);
  EXPECT_EQ(list[0].incomplete, 2);
  const UndoResult undo = RestoreLatestUndoBatch(dir.path().string());
  EXPECT_EQ(undo.restored, std::vector<std::string>{dir.File("done.mp")});
  EXPECT_EQ(undo.incomplete, std::vector<std::string>{dir.File("renamed.mp")});
  EXPECT_EQ(ReadBytes(dir.File("kept.mp")), "kept old");
  EXPECT_EQ(ReadBytes(dir.File("renamed.mp")), "ren new");
  EXPECT_EQ(ReadBytes(dir.File("done.mp")), "done old");
}

TEST(Undo, AJournalCutShortStaysReadable) {
  TempDir dir;
  WriteBytes(dir.File("a.mp"), "a old");
  WriteBytes(dir.File("b.mp"), "b old");
  std::string batch;
  {
    UndoSession session(Named("delete-layer"));
    batch = Replace(session, dir.File("a.mp"), "a new").batchFolder;
    Replace(session, dir.File("b.mp"), "b new");
  }
  // A kill in the middle of writing a record leaves part of a line.
  const std::string journal = batch + "/" + kUndoJournalName;
  WriteBytes(journal, ReadBytes(journal) + "keep 3 li");
  fs::remove(dir.File("b.mp"));  // refused, so that the batch and its journal stay
  UndoResult undo = RestoreLatestUndoBatch(dir.path().string());
  EXPECT_EQ(undo.restored, std::vector<std::string>{dir.File("a.mp")});
  EXPECT_EQ(undo.changed, std::vector<std::string>{dir.File("b.mp")});
  // The record of a's undo was not swallowed by the cut line: a is not restored twice.
  WriteBytes(dir.File("a.mp"), "edited after the undo");
  undo = RestoreLatestUndoBatch(dir.path().string());
  EXPECT_TRUE(undo.restored.empty());
  EXPECT_EQ(undo.changed, std::vector<std::string>{dir.File("b.mp")});
  EXPECT_EQ(ReadBytes(dir.File("a.mp")), "edited after the undo");
}

TEST(Undo, AFileMovedAsideComesBackUnlessItsNameWasTaken) {
  for (const bool taken : {false, true}) {
    TempDir dir;
    WriteBytes(dir.File("map.mp"), "source");
    {
      UndoSession session(Named("convert"));
      const KeepOutcome moved = session.MoveAside(dir.File("map.mp"));
      ASSERT_TRUE(moved.kept) << moved.error;
    }
    EXPECT_FALSE(test::Exists(dir.File("map.mp")));
    if (taken) WriteBytes(dir.File("map.mp"), "new");
    const UndoResult undo = RestoreLatestUndoBatch(dir.path().string());
    EXPECT_EQ(undo.Succeeded(), !taken);
    EXPECT_EQ(ReadBytes(dir.File("map.mp")), taken ? "new" : "source");
  }
}

TEST(Undo, KeepsTheNewestFiveBatchesOfAFolder) {
  TempDir dir;
  WriteBytes(dir.File("a.mp"), "0");
  for (int i = 1; i <= 7; ++i) {
    UndoSession session(Named("run " + std::to_string(i), i));
    Replace(session, dir.File("a.mp"), std::to_string(i));
  }
  const std::vector<UndoBatchInfo> list = ListUndoBatches(dir.path().string());
  ASSERT_EQ(list.size(), 5u);
  for (std::size_t i = 0; i < list.size(); ++i) {
    EXPECT_EQ(list[i].command, "run " + std::to_string(7 - i));
    EXPECT_EQ(list[i].files, 1);
  }
  // Batch after batch back to the oldest kept.
  for (int i = 7; i >= 3; --i) {
    EXPECT_TRUE(RestoreLatestUndoBatch(dir.path().string()).Succeeded());
    EXPECT_EQ(ReadBytes(dir.File("a.mp")), std::to_string(i - 1));
  }
}

TEST(Undo, BatchesStartedInTheSameSecondGetTheirOwnFolders) {
  TempDir dir;
  WriteBytes(dir.File("a.mp"), "0");
  for (int i = 1; i <= 3; ++i) {
    UndoSession session(Named("same second"));
    Replace(session, dir.File("a.mp"), std::to_string(i));
  }
  EXPECT_EQ(ListUndoBatches(dir.path().string()).size(), 3u);
  for (int i = 3; i >= 1; --i) {
    EXPECT_TRUE(RestoreLatestUndoBatch(dir.path().string()).Succeeded());
    EXPECT_EQ(ReadBytes(dir.File("a.mp")), std::to_string(i - 1));
  }
}

TEST(Undo, SizesHeldListingAndPurge) {
  TempDir dir;
  fs::create_directory(dir.File("sub"));
  WriteBytes(dir.File("a.mp"), std::string(1000, 'a'));
  WriteBytes(dir.File("sub/b.mp"), std::string(300, 'b'));
  {
    UndoSession session(Named("delete-elements --type 0x4b"));
    Replace(session, dir.File("a.mp"), "x");
    Replace(session, dir.File("sub/b.mp"), "y");
    EXPECT_EQ(session.BatchFolders().size(), 2u);  // one batch in each map's folder
  }
  {
    UndoSession session(Named("replace-type", 5));
    Replace(session, dir.File("a.mp"), "z");
  }
  const std::vector<UndoBatchInfo> list = ListUndoBatches(dir.path().string());
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0].command, "replace-type");
  EXPECT_EQ(list[0].bytes, 1u);
  EXPECT_EQ(list[1].command, "delete-elements --type 0x4b");
  EXPECT_EQ(list[1].bytes, 1000u);
  EXPECT_EQ(UndoBytesHeld(dir.path().string()), 1001u);
  EXPECT_EQ(UndoBytesHeld(dir.File("sub")), 300u);
  EXPECT_FALSE(PurgeUndoBatches(dir.path().string()));
  EXPECT_FALSE(test::Exists(UndoRoot(dir)));
  EXPECT_EQ(UndoBytesHeld(dir.path().string()), 0u);
  EXPECT_EQ(UndoBytesHeld(dir.File("sub")), 300u);
  EXPECT_FALSE(PurgeUndoBatches(dir.path().string()));  // nothing to purge is no error
}

TEST(Undo, TheOriginalOfALinkedMapIsKeptBesideTheFileItself) {
  TempDir dir;
  fs::create_directory(dir.File("real"));
  WriteBytes(dir.File("real/map.mp"), "old");
  fs::create_symlink(dir.File("real/map.mp"), dir.File("link.mp"));
  {
    UndoSession session(Named("delete-layer"));
    const KeepOutcome kept = session.KeepOriginal(dir.File("link.mp"));
    ASSERT_TRUE(kept.kept) << kept.error;
    WriteBytes(dir.File("real/new"), "new");
    const FileIdentity result = *IdentityOf(dir.File("real/new"));
    fs::rename(dir.File("real/new"), dir.File("real/map.mp"));
    EXPECT_FALSE(session.RecordResult(*kept.kept, result));
  }
  EXPECT_FALSE(test::Exists(UndoRoot(dir)));
  EXPECT_TRUE(RestoreLatestUndoBatch(dir.File("real")).Succeeded());
  EXPECT_EQ(ReadBytes(dir.File("link.mp")), "old");
  EXPECT_TRUE(fs::is_symlink(dir.File("link.mp")));
}

TEST(Undo, AMapWithTheLongestNameIsKeptToo) {
  TempDir dir;
  const std::string map = dir.File(std::string(252, 'n') + ".mp");
  WriteBytes(map, "old");
  {
    UndoSession session(Named("delete-elements"));
    Replace(session, map, "new");
  }
  EXPECT_TRUE(RestoreLatestUndoBatch(dir.path().string()).Succeeded());
  EXPECT_EQ(ReadBytes(map), "old");
}

TEST(Undo, AnUndoFolderThatIsNoFolderRefusesToKeep) {
  TempDir dir;
  WriteBytes(dir.File("a.mp"), "old");
  WriteBytes(UndoRoot(dir), "a file in the way");
  UndoSession session(Named("delete-elements"));
  const KeepOutcome kept = session.KeepOriginal(dir.File("a.mp"));
  EXPECT_FALSE(kept.kept);
  EXPECT_NE(kept.error.find(dir.File("a.mp")), std::string::npos) << kept.error;
  EXPECT_TRUE(PurgeUndoBatches(dir.path().string()));
  EXPECT_EQ(ReadBytes(UndoRoot(dir)), "a file in the way");
}

TEST(Undo, Environment) {
  const struct {
    std::optional<std::string> value;
    bool enabled;
  } env[] = {{std::nullopt, true}, {"1", true}, {"", true}, {"0", false}};
  for (const auto& c : env) {
    test::ScopedEnv set("POMVELT_UNDO", c.value);
    EXPECT_EQ(UndoEnabledByEnvironment(), c.enabled) << c.value.value_or("(unset)");
  }
}

}  // namespace
}  // namespace pomvelt
