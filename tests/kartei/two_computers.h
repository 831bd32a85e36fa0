// Two computers that share one box through a sync tool, for tests of merges with boxes
// the program itself wrote: this computer (the box "Vokabeln.trm" in one folder, its
// backups in "data" there) and a laptop (a folder and backups of its own). What the sync
// tool does is done by hand: hand this computer's box over whole, or, when both changed
// it, leave the laptop's version beside this one's as a conflict copy, together with a
// conflict copy of one side's record of versions.
#ifndef TERMEL_TESTS_KARTEI_TWO_COMPUTERS_H_
#define TERMEL_TESTS_KARTEI_TWO_COMPUTERS_H_

#include <stdlib.h>

#include <gtest/gtest.h>

#include <string>

#include "kartei/box_file_name.h"
#include "kartei/box_merge.h"
#include "kartei/card_file.h"
#include "kartei/version_record.h"
#include "tests/box/box_test_support.h"

class tTwoComputers {
 public:
  static constexpr const char* kCopyName = "Vokabeln.sync-conflict-20261205-181512-LAPTOP7.trm";

  tTwoComputers() : here_(home_.file("Vokabeln.trm")), there_(laptop_.file("Vokabeln.trm")) {
    onThisComputer();
  }
  ~tTwoComputers() { onThisComputer(); }

  const ScratchDir& home() const { return home_; }
  const std::string& here() const { return here_; }
  const std::string& there() const { return there_; }
  std::string copy() const { return home_.file(kCopyName); }
  std::string backups() const { return home_.file("data/termel/backups"); }

  void onThisComputer() const { setenv("XDG_DATA_HOME", home_.file("data").c_str(), 1); }
  void onLaptop() const { setenv("XDG_DATA_HOME", laptop_.file("data").c_str(), 1); }

  static void save(const std::string& path, const tPlacedCards& cards) {
    fillBox(theCardBox, cards);
    ASSERT_TRUE(saveCardFile(path.c_str())) << path;
  }
  void saveHere(const tPlacedCards& cards) const { save(here_, cards); }
  void saveThere(const tPlacedCards& cards) const {
    onLaptop();
    save(there_, cards);
    onThisComputer();
  }

  // The sync tool gives the laptop this computer's box as it stands.
  void handOver() const {
    for (const auto& [from, to] : boxFiles(here_, there_)) copyFile(from, to);
  }
  // Both saved: the laptop's box comes as the conflict copy; the record of versions that
  // keeps its name is this computer's, or the laptop's when laptopRecordWins.
  void leaveConflict(bool laptopRecordWins = false) const {
    copyFile(there_, copy());
    copyFile(boxFileName(there_), boxFileName(copy()));
    const std::string record = tVersionRecord::fileOf(here_);
    const std::string recordCopy =
        home_.file(".Vokabeln.trm.sync-conflict-20261205-181512-LAPTOP7.versions");
    if (laptopRecordWins) {
      copyFile(record, recordCopy);
      copyFile(tVersionRecord::fileOf(there_), record);
    } else {
      copyFile(tVersionRecord::fileOf(there_), recordCopy);
    }
  }

  static void copyFile(const std::string& from, const std::string& to) {
    const std::string command = "cp -p '" + from + "' '" + to + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
  }

 private:
  static std::vector<std::pair<std::string, std::string>> boxFiles(const std::string& from,
                                                                   const std::string& to) {
    return {{from, to},
            {boxFileName(from), boxFileName(to)},
            {tVersionRecord::fileOf(from), tVersionRecord::fileOf(to)}};
  }

  ScratchDir home_, laptop_;
  std::string here_, there_;
};

#endif  // TERMEL_TESTS_KARTEI_TWO_COMPUTERS_H_
