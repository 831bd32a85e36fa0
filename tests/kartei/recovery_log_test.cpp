// The change log of the recovery data: every change the box tells of, replayed on the
// box as it was, gives the box exactly (order, counters, compartments); a log cut
// anywhere gives the box as it was after its last whole record; an append that fails
// or is killed at any system call leaves the data as it was or as it is after the
// append; a log of another recovery file is never applied; and the question says when
// the card file was changed elsewhere since the data was taken.
#include <fcntl.h>
#include <sys/stat.h>

#include <functional>
#include <random>
#include <string>
#include <vector>

#include "kartei/box_merge.h"
#include "kartei/card_file.h"
#include "kartei/recovery_file.h"
#include "kartei/recovery_log.h"
#include "kartei/version_record.h"
#include "tests/box/box_test_support.h"
#include "tests/kartei/sys_call_faults.h"

namespace {

// Keeps the records of the box's changes as the program's keeper does: a change no
// record describes starts again from the whole box.
class tLogger : public tBoxObserver {
 public:
  tLogger() {
    restart();
    theCardBox.setObserver(this);
  }
  ~tLogger() override { theCardBox.setObserver(nullptr); }
  void boxChanged(const tBoxChange& change) override {
    if (!addChangeRecord(&records, change)) whole = true;
  }
  void restart() {
    base.cards = cardsOf(theCardBox);
    ++base.baseId;
    records.clear();
    whole = false;
  }
  // The box as base and log give it back.
  tPlacedCards replayed(size_t size) const {
    tRecoveryData data = base;
    EXPECT_TRUE(replayLog(logStart(base.baseId) + records.substr(0, size), &data));
    return data.cards;
  }

