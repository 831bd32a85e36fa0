// Recovery data found when a box is opened: the learner is told what it holds, "Ja"
// puts it in place of the box's cards, changed and not yet saved, "Nein" leaves the
// box as its file has it and keeps the data among the box's backups. When the box's
// file was changed elsewhere since the data was taken, the question says so, and "Ja"
// keeps that file among the backups before the data takes its place.
#include <ctime>
#include <string>
#include <vector>

#include "gui_test.h"
#include "kartei/backups.h"
#include "kartei/recovery_file.h"
#include "main_frame_fixture.h"

namespace {

using Strings = std::vector<std::string>;

int64_t localTime(int year, int month, int day, int hour, int minute) {
  std::tm when{};
  when.tm_year = year - 1900;
  when.tm_mon = month - 1;
  when.tm_mday = day;
  when.tm_hour = hour;
  when.tm_min = minute;
  when.tm_isdst = -1;
  return static_cast<int64_t>(std::mktime(&when));
}

TEST_F(MainFrameTest, RecoveryDataIsOfferedWhenTheBoxIsOpened) {
  struct Case {
    int answer;
    Strings first, second, archive;
    bool modified;
    size_t backups;
    bool changedElsewhere;
  } cases[] = {
      {wxID_YES, {"Baum"}, {"Haus"}, {"Wolke"}, true, 0, false},
      {wxID_NO, {"Haus"}, {}, {}, false, 1, false},
      {wxID_YES, {"Baum"}, {"Haus"}, {"Wolke"}, true, 1, true},
  };
  int run = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answer == wxID_YES ? "Ja" : "Nein");
    const std::string box =
        writeBox("kasten" + std::to_string(++run) + ".trm", {{1, "Haus", "house"}});
    tRecoveryData data;
    data.boxPath = box;
    data.savedAt = localTime(2026, 12, 8, 15, 40);
    data.writtenAt = data.savedAt + 60;
    data.counts = {23, 0, 2, 0, false};
    data.cards = {{makeCard("Baum", "tree"), 1},
                  {makeCard("Haus", "house"), 2},
                  {makeCard("Wolke", "cloud"), 7}};
    // Taken from a version of the file that is gone.
    if (c.changedElsewhere) data.fileVersion = {7, 1, std::string(64, '0')};
    ASSERT_TRUE(writeRecovery(recoveryFileOf(box), encodeRecovery(data), nullptr));
    const std::string elsewhere =
        c.changedElsewhere
            ? " Die Kartei wurde seitdem außerhalb dieses Fensters geändert (etwa durch "
              "Zusammenführen oder auf einem anderen Computer). Mit \"Ja\" treten die "
              "wiederhergestellten Karten an die Stelle der geänderten Kartei, die zuvor unter "
              "den Sicherungen aufbewahrt wird; mit \"Nein\" bleibt die Kartei, wie sie jetzt "
              "ist, und die Änderungen kommen zu den Sicherungen."
            : "";
    wxTEST_DIALOG(start(box),
                  tExpectBox(wxString::FromUTF8("Seit dem letzten Sichern am 08.12.2026 um 15:40 "
                                                "gab es 23 Antworten und 2 neue Karten, die nicht "
                                                "gesichert sind." +
                                                elsewhere + " Wiederherstellen?"),
                             "Achtung", wxYES_NO | wxICON_NONE, c.answer));
    EXPECT_EQ(frontsIn(1), c.first);
    EXPECT_EQ(frontsIn(2), c.second);
    EXPECT_EQ(frontsIn(7), c.archive);
    EXPECT_EQ(window_->modified(), c.modified);
    const std::vector<tBackup> backups = tBackupStore::forUser().list(box);
    ASSERT_EQ(backups.size(), c.backups);
    // The recovery data not wanted back, or the file changed elsewhere, which has one card.
    for (const tBackup& backup : backups) {
      EXPECT_EQ(backup.adopted, !c.changedElsewhere);
      EXPECT_EQ(backup.cards, c.changedElsewhere ? 1 : 3);
    }
    // Kept until the box is saved, or gone into the backups.
    tRecoveryData left;
    EXPECT_EQ(readRecovery(recoveryFileOf(box), &left, nullptr) == tRecoveryRead::kFound,
              c.modified);
    stop();
  }
}

}  // namespace
