// Merging conflict copies into a box on disk, with layouts the program itself wrote:
// a box and copies diverged from one version, named as each sync tool names them,
// the version both started from among the box's backups. Also the copies found beside
// a box, termel-tool merge and check, and every failing call of the merge's save.
#include "kartei/box_merge_files.h"

#include <dirent.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "kartei/backups.h"
#include "kartei/box_file_name.h"
#include "kartei/conflict_copies.h"
#include "storage/dbf.h"
#include "tests/box/box_test_support.h"
#include "tests/kartei/file_times.h"
#include "tests/kartei/sys_call_faults.h"
#include "tests/kartei/two_computers.h"

namespace {

using Strings = std::vector<std::string>;

const char* const kSyncthingCopy = tTwoComputers::kCopyName;
const char kNextcloudCopy[] = "Vokabeln (conflicted copy 2026-12-05 181512).trm";
const char kDropboxCopy[] = "Vokabeln (Jana Muster's conflicted copy 2026-12-05).trm";

std::string key(const tTermel& card) {
  return std::string(card.front) + ";" + card.back;
}

const tPlacedCard* findCard(const tPlacedCards& cards, const std::string& wanted) {
  for (const tPlacedCard& c : cards) {
    if (key(c.card) == wanted) return &c;
  }
  return nullptr;
}

class MergeFilesTest : public CardBoxTest {
 protected:
  // The layout a sync tool leaves: the box saved at T0 and handed to the laptop, saved
  // over on this computer at T1 and on the laptop at T2, the laptop's version left as
  // the conflict copy copyName.
  void diverge(const tPlacedCards& ancestor, const tPlacedCards& ours, const tPlacedCards& theirs,
               const std::string& copyName) {
    computers_.saveHere(ancestor);
    dateBox(box_, kT0);
    computers_.handOver();
    computers_.saveHere(ours);
    dateBox(box_, kT1);
    computers_.saveThere(theirs);
    dateBox(computers_.there(), kT2);
    computers_.leaveConflict();
    if (copyName == tTwoComputers::kCopyName) return;
    ASSERT_EQ(std::rename(computers_.copy().c_str(), dir_.file(copyName).c_str()), 0);
    ASSERT_EQ(std::rename(boxFileName(computers_.copy()).c_str(),
                          boxFileName(dir_.file(copyName)).c_str()),
              0);
  }

  static void dateBox(const std::string& path, std::time_t when) {
    setModified(path, when);
    setModified(boxFileName(path), when);
  }

  static tPlacedCards read(const std::string& path) {
    tPlacedCards cards;
    tFileReport report;
    EXPECT_TRUE(readCardList(path, &cards, &report)) << path;
    return cards;
  }