  tRecoveryData base;
  std::string records;
  bool whole = false;
};

tTermel* storedAt(int n, uint32_t position) {
  tTermel* c = theCardBox.firstIn(n, nullptr);
  for (uint32_t i = 0; c != nullptr && i < position; ++i) c = theCardBox.nextIn(n, nullptr);
  return c;
}

class RecoveryLogTest : public CardBoxTest {
 protected:
  void SetUp() override {
    CardBoxTest::SetUp();
    setenv("XDG_STATE_HOME", state_.path().c_str(), 1);
    // Twins in every compartment, so a record that named a card by its texts and not
    // by its place would restore the wrong one.
    for (int n = 1; n <= CardBox::kCompartments; ++n) {
      for (int i = 0; i < 4; ++i) theCardBox.addCardTo(card(i % 2 ? "Zwilling" : "Haus", "x"), n);
    }
  }
  ScratchDir state_;
  ScratchDir boxes_;
};

TEST_F(RecoveryLogTest, EveryChangeIsReplayedExactly) {
  std::mt19937 random(7);
  auto any = [&random](int below) { return static_cast<int>(random() % below); };
  const std::vector<std::pair<const char*, std::function<void()>>> changes = {
      {"gewusst", [] { theCardBox.chooseNext(), theCardBox.answerKnown(); }},
      {"nicht gewusst", [] { theCardBox.chooseNext(), theCardBox.answerUnknown(); }},
      {"Antwort zur\xfc"
       "ck",
       [&] {
         theCardBox.takeBackAnswer(1 + any(7), 1 + any(7),
                                   card("zur\xfc"
                                        "ck",
                                        "back", 3, 4));
       }},
      {"L\xf6schen der Karte",
       [&] {
         int16_t n = static_cast<int16_t>(1 + any(8));
         theCardBox.deleteCurrent(&n);
       }},
      {"entfernt",
       [&] {
         const int n = 1 + any(7);
         theCardBox.removeCard(storedAt(n, any(6)), n);
       }},
      {"eingef\xfcgt",
       [&] { theCardBox.insertCard(card("neu", "new", any(3)), 1 + any(7), any(9) - 2); }},
      {"leere F\xe4"
       "cher ans Ende",
       [] { theCardBox.moveEmptyToEnd(); }},
      {"umgeordnet",
       [&] {
         CardBox::tArrangement order = theCardBox.arrangement();
         std::shuffle(order.begin(), order.end(), random);
         theCardBox.rearrange(order);
       }},
      {"Fach geleert", [&] { theCardBox.clearCompartment(1 + any(7)); }},
      {"In 1. Fach", [] { theCardBox.allToFirst(); }},
      {"korrigiert",
       [&] {
         const int n = 1 + any(7);
         if (tTermel* stored = storedAt(n, any(5))) {
           stored->set("Korrektur", "correction");
           theCardBox.changedCard(stored);
         }
       }},
      {"neue Karten",
       [&] {
         for (int i = 0; i < 6; ++i) theCardBox.addCardTo(card("Wolke", "cloud", i), 1 + any(7));
       }},
      {"gemischt", [&] { theCardBox.shuffle(any(8)); }},
  };
  tLogger logger;
  int cards = 0;
  for (int step = 0; step < 600; ++step) {
    const auto& change = changes[any(static_cast<int>(changes.size()))];
    SCOPED_TRACE(std::to_string(step) + ": " + change.first);
    change.second();
    if (logger.whole) logger.restart();
    ASSERT_TRUE(sameBox(logger.replayed(std::string::npos), cardsOf(theCardBox)));
    cards += theCardBox.totalCount();
  }
  EXPECT_GT(cards / 600, 10) << "the changes met a box of some cards";
}

TEST_F(RecoveryLogTest, ACutLogGivesTheBoxAfterItsLastWholeRecord) {
  tLogger logger;
  std::vector<std::pair<size_t, tPlacedCards>> after = {{0, cardsOf(theCardBox)}};
  const std::vector<std::function<void()>> changes = {
      [] { theCardBox.chooseNext(), theCardBox.answerKnown(); },
      [] { theCardBox.addCardTo(card("Wolke", "cloud"), 3); },
      [] { theCardBox.removeCard(storedAt(2, 1), 2); },
      [] { theCardBox.chooseNext(), theCardBox.answerUnknown(); },
  };
  for (const auto& change : changes) {
    change();
    after.push_back({logger.records.size(), cardsOf(theCardBox)});
  }
  ASSERT_FALSE(logger.whole);
  for (size_t cut = 0; cut <= logger.records.size(); ++cut) {
    size_t last = 0;
    while (last + 1 < after.size() && after[last + 1].first <= cut) ++last;
    EXPECT_TRUE(sameBox(logger.replayed(cut), after[last].second)) << "cut at " << cut;
  }
  // A flipped byte in the last record ends the log before it.
  std::string altered = logger.records;
  altered[altered.size() - 6] ^= 0x10;
  tRecoveryData data = logger.base;
  ASSERT_TRUE(replayLog(logStart(logger.base.baseId) + altered, &data));
  EXPECT_TRUE(sameBox(data.cards, after[after.size() - 2].second));
  // The log of another recovery file changes nothing.
  data = logger.base;
  EXPECT_FALSE(replayLog(logStart(logger.base.baseId + 1) + logger.records, &data));
  EXPECT_TRUE(sameBox(data.cards, logger.base.cards));
}

TEST_F(RecoveryLogTest, AFaultAtAnyCallOfAnAppendLeavesTheOldDataOrTheNewAndTheBoxAlone) {
  const std::string box = boxes_.file("box.trm");
  ASSERT_TRUE(saveCardFile(box.c_str()));
  const std::string boxBytes = readBytes(box);
  const std::string file = recoveryFileOf(box), log = recoveryLogOf(file);
  tLogger logger;
  logger.base.boxPath = box;
  theCardBox.chooseNext(), theCardBox.answerKnown();
  addCountsRecord(&logger.records, {1, 0, 0, 0, false});
  const std::string oldRecords = logger.records;
  const tPlacedCards oldCards = cardsOf(theCardBox);
  theCardBox.addCardTo(card("Wolke", "cloud"), 1);
  theCardBox.chooseNext(), theCardBox.answerUnknown();
  addCountsRecord(&logger.records, {2, 0, 1, 0, false});
  const std::string newRecords = logger.records.substr(oldRecords.size());
  const tPlacedCards newCards = cardsOf(theCardBox);
  auto reset = [&] {
    ASSERT_TRUE(writeRecovery(file, encodeRecovery(logger.base), nullptr));
    ASSERT_TRUE(writeRecovery(log, logStart(logger.base.baseId) + oldRecords, nullptr));
  };
  reset();
  const int calls = runWithFault(0, tFault::kNone, [&] {
    appendToLog(log, newRecords, nullptr);
    return static_cast<int>(injector.calls);
  });
  ASSERT_GE(calls, 4);
  for (tFault fault : {tFault::kFail, tFault::kEnd, tFault::kShort}) {
    for (long at = 1; at <= calls; ++at) {
      SCOPED_TRACE("fault " + std::to_string(static_cast<int>(fault)) + " at call " +
                   std::to_string(at));
      reset();
      const int code =
          runWithFault(at, fault, [&] { return appendToLog(log, newRecords, nullptr) ? 0 : 1; });
      tRecoveryData read;
      ASSERT_EQ(readRecovery(file, &read, nullptr), tRecoveryRead::kFound);
      const bool isNew = sameBox(read.cards, newCards);
      EXPECT_TRUE(isNew || sameBox(read.cards, oldCards));
      EXPECT_EQ(read.counts.answers, isNew ? 2 : 1);
      if (code == 0) {
        EXPECT_TRUE(isNew);
      }
      EXPECT_EQ(readBytes(box), boxBytes);
    }
  }
}

TEST_F(RecoveryLogTest, TheQuestionSaysWhenTheCardFileWasChangedElsewhere) {
  const std::string box = boxes_.file("Latein.trm");
  ASSERT_TRUE(saveCardFile(box.c_str()));
  tCardFileVersion taken = cardFileStamp(box);
  tVersionId id;
  ASSERT_TRUE(versionOfFile(box, &id));
  taken.hash = id.hash;
  const std::string bytes = readBytes(box);
  std::string other = bytes;
  other[other.size() - 3] ^= 1;
  struct Case {
    const char* name;
    std::function<void()> change;
    bool same;
  } cases[] = {
      {"untouched", [] {}, true},
      {"written again with the same bytes", [&] { writeBytes(box, bytes); }, true},
      {"written with other bytes", [&] { writeBytes(box, other); }, false},
      {"gone", [&] { std::remove(box.c_str()); }, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    writeBytes(box, bytes);
    struct timespec times[2] = {{0, UTIME_OMIT}, {0, 0}};
    times[1].tv_sec = taken.mtimeNs / 1000000000;
    times[1].tv_nsec = taken.mtimeNs % 1000000000;
    ASSERT_EQ(utimensat(AT_FDCWD, box.c_str(), times, 0), 0);
    c.change();
    EXPECT_EQ(sameCardFile(box, taken), c.same);
  }
  EXPECT_TRUE(sameCardFile(box, tCardFileVersion())) << "no version known";
  tRecoveryData data;
  data.counts = {2, 0, 0, 0, false};
  EXPECT_EQ(recoveryQuestion(data, true),
            "In der neuen, noch nie gesicherten Kartei gab es 2 Antworten, die nicht gesichert "
            "sind. Die Kartei wurde seitdem au\xdf"
            "erhalb dieses Fensters ge\xe4ndert (etwa durch Zusammenf\xfchren oder auf einem "
            "anderen Computer). Mit \"Ja\" treten die wiederhergestellten Karten an die Stelle der "
            "ge\xe4nderten Kartei, die zuvor unter den Sicherungen aufbewahrt wird; mit \"Nein\" "
            "bleibt die Kartei, wie sie jetzt ist, und die \xc4nderungen kommen zu den "
            "Sicherungen. Wiederherstellen?");
}

}  // namespace
