// The recovery data: what is written reads back exactly, anything torn or altered is
// refused, a write that fails or is killed at any system call leaves the previous data
// or the new, never a mix, and never touches the box; data not wanted back is kept
// among the box's backups.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "kartei/background_removal.h"
#include "kartei/backups.h"
#include "kartei/box_merge.h"
#include "kartei/card_file.h"
#include "kartei/recovery_backup.h"
#include "kartei/recovery_file.h"
#include "kartei/recovery_log.h"
#include "tests/box/box_test_support.h"
#include "tests/kartei/sys_call_faults.h"

namespace {

void expectSame(const tRecoveryData& want, const tRecoveryData& got) {
  EXPECT_EQ(want.boxPath, got.boxPath);
  EXPECT_EQ(want.savedAt, got.savedAt);
  EXPECT_EQ(want.writtenAt, got.writtenAt);
  EXPECT_EQ(want.counts.answers, got.counts.answers);
  EXPECT_EQ(want.counts.corrections, got.counts.corrections);
  EXPECT_EQ(want.counts.cardsAdded, got.counts.cardsAdded);
  EXPECT_EQ(want.counts.cardsRemoved, got.counts.cardsRemoved);
  EXPECT_EQ(want.counts.otherChanges, got.counts.otherChanges);
  EXPECT_EQ(want.baseId, got.baseId);
  EXPECT_EQ(want.fileVersion.size, got.fileVersion.size);
  EXPECT_EQ(want.fileVersion.mtimeNs, got.fileVersion.mtimeNs);
  EXPECT_EQ(want.fileVersion.hash, got.fileVersion.hash);
  EXPECT_TRUE(sameBox(want.cards, got.cards));
}

tPlacedCards someCards(int perCompartment, const std::string& prefix) {
  tPlacedCards cards;
  for (int n = 1; n <= CardBox::kCompartments; ++n) {
    for (int i = 0; i < perCompartment; ++i) {
      const std::string text = prefix + std::to_string(n) + "-" + std::to_string(i);
      cards.push_back({card(text.c_str(), ("\xe4" + text + "\xdf").c_str(), i, n * i), n});
    }
  }
  return cards;
}

class RecoveryFileTest : public CardBoxTest {
 protected:
  void SetUp() override {
    CardBoxTest::SetUp();
    setenv("XDG_STATE_HOME", state_.path().c_str(), 1);
    setenv("XDG_DATA_HOME", data_.path().c_str(), 1);
  }
  ScratchDir state_;
  ScratchDir data_;
  ScratchDir boxes_;
};

TEST_F(RecoveryFileTest, WhatIsWrittenReadsBackExactly) {
  const std::string longest(63, 'x');
  struct Case {
    const char* name;
    tRecoveryData data;
  } cases[] = {
      {"unnamed and empty", {"", 0, 1796650000, {}, {}, 0, {}}},
      {"several compartments in order",
       {"/home/a/Vokabeln.trm",
        1796640000,
        1796650000,
        {23, 1, 2, 0, true},
        someCards(3, "w"),
        7,
        {1234, 5678, std::string(64, 'a')}}},
      {"longest texts, extreme counters",
       {"/x.trm",
        -1,
        1,
        {0, 0, 0, 5, false},
        {{card("\x84Zitat\x93", "", -1, 0), 1},
         {card(longest.c_str(), longest.c_str(), INT32_MAX, INT32_MIN), 7}},
        UINT64_MAX,
        {}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string file = recoveryFileOf(c.data.boxPath);
    std::string error;
    ASSERT_TRUE(writeRecovery(file, encodeRecovery(c.data), &error)) << error;
    tRecoveryData read;
    ASSERT_EQ(readRecovery(file, &read, &error), tRecoveryRead::kFound) << error;
    expectSame(c.data, read);
    // Written straight from the box, the data is the same, byte for byte.
    fillBox(theCardBox, c.data.cards);
    EXPECT_EQ(encodeBoxRecovery(c.data), encodeRecovery(c.data));
  }
}

TEST_F(RecoveryFileTest, TornOrAlteredDataIsNeverTaken) {
  tRecoveryData data{"/b.trm", 5, 6, {1, 0, 0, 0, false}, someCards(1, "k"), 0, {}};
  const std::string bytes = encodeRecovery(data);
  tRecoveryData read;
  for (size_t size = 0; size < bytes.size(); ++size) {
    EXPECT_FALSE(decodeRecovery(bytes.substr(0, size), &read)) << "cut at " << size;
  }
  EXPECT_FALSE(decodeRecovery(bytes + '\0', &read));
  for (size_t at = 0; at < bytes.size(); ++at) {
    std::string altered = bytes;
    altered[at] = static_cast<char>(altered[at] ^ 0x20);
    EXPECT_FALSE(decodeRecovery(altered, &read)) << "byte " << at;
  }
  const std::string file = recoveryFileOf("/b.trm");
  ASSERT_TRUE(writeRecovery(file, bytes.substr(0, bytes.size() - 1), nullptr));
  std::string error;
  EXPECT_EQ(readRecovery(file, &read, &error), tRecoveryRead::kDamaged);
  EXPECT_NE(error.find(file), std::string::npos) << error;
  EXPECT_EQ(readRecovery(recoveryFileOf("/none.trm"), &read, &error), tRecoveryRead::kNone);
}

TEST_F(RecoveryFileTest, AFaultAtAnyCallLeavesTheOldDataOrTheNewAndTheBoxAlone) {
  const std::string box = boxes_.file("box.trm");
  fill(1, 5, "karte");
  ASSERT_TRUE(saveCardFile(box.c_str()));
  const std::string boxBytes = readBytes(box);
  const tRecoveryData old{box, 1, 2, {1, 0, 0, 0, false}, someCards(2, "alt"), 0, {}};
  const tRecoveryData fresh{box, 1, 3, {40, 2, 3, 0, true}, someCards(300, "neu"), 0, {}};
  const std::string file = recoveryFileOf(box);
  const std::string oldBytes = encodeRecovery(old), newBytes = encodeRecovery(fresh);
  ASSERT_TRUE(writeRecovery(file, oldBytes, nullptr));
  const int calls = runWithFault(0, tFault::kNone, [&] {
    writeRecovery(file, newBytes, nullptr);
    return static_cast<int>(injector.calls);
  });
  ASSERT_GT(calls, 5);
  for (tFault fault : {tFault::kFail, tFault::kEnd, tFault::kShort}) {
    for (long at = 1; at <= calls; ++at) {
      SCOPED_TRACE("fault " + std::to_string(static_cast<int>(fault)) + " at call " +
                   std::to_string(at));
      ASSERT_TRUE(writeRecovery(file, oldBytes, nullptr));
      const int code =
          runWithFault(at, fault, [&] { return writeRecovery(file, newBytes, nullptr) ? 0 : 1; });
      const std::string now = readBytes(file);
      EXPECT_TRUE(now == oldBytes || now == newBytes);
      if (code == 0) {
        EXPECT_EQ(now, newBytes);
      }
      EXPECT_EQ(readBytes(box), boxBytes);
      tRecoveryData read;
      EXPECT_EQ(readRecovery(file, &read, nullptr), tRecoveryRead::kFound);
    }
  }
}

// The data of a saved box leaves its name at once and is freed aside; what a removal
// cut short by a kill left is taken along by the next.
TEST_F(RecoveryFileTest, RemovedDataIsGoneAlsoWhereARemovalWasCutShort) {
  const std::string box = boxes_.file("weg.trm");
  const std::string file = recoveryFileOf(box);
  const tRecoveryData data{box, 1, 2, {1, 0, 0, 0, false}, someCards(2, "x"), 0, {}};
  ASSERT_TRUE(writeRecovery(file, encodeRecovery(data), nullptr));
  writeBytes(file + ".weg", "left by a kill");
  EXPECT_TRUE(removeRecovery(file));
  tRecoveryData read;
  EXPECT_NE(readRecovery(file, &read, nullptr), tRecoveryRead::kFound);
  tBackgroundRemoval::ofProcess().finish();
  EXPECT_FALSE(fileExists(file));
  EXPECT_FALSE(fileExists(file + ".weg"));
  EXPECT_FALSE(fileExists(recoveryLogOf(file)));
}

TEST_F(RecoveryFileTest, OneProcessAtATimeHoldsABoxsFolder) {
  const int first = claimRecoveryDir("/c.trm");
  ASSERT_GE(first, 0);
  EXPECT_LT(claimRecoveryDir("/c.trm"), 0);
  const int other = claimRecoveryDir("");
  EXPECT_GE(other, 0);
  releaseRecoveryDir(first);
  const int again = claimRecoveryDir("/c.trm");
  EXPECT_GE(again, 0);
  releaseRecoveryDir(again);
  releaseRecoveryDir(other);
}

TEST_F(RecoveryFileTest, DataNotWantedBackIsKeptAmongTheBackups) {
  const std::string box = boxes_.file("Latein.trm");
  fill(2, 4, "eigen");
  ASSERT_TRUE(saveCardFile(box.c_str()));
  const tPlacedCards own = cardsOf(theCardBox);
  const tRecoveryData data{box, 1, 1796650000, {3, 0, 1, 0, false}, someCards(2, "weg"), 0, {}};
  std::string kept;
  std::vector<std::string> warnings;
  ASSERT_TRUE(keepRecoveryAsBackup(data, &kept, &warnings));
  EXPECT_TRUE(sameBox(cardsOf(theCardBox), own)) << "the box in memory holds its own cards";
  const std::vector<tBackup> backups = tBackupStore::forUser().list(box);
  ASSERT_EQ(backups.size(), 1u);
  EXPECT_TRUE(backups[0].adopted);
  theCardBox.clearAll();
  loadCardFile(backups[0].cardPath.c_str());
  EXPECT_TRUE(sameBox(cardsOf(theCardBox), data.cards));
  EXPECT_TRUE(warnings.empty());
}

TEST(RecoveryQuestion, NamesWhatChangedSinceTheLastSave) {
  setenv("TZ", "UTC", 1);
  tzset();
  const int64_t saved = 1796744400;  // 08.12.2026 15:40 UTC
  struct Case {
    int64_t savedAt;
    tRecoveryCounts counts;
    const char* text;
  } cases[] = {
      {saved,
       {23, 0, 2, 0, false},
       "Seit dem letzten Sichern am 08.12.2026 um 15:40 gab es 23 Antworten und 2 neue "
       "Karten, die nicht gesichert sind. Wiederherstellen?"},
      {saved,
       {1, 1, 1, 0, true},
       "Seit dem letzten Sichern am 08.12.2026 um 15:40 gab es 1 Antwort, 1 neue Karte, "
       "1 Korrektur und weitere \xc4nderungen, die nicht gesichert sind. Wiederherstellen?"},
      {0,
       {0, 0, 0, 3, false},
       "In der neuen, noch nie gesicherten Kartei gab es 3 gel\xf6schte Karten, die nicht "
       "gesichert sind. Wiederherstellen?"},
      {saved,
       {},
       "Seit dem letzten Sichern am 08.12.2026 um 15:40 gab es \xc4nderungen, die "
       "nicht gesichert sind. Wiederherstellen?"},
  };
  for (const Case& c : cases) {
    tRecoveryData data;
    data.savedAt = c.savedAt;
    data.counts = c.counts;
    EXPECT_EQ(recoveryQuestion(data), c.text);
  }
}

}  // namespace
