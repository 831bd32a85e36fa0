// Merges after what two computers sharing a box live through, with boxes the program
// itself wrote: several saves on each side after they parted, the same copy merged
// twice, a copy older than the last merge, saves and merges that failed or were killed
// on the way, the other computer's clock a day off, a computer without backups. In
// each, a card that only one side has and the other never had survives, the progress
// of both sides is kept, and a deletion proven on one side is applied.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>
#include <string>

#include "kartei/backups.h"
#include "kartei/box_merge_files.h"
#include "tests/kartei/file_times.h"
#include "tests/kartei/sys_call_faults.h"
#include "tests/kartei/two_computers.h"

namespace {

using Keys = std::set<std::string>;

std::string key(const tTermel& card) {
  return std::string(card.front) + ";" + card.back;
}

Keys keysOf(const tPlacedCards& cards) {
  Keys keys;
  for (const tPlacedCard& c : cards) keys.insert(key(c.card));
  return keys;
}

tPlacedCards words(int count) {
  tPlacedCards cards;
  for (int i = 1; i <= count; ++i) {
    const std::string text = "w" + std::to_string(i);
    cards.push_back({makeCard(text.c_str(), text.c_str()), 1});
  }
  return cards;
}

tPlacedCards with(tPlacedCards cards, const char* text) {
  cards.push_back({makeCard(text, text), 1});
  return cards;
}

tPlacedCards without(tPlacedCards cards, const std::string& text) {
  cards.erase(std::remove_if(cards.begin(), cards.end(),
                             [&](const tPlacedCard& c) { return c.card.front == text; }),
              cards.end());
  return cards;
}

// The card text known once: into compartment 2.
tPlacedCards learned(tPlacedCards cards, const std::string& text) {
  for (tPlacedCard& c : cards) {
    if (c.card.front != text) continue;
    c.compartment = 2;
    ++c.card.timesKnown;
  }
  return cards;
}

tPlacedCards onDisk(const std::string& path) {
  tPlacedCards cards;
  tFileReport report;
  EXPECT_TRUE(readCardList(path, &cards, &report)) << path;
  return cards;
}

bool merge(const std::string& box, const std::string& other) {
  tMergeSummary summary;
  tFileReport report;
  return mergeFilesIntoBox(box, {other}, &summary, &report);
}

// A copy of a folder, to put back as it was.
class tSnapshot {
 public:
  explicit tSnapshot(std::string folder)
      : folder_(std::move(folder)), copy_(folder_ + "-snapshot") {
    shell("cp -a '" + folder_ + "' '" + copy_ + "'");
  }
  ~tSnapshot() { shell("rm -rf '" + copy_ + "'"); }
  void restore() const {
    shell("rm -rf '" + folder_ + "' && cp -a '" + copy_ + "' '" + folder_ + "'");
  }