  static constexpr std::time_t kT0 = 1796000000, kT1 = kT0 + 3600, kT2 = kT0 + 7200;
  tTwoComputers computers_;
  const ScratchDir& dir_ = computers_.home();
  std::string backups_ = computers_.backups(), box_ = computers_.here();
};

// Drills a box as the learner does: the card asked next, known or not known by pattern.
void drill(int answers, bool (*known)(int)) {
  for (int i = 0; i < answers; ++i) {
    ASSERT_NE(theCardBox.chooseNext(), nullptr);
    known(i) ? theCardBox.answerKnown() : theCardBox.answerUnknown();
  }
}

TEST_F(MergeFilesTest, SampleBoxDrilledOnTwoComputersMergesWithBothSidesProgress) {
  loadCardFile(TERMEL_SAMPLE_BOX);
  const tPlacedCards sample = cardsOf(theCardBox);
  ASSERT_GT(sample.size(), 300u);
  // The laptop: compartment 1 shuffled, 30 answers, every other one known, a card added.
  fillBox(theCardBox, sample);
  theCardBox.shuffle(1);
  drill(30, [](int i) { return i % 2 == 0; });
  theCardBox.addCard(makeCard("die Quitte", "the quince"));
  const tPlacedCards theirs = cardsOf(theCardBox);
  // This computer: 30 answers, every third one not known, and a card deleted that the
  // laptop left as it was (the last one neither computer asked).
  fillBox(theCardBox, sample);
  drill(30, [](int i) { return i % 3 != 0; });
  const tPlacedCards drilled = cardsOf(theCardBox);
  const auto untouched = std::find_if(theirs.rbegin(), theirs.rend(), [&](const tPlacedCard& c) {
    const tPlacedCard* mine = findCard(drilled, key(c.card));
    return c.compartment == 1 && c.card.timesKnown + c.card.timesUnknown == 0 && mine != nullptr &&
           mine->compartment == 1 && mine->card.timesKnown + mine->card.timesUnknown == 0;
  });
  ASSERT_NE(untouched, theirs.rend());
  const std::string deleted = key(untouched->card);
  ASSERT_TRUE(theCardBox.removeCard(theCardBox.findBoth(untouched->card), 1));
  const tPlacedCards ours = cardsOf(theCardBox);
  diverge(sample, ours, theirs, kSyncthingCopy);
  const std::string copy = dir_.file(kSyncthingCopy);
  const std::string copyBytes = readBytes(copy);

  EXPECT_EQ(findConflictCopies(box_), Strings{copy});
  tMergeSummary summary;
  tFileReport report;
  ASSERT_TRUE(mergeFilesIntoBox(box_, {copy}, &summary, &report));
  EXPECT_TRUE(report.errors.empty());
  EXPECT_TRUE(report.warnings.empty());
  EXPECT_EQ(summary.taken, 1);
  EXPECT_EQ(summary.deleted, 1);
  EXPECT_TRUE(summary.conflicts.empty());
  EXPECT_GT(summary.progress, 0);

  const tPlacedCards merged = read(box_);
  EXPECT_EQ(merged.size(), sample.size());  // one deleted, one added
  std::set<std::string> seen;
  long long answers = 0, oursAnswers = 0, theirsAnswers = 0;
  for (const tPlacedCard& c : merged) {
    EXPECT_TRUE(seen.insert(key(c.card)).second) << "twice: " << key(c.card);
    answers += c.card.timesKnown + c.card.timesUnknown;
    const tPlacedCard* mine = findCard(ours, key(c.card));
    const tPlacedCard* other = findCard(theirs, key(c.card));
    if (mine == nullptr || other == nullptr) continue;
    EXPECT_EQ(c.card.timesKnown, std::max(mine->card.timesKnown, other->card.timesKnown));
    EXPECT_EQ(c.card.timesUnknown, std::max(mine->card.timesUnknown, other->card.timesUnknown));
    EXPECT_TRUE(c.compartment == mine->compartment || c.compartment == other->compartment);
  }
  for (const tPlacedCard& c : ours) oursAnswers += c.card.timesKnown + c.card.timesUnknown;
  for (const tPlacedCard& c : theirs) theirsAnswers += c.card.timesKnown + c.card.timesUnknown;
  EXPECT_EQ(oursAnswers, 30);
  EXPECT_EQ(theirsAnswers, 30);
  EXPECT_GT(answers, 30) << "the progress of both computers";
  EXPECT_EQ(seen.count(deleted), 0u);
  EXPECT_EQ(seen.count("die Quitte;the quince"), 1u);

  // The copy is gone from the box's folder, and kept byte for byte in the backups.
  // The laptop's record of versions is taken into the box's own.
  EXPECT_EQ(dir_.entries(), (std::set<std::string>{"Vokabeln.trm", "Vokabeln.kas",
                                                   ".Vokabeln.trm.versions", "data"}));
  std::string kept;
  for (const tBackup& backup : tBackupStore::forUser().list(box_)) {
    if (backup.adopted) kept = backup.cardPath;
  }
  EXPECT_EQ(readBytes(kept), copyBytes);
  EXPECT_TRUE(findConflictCopies(box_).empty());
}

TEST_F(MergeFilesTest, EachSyncToolsCopyIsFoundAndOthersAreNot) {
  for (const char* name :
       {kSyncthingCopy, kNextcloudCopy, kDropboxCopy, "Vokabeln (conflicted copy).trm",
        // not conflict copies of this box:
        "Vokabeln.trm", "Vokabeln.kas", "Vokabeln 2.trm",
        "Vokabeln.sync-conflict-20261205-181512-LAPTOP7.kas",
        "Vokabeln.sync-conflict-2026-181512-LAPTOP7.trm",
        "Vokabeln.sync-conflict-20261205-181512-.trm", "Vokabeln-20261205-181512.trm",
        "Vokabeln (Kopie).trm", "Verben (conflicted copy 2026-12-05 181512).trm",
        "Vokabeln (conflicted copy 2026-12-05 181512).trm.tmp"}) {
    writeBytes(dir_.file(name), "");
  }
  EXPECT_EQ(findConflictCopies(box_),
            (Strings{dir_.file("Vokabeln (Jana Muster's conflicted copy 2026-12-05).trm"),
                     dir_.file("Vokabeln (conflicted copy 2026-12-05 181512).trm"),
                     dir_.file("Vokabeln (conflicted copy).trm"), dir_.file(kSyncthingCopy)}));
  EXPECT_TRUE(findConflictCopies(dir_.file("Verben/Vokabeln.trm")).empty()) << "no such folder";
}

TEST_F(MergeFilesTest, TheAncestorIsTheLastVersionBothWereMadeFromWhateverTheClocksSay) {
  const tPlacedCards first = {{makeCard("a", "1"), 1}};
  const tPlacedCards second = {{makeCard("a", "1"), 1}, {makeCard("b", "2"), 1}};
  computers_.saveHere(first);
  computers_.saveHere(second);
  computers_.handOver();
  computers_.saveHere({{makeCard("c", "3"), 1}});
  computers_.saveThere({});
  computers_.saveThere({{makeCard("d", "4"), 1}});
  computers_.leaveConflict();
  // The laptop's clock a day behind, this computer's backups dated after both.
  dateBox(computers_.copy(), kT0 - 86400);
  for (const tBackup& backup : tBackupStore::forUser().list(box_))
    setModified(backup.cardPath, kT2);
  tPlacedCards ancestor;
  Strings warnings;
  ASSERT_TRUE(findAncestor(box_, computers_.copy(), &ancestor, &warnings));
  EXPECT_EQ(ancestor.size(), 2u);
  EXPECT_TRUE(warnings.empty());

  // A box of the same name saved elsewhere shares no version with this one.
  const std::string stranger = dir_.file("Fremd/Vokabeln.trm");
  ASSERT_EQ(mkdir(directoryOf(stranger).c_str(), 0700), 0);
  tTwoComputers::save(stranger, {{makeCard("a", "1"), 1}, {makeCard("e", "5"), 1}});
  EXPECT_FALSE(findAncestor(box_, stranger, &ancestor, &warnings));
  // Without the common version's backup there is no ancestor either.
  ASSERT_EQ(std::system(("rm -rf '" + backups_ + "'").c_str()), 0);
  EXPECT_FALSE(findAncestor(box_, computers_.copy(), &ancestor, &warnings));
  EXPECT_EQ(warnings,
            (Strings{"F\xFCr " + stranger +
                         " ist keine Fassung bekannt, aus der auch die Kartei entstand; beim "
                         "Zusammenf\xFChren wurde darum keine Karte gel\xF6scht.",
                     "Die Fassung, aus der " + computers_.copy() +
                         " und die Kartei entstanden, ist nicht unter den Sicherungen; beim "
                         "Zusammenf\xFChren wurde darum keine Karte gel\xF6scht."}));
}

TEST_F(MergeFilesTest, WithoutABackupNothingIsDeletedAndANextcloudCopyIsMerged) {
  const tPlacedCards ancestor = {{makeCard("a", "1"), 1}, {makeCard("b", "2"), 1}};
  diverge(ancestor, {{makeCard("a", "1"), 1}}, {{makeCard("b", "2"), 2}}, kNextcloudCopy);
  ASSERT_EQ(std::system(("rm -rf '" + backups_ + "'").c_str()), 0);
  tMergeSummary summary;
  tFileReport report;
  ASSERT_TRUE(mergeFilesIntoBox(box_, {dir_.file(kNextcloudCopy)}, &summary, &report));
  const tPlacedCards merged = read(box_);
  ASSERT_EQ(merged.size(), 2u);
  EXPECT_EQ(key(merged[1].card), "b;2");
  EXPECT_EQ(merged[1].compartment, 2);
  EXPECT_EQ(summary.deleted, 0);
  EXPECT_FALSE(fileExists(dir_.file(kNextcloudCopy)));
}

TEST_F(MergeFilesTest, ACopyThatCannotBeReadLeavesBoxAndCopiesAsTheyWere) {
  const tPlacedCards cards = {{makeCard("a", "1"), 1}};
  diverge(cards, cards, cards, kDropboxCopy);
  const std::string broken = dir_.file(kSyncthingCopy);
  writeBytes(broken, "kein dBASE");
  const std::string before = readBytes(box_);
  tMergeSummary summary;
  tFileReport report;
  EXPECT_FALSE(mergeFilesIntoBox(box_, {dir_.file(kDropboxCopy), broken}, &summary, &report));
  EXPECT_FALSE(report.errors.empty());
  EXPECT_EQ(readBytes(box_), before);
  EXPECT_TRUE(fileExists(dir_.file(kDropboxCopy)));
  EXPECT_TRUE(fileExists(broken));
  // A copy cut short after 40 of its 100 cards counts its own cards, not the box's too.
  tPlacedCards hundred;
  for (int i = 0; i < 100; ++i) hundred.push_back({makeCard(std::to_string(i).c_str(), "x"), 1});
  const std::string cut = dir_.file(kNextcloudCopy);
  tTwoComputers::save(cut, hundred);
  ASSERT_EQ(truncate(cut.c_str(), 225 + 144 * 40 + 70), 0);
  tFileReport truncated;
  EXPECT_FALSE(mergeFilesIntoBox(box_, {cut}, &summary, &truncated));
  EXPECT_EQ(truncated.errors, Strings{"Die Datei " + cut +
                                      " ist besch\xE4"
                                      "digt (nach 40 von 100 Karten)."});
  EXPECT_EQ(readBytes(box_), before);

  // A box with a column of its own would lose it to the merge's save.
  const std::string noted = dir_.file("Notizen.trm");
  tCreateDBF table;
  for (const char* name : {"DEUTSCH", "UEBERSETZT", "NOTIZ"}) table.addField(name, 'C', 64, 0);
  table.addField("KASTEN", 'C', 1, 0);
  for (const char* name : {"ALTER", "GEWUSST", "UNBEKANNT"}) table.addField(name, 'N', 5, 0);
  ASSERT_TRUE(table.create(noted.c_str()));
  const std::string notedBytes = readBytes(noted);
  tFileReport refused;
  EXPECT_FALSE(mergeFilesIntoBox(noted, {dir_.file(kDropboxCopy)}, &summary, &refused));
  ASSERT_EQ(refused.errors.size(), 1u);
  EXPECT_EQ(refused.errors[0], "Die Kartei " + noted +
                                   " hat Felder, die beim Sichern verloren gingen; nichts wurde "
                                   "zusammengef\xFChrt.");
  EXPECT_EQ(readBytes(noted), notedBytes);
  EXPECT_TRUE(fileExists(dir_.file(kDropboxCopy)));
}

std::string runTool(const std::string& arguments) {
  const std::string command = std::string(TERMEL_TOOL) + " " + arguments + " 2>&1";
  std::string output;
  if (std::FILE* pipe = popen(command.c_str(), "r")) {
    char chunk[256];
    while (std::fgets(chunk, sizeof chunk, pipe) != nullptr) output += chunk;
    pclose(pipe);
  }
  return output;
}

TEST_F(MergeFilesTest, ToolChecksForCopiesAndMergesThem) {
  const tPlacedCards ancestor = {{makeCard("a", "1"), 1}, {makeCard("b", "2"), 1}};
  diverge(ancestor,
          {{
               makeCard("a", "1"),
               2,
           },
           {makeCard("b", "2"), 1}},
          {{makeCard("a", "1"), 1}}, kSyncthingCopy);
  const std::string quotedBox = "'" + box_ + "'";
  // What a killed save left goes, as a save removes it, although the merge holds the lock.
  writeBytes(dir_.file(".Vokabeln.trm.tmp-a1B2c3"), "halb geschrieben");
  EXPECT_EQ(runTool("check " + quotedBox),
            "Geladen: 2\nIns 1. Fach gelegt: 0\nKonfliktkopien: 1\n  " + dir_.file(kSyncthingCopy) +
                "\n");
  EXPECT_EQ(runTool("merge " + quotedBox + " '" + dir_.file(kSyncthingCopy) + "'"),
            "0 übernommen, 0 Fortschritte zusammengeführt, 1 gelöscht, 0 Konflikte\n");
  EXPECT_EQ(read(box_).size(), 1u);
  EXPECT_FALSE(fileExists(dir_.file(".Vokabeln.trm.tmp-a1B2c3")));
  EXPECT_EQ(runTool("check " + quotedBox),
            "Geladen: 1\nIns 1. Fach gelegt: 0\nKonfliktkopien: 0\n");
}

TEST_F(MergeFilesTest, OnlyConflictCopiesMoveAndTheBoxItselfIsRefusedUnderEveryName) {
  const tPlacedCards ancestor = {{makeCard("a", "1"), 1}, {makeCard("b", "2"), 1}};
  diverge(ancestor, {{makeCard("a", "1"), 1}}, ancestor, kSyncthingCopy);
  // A friend's box and one on a USB stick: merged, and left where they are, as they were.
  const std::string friendsBox = dir_.file("Freund/Vokabeln.trm");
  ASSERT_EQ(mkdir(directoryOf(friendsBox).c_str(), 0700), 0);
  tTwoComputers::save(friendsBox, {{makeCard("c", "3"), 1}});
  const std::string stick = dir_.file("Vokabeln vom Stick.trm");
  tTwoComputers::copyFile(computers_.copy(), stick);
  tTwoComputers::copyFile(boxFileName(computers_.copy()), boxFileName(stick));
  const std::string friendsBytes = readBytes(friendsBox), stickBytes = readBytes(stick);
  tMergeSummary summary;
  tFileReport report;
  ASSERT_TRUE(mergeFilesIntoBox(box_, {friendsBox, stick, computers_.copy()}, &summary, &report));
  EXPECT_EQ(readBytes(friendsBox), friendsBytes);
  EXPECT_TRUE(fileExists(boxFileName(friendsBox)));
  EXPECT_EQ(readBytes(stick), stickBytes);
  EXPECT_TRUE(fileExists(boxFileName(stick)));
  EXPECT_FALSE(fileExists(computers_.copy()));
  // "b" was deleted here, and the stick's and the laptop's copies are the laptop's version.
  EXPECT_EQ(read(box_).size(), 2u);
  EXPECT_EQ(summary.deleted, 2);

  // The box itself through a link, a hard link, or a path with a detour.
  ASSERT_EQ(symlink(box_.c_str(), dir_.file("Verweis.trm").c_str()), 0);
  ASSERT_EQ(link(box_.c_str(), dir_.file("Zweitname.trm").c_str()), 0);
  const std::string before = readBytes(box_);
  for (const std::string& self : {box_, dir_.file("Verweis.trm"), dir_.file("Zweitname.trm"),
                                  dir_.file("Freund/../Vokabeln.trm")}) {
    tFileReport refused;
    EXPECT_FALSE(mergeFilesIntoBox(box_, {self}, &summary, &refused));
    EXPECT_EQ(refused.errors,
              Strings{"Die Datei " + self +
                      " ist die Kartei selbst; eine Kartei kann nicht mit sich selbst "
                      "zusammengef\xFChrt werden."});
    EXPECT_EQ(readBytes(box_), before);
    EXPECT_TRUE(fileExists(self));
  }
}

TEST_F(MergeFilesTest, EveryFailingOrFatalCallOfTheMergeLosesNeitherSide) {
  // Enough cards that the tables take several reads and writes.
  tPlacedCards ancestor, ours, theirs;
  for (int i = 0; i < 400; ++i) {
    const std::string text = "Wort " + std::to_string(i);
    ancestor.push_back({makeCard(text.c_str(), "word"), 1});
  }
  ours = ancestor;
  ours.erase(ours.begin());
  theirs = ancestor;
  theirs.push_back({makeCard("neu", "new"), 1});
  diverge(ancestor, ours, theirs, kSyncthingCopy);
  const std::string copy = dir_.file(kSyncthingCopy);
  const std::string snapshot = dir_.path() + "-snapshot";
  ASSERT_EQ(std::system(("cp -a '" + dir_.path() + "' '" + snapshot + "'").c_str()), 0);
  const std::string oldBox = readBytes(box_), copyBytes = readBytes(copy);
  auto restore = [&] {
    ASSERT_EQ(std::system(
                  ("rm -rf '" + dir_.path() + "' && cp -a '" + snapshot + "' '" + dir_.path() + "'")
                      .c_str()),
              0);
  };
  auto merge = [&] {
    tMergeSummary summary;
    tFileReport report;
    return mergeFilesIntoBox(box_, {copy}, &summary, &report) ? 0 : 1;
  };
  // A clean merge, counting its calls.
  injector = tInjector();
  replaceSysCallsForTesting(&kFaulty);
  ASSERT_EQ(merge(), 0);
  replaceSysCallsForTesting(nullptr);
  const std::string newBox = readBytes(box_);
  ASSERT_NE(newBox, oldBox);
  // A backup that cannot be read is no ancestor: the merge deletes nothing.
  restore();
  ASSERT_EQ(std::system(("rm -rf '" + backups_ + "'").c_str()), 0);
  ASSERT_EQ(merge(), 0);
  const std::string blindBox = readBytes(box_);
  const long calls = injector.calls;
  ASSERT_GT(calls, 20);

  int merged = 0, refused = 0;
  for (tFault fault : {tFault::kFail, tFault::kEnd}) {
    for (long at = 1; at <= calls; ++at) {
      SCOPED_TRACE("call " + std::to_string(at) + ", fault " + std::to_string(int(fault)));
      restore();
      const int code = runWithFault(at, fault, merge);
      const std::string boxNow = readBytes(box_);
      ASSERT_TRUE(boxNow == oldBox || boxNow == newBox || boxNow == blindBox);
      // The other computer's cards are in the box or still in the copy.
      if (boxNow == oldBox) {
        EXPECT_EQ(readBytes(copy), copyBytes);
      }
      if (!fileExists(copy)) {
        EXPECT_NE(boxNow, oldBox);
      }
      if (fault == tFault::kEnd) continue;
      EXPECT_EQ(code == 0, boxNow != oldBox);
      ++(code == 0 ? merged : refused);
    }
  }
  EXPECT_GT(merged, 0);
  EXPECT_GT(refused, 0);
  ASSERT_EQ(std::system(("rm -rf '" + snapshot + "'").c_str()), 0);
}

}  // namespace