 private:
  static void shell(const std::string& command) {
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
  }
  std::string folder_, copy_;
};

// The number of the first call named name after the first call named after, in body
// run in a child on this computer's files, which are then put back as they were.
long callNumber(const tTwoComputers& pc, const std::function<int()>& body, const char* after,
                const char* name) {
  const tSnapshot snapshot(pc.home().path());
  const int number = runWithFault(0, tFault::kNone, [&] {
    body();
    const auto& names = injector.names;
    const auto start = std::find(names.begin(), names.end(), after);
    const auto found = std::find(start, names.end(), name);
    const long at = found == names.end() ? 0 : static_cast<long>(found - names.begin()) + 1;
    return at < 250 ? static_cast<int>(at) : 0;
  });
  snapshot.restore();
  EXPECT_GT(number, 0) << name << " after " << after;
  return number;
}

const tPlacedCards kParted = words(12);

// Both computers have the box; this one saves twice (a card deleted, then one learned),
// the laptop once in between (a card deleted, one learned); each adds a card.
void saveOnBothSides(const tTwoComputers& pc) {
  pc.saveHere(kParted);
  pc.handOver();
  pc.saveHere(with(without(kParted, "w1"), "h1"));
  pc.saveThere(learned(with(without(kParted, "w2"), "t1"), "w3"));
  pc.saveHere(learned(with(with(without(kParted, "w1"), "h1"), "h2"), "w4"));
}

// What a story leaves: the file to merge into the box, and the cards a side deleted
// after both had them.
struct tOutcome {
  std::string other;
  Keys deleted;
};

struct tStory {
  const char* name;
  std::function<tOutcome(tTwoComputers&)> live;
};

const Keys kBothDeleted = {"w1;w1", "w2;w2"};

const tStory kStories[] = {
    {"Beide sichern mehrmals, hier zweimal, dort einmal dazwischen",
     [](tTwoComputers& pc) {
       saveOnBothSides(pc);
       pc.leaveConflict();
       return tOutcome{pc.copy(), kBothDeleted};
     }},
    {"Die Aufzeichnung des Laptops beh\xE4lt den Namen",
     [](tTwoComputers& pc) {
       saveOnBothSides(pc);
       pc.leaveConflict(true);
       return tOutcome{pc.copy(), kBothDeleted};
     }},
    {"Ein abgebrochenes Vermerken l\xE4sst eine halbe Zeile zur\xFC"
     "ck",
     [](tTwoComputers& pc) {
       pc.saveHere(kParted);
       pc.handOver();
       pc.saveHere(with(without(kParted, "w1"), "h1"));
       const std::string record = tVersionRecord::fileOf(pc.here());
       writeBytes(record, readBytes(record) + "3e23e8160039594a 1394");
       pc.saveHere(with(with(without(kParted, "w1"), "h1"), "h2"));
       pc.saveThere(with(without(kParted, "w2"), "t1"));
       pc.leaveConflict();
       return tOutcome{pc.copy(), kBothDeleted};
     }},
    {"Dieselbe Kopie ein zweites Mal, nach einer neuen Karte",
     [](tTwoComputers& pc) {
       saveOnBothSides(pc);
       pc.leaveConflict();
       const std::string stick = pc.home().file("Vokabeln vom Laptop.trm");
       tTwoComputers::copyFile(pc.copy(), stick);
       EXPECT_TRUE(merge(pc.here(), pc.copy()));
       pc.saveHere(with(onDisk(pc.here()), "h3"));
       return tOutcome{stick, kBothDeleted};
     }},
    {"Eine Kopie, \xE4lter als die letzte Zusammenf\xFChrung",
     [](tTwoComputers& pc) {
       pc.saveHere(kParted);
       pc.handOver();
       pc.saveThere(with(kParted, "t1"));
       const std::string old = pc.home().file("Vokabeln alt.trm");
       tTwoComputers::copyFile(pc.there(), old);
       pc.saveThere(without(with(kParted, "t1"), "w5"));
       pc.saveHere(with(kParted, "h1"));
       pc.leaveConflict();
       EXPECT_TRUE(merge(pc.here(), pc.copy()));
       return tOutcome{old, {"w5;w5"}};
     }},
    {"Die Uhr des Laptops geht einen Tag nach",
     [](tTwoComputers& pc) {
       saveOnBothSides(pc);
       setModified(pc.there(), std::time(nullptr) - 86400);
       pc.leaveConflict();
       for (const tBackup& backup : tBackupStore::forUser().list(pc.here())) {
         setModified(backup.cardPath, std::time(nullptr) + 86400);
       }
       return tOutcome{pc.copy(), kBothDeleted};
     }},
    {"Erstes Zusammenf\xFChren auf einem neuen Rechner ohne Sicherungen",
     [](tTwoComputers& pc) {
       saveOnBothSides(pc);
       pc.leaveConflict();
       EXPECT_EQ(std::system(("rm -rf '" + pc.backups() + "'").c_str()), 0);
       return tOutcome{pc.copy(), {}};
     }},
    {"Eine Sicherung scheitert und eine wird abgebrochen, nachdem die alte Fassung "
     "gesichert ist",
     [](tTwoComputers& pc) {
       saveOnBothSides(pc);
       const tPlacedCards unsaved = with(onDisk(pc.here()), "nie gesichert");
       const auto save = [&] {
         fillBox(theCardBox, unsaved);
         return saveCardFile(pc.here().c_str()) ? 0 : 1;
       };
       const long write = callNumber(pc, save, "linkat", "write");
       const long rename = callNumber(pc, save, "linkat", "renameat");
       EXPECT_EQ(runWithFault(write, tFault::kFail, save), 1);
       EXPECT_EQ(runWithFault(rename, tFault::kEnd, save), kEndedAtFault);
       pc.leaveConflict();
       return tOutcome{pc.copy(), kBothDeleted};
     }},
    {"Zusammenf\xFChren auf vollem Datentr\xE4ger, dann noch einmal",
     [](tTwoComputers& pc) {
       saveOnBothSides(pc);
       pc.leaveConflict();
       const auto once = [&] { return merge(pc.here(), pc.copy()) ? 0 : 1; };
       EXPECT_EQ(runWithFault(callNumber(pc, once, "linkat", "write"), tFault::kFail, once), 1);
       return tOutcome{pc.copy(), kBothDeleted};
     }},
};

TEST(MergeScenariosTest, NoCardOnlyOneSideHadIsLostAndProvenDeletionsAreApplied) {
  for (const tStory& story : kStories) {
    SCOPED_TRACE(story.name);
    theCardBox.clearAll();
    tTwoComputers pc;
    const tOutcome outcome = story.live(pc);
    const tPlacedCards ours = onDisk(pc.here()), theirs = onDisk(outcome.other);
    Keys expected = keysOf(ours);
    for (const tPlacedCard& c : theirs) expected.insert(key(c.card));
    for (const std::string& gone : outcome.deleted) expected.erase(gone);
    ASSERT_TRUE(merge(pc.here(), outcome.other));
    const tPlacedCards merged = onDisk(pc.here());
    EXPECT_EQ(keysOf(merged), expected);
    // Each side's progress: no counter below either side's.
    for (const tPlacedCard& c : merged) {
      for (const tPlacedCards* side : {&ours, &theirs}) {
        for (const tPlacedCard& before : *side) {
          if (key(before.card) != key(c.card)) continue;
          EXPECT_GE(c.card.timesKnown, before.card.timesKnown) << key(c.card);
          EXPECT_GE(c.compartment, before.compartment) << key(c.card);
        }
      }
    }
  }
  theCardBox.clearAll();
}

TEST(MergeScenariosTest, AMergeKilledAtAnyCallAndRunAgainKeepsEveryCard) {
  theCardBox.clearAll();
  tTwoComputers pc;
  saveOnBothSides(pc);
  pc.leaveConflict();
  const tSnapshot snapshot(pc.home().path());
  injector = tInjector();
  replaceSysCallsForTesting(&kFaulty);
  ASSERT_TRUE(merge(pc.here(), pc.copy()));
  replaceSysCallsForTesting(nullptr);
  const long calls = injector.calls;
  const Keys expected = keysOf(onDisk(pc.here()));
  ASSERT_EQ(expected.count("w1;w1") + expected.count("w2;w2"), 0u);
  ASSERT_EQ(expected.count("h2;h2") + expected.count("t1;t1"), 2u);
  for (long at = 1; at <= calls; ++at) {
    SCOPED_TRACE("killed at call " + std::to_string(at) + " of " + std::to_string(calls));
    snapshot.restore();
    ASSERT_EQ(runWithFault(at, tFault::kEnd, [&] { return merge(pc.here(), pc.copy()) ? 0 : 1; }),
              kEndedAtFault);
    // Once the copy is kept among the backups the merge is done; until then it is run
    // again, as the learner would.
    if (fileExists(pc.copy())) {
      EXPECT_TRUE(merge(pc.here(), pc.copy()));
    }
    EXPECT_EQ(keysOf(onDisk(pc.here())), expected);
  }
  theCardBox.clearAll();
}

}  // namespace
