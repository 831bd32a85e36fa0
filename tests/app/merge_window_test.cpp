// Merging conflict copies in the main window: the question when a box with a copy
// beside it is opened or the window comes back to the front (once per new set of
// copies), "Datei → Zusammenführen...", the summary the learner reads, and every
// Nein and Abbrechen on the way leaving the box as it was.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "box/card_box.h"
#include "gui_test.h"
#include "kartei/box_merge_files.h"
#include "kartei/card_file.h"
#include "main_frame_fixture.h"

namespace {

using Strings = std::vector<std::string>;

const long kYesNo = wxYES_NO | wxICON_NONE;
const char kCopy[] = "Vokabeln.sync-conflict-20261205-181512-LAPTOP7.trm";
const char kOneCopy[] =
    "Für diese Kartei gibt es eine Konfliktkopie (von einem anderen Rechner). Jetzt "
    "zusammenführen?";

// This computer learned "Haus" once; the laptop knew "Baum" twice and added "Tisch".
const std::vector<tBoxCard> kOurs = {{2, "Haus", "house", 1, 0}, {1, "Baum", "tree"}};
const std::vector<tBoxCard> kTheirs = {
    {1, "Haus", "house"}, {3, "Baum", "tree", 2, 0}, {1, "Tisch", "table"}};

tExpectBox summaryBox(const std::string& text) {
  return tExpectBox(wxString::FromUTF8(text), wxString::FromUTF8("Zusammenführen"),
                    wxOK | wxICON_INFORMATION, wxID_OK);
}

const char kMergedSummary[] =
    "1 übernommen, 1 Fortschritte zusammengeführt, 0 gelöscht, 0 Konflikte";

// Files written apart, with no version in common: nothing is deleted, and the summary
// says why.
std::string nothingDeleted(const std::string& other) {
  return std::string(kMergedSummary) + "\n\nFür " + other +
         " ist keine Fassung bekannt, aus der auch die Kartei entstand; beim Zusammenführen "
         "wurde darum keine Karte gelöscht.";
}

std::string readBytes(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

class MergeWindowTest : public MainFrameTest {
 protected:
  // "front@compartment known/unknown" of every card in the card file, in order.
  static Strings inFile(const std::string& file) {
    tPlacedCards cards;
    tFileReport report;
    EXPECT_TRUE(readCardList(file, &cards, &report));
    Strings lines;
    for (const tPlacedCard& c : cards) {
      lines.push_back(std::string(c.card.front) + "@" + std::to_string(c.compartment) + " " +
                      std::to_string(c.card.timesKnown) + "/" +
                      std::to_string(c.card.timesUnknown));
    }
    return lines;
  }

  // The frame comes back to the front, as the window manager reports it.
  void activate() {
    wxActivateEvent event(wxEVT_ACTIVATE, true, frame_->GetId());
    event.SetEventObject(frame_);
    frame_->GetEventHandler()->ProcessEvent(event);
    guitest::yield(100);
  }
};

const Strings kMerged = {"Tisch@1 0/0", "Haus@2 1/0", "Baum@3 2/0"};
const Strings kOursInFile = {"Baum@1 0/0", "Haus@2 1/0"};

}  // namespace

TEST_F(MergeWindowTest, OpeningABoxWithASyncConflictCopyAsksAndJaMergesIt) {
  const std::string box = writeBox("Vokabeln.trm", kOurs);
  const std::string copy = writeBox(kCopy, kTheirs);
  wxTEST_DIALOG(start(box), tExpectBox(wxString::FromUTF8(kOneCopy), "Achtung", kYesNo, wxID_YES),
                summaryBox(nothingDeleted(copy)));
  EXPECT_EQ(inFile(box), kMerged);
  EXPECT_FALSE(window_->modified());
  EXPECT_EQ(status(0), "Fach: 1 Gesamt: 3");
  EXPECT_EQ(label(ID_QUESTION), "Tisch");
  EXPECT_NE(access(copy.c_str(), F_OK), 0) << "moved into the backups";
  // Nothing left to ask about when the window comes back to the front.
  activate();
}

TEST_F(MergeWindowTest, NeinLeavesBoxAndCopyAndIsNotAskedAgainUntilANewCopyComes) {
  const std::string box = writeBox("Vokabeln.trm", kOurs);
  const std::string copy = writeBox(kCopy, kTheirs);
  wxTEST_DIALOG(start(box), tExpectBox(wxString::FromUTF8(kOneCopy), "Achtung", kYesNo, wxID_NO));
  EXPECT_EQ(status(0), "Fach: 1 Gesamt: 2");
  EXPECT_FALSE(window_->modified());
  EXPECT_EQ(access(copy.c_str(), F_OK), 0);
  activate();  // the same copy: no question
  activate();
  // Another computer's copy arrives while termel is in the background.
  writeBox("Vokabeln (conflicted copy 2026-12-06 090000).trm", kTheirs);
  theCardBox.clearAll();
  wxTEST_DIALOG(activate(),
                tExpectBox(wxString::FromUTF8("Für diese Kartei gibt es 2 Konfliktkopien (von "
                                              "einem anderen Rechner). Jetzt zusammenführen?"),
                           "Achtung", kYesNo, wxID_NO));
  EXPECT_EQ(inFile(box), kOursInFile);
}

TEST_F(MergeWindowTest, MenuMergesAChosenFileAndEveryCancelKeepsTheBox) {
  const std::string box = writeBox("Vokabeln.trm", kOurs);
  const std::string other = writeBox("Laptop.trm", kTheirs);
  start(box);
  EXPECT_TRUE(menuEnabled(CM_ZUSAMMENFUEHREN));
  // Abbrechen in the file dialog.
  wxTEST_DIALOG(menu(CM_ZUSAMMENFUEHREN),
                tExpectFile("", {wxString::FromUTF8("Zusammenführen"), "Termeln (*.trm)|*.trm", "",
                                 wxString(), wxFD_OPEN | wxFD_FILE_MUST_EXIST}));
  EXPECT_EQ(status(0), "Fach: 1 Gesamt: 2");
  // The box itself, by another name, is refused.
  const std::string link = path("Verknüpfung.trm");
  std::filesystem::create_symlink(box, link);
  wxTEST_DIALOG(menu(CM_ZUSAMMENFUEHREN), tExpectFile(wxString::FromUTF8(link)),
                tExpectError({"Die Datei " + link +
                              " ist die Kartei selbst; eine Kartei kann nicht mit sich selbst "
                              "zusammengeführt werden."}));
  EXPECT_FALSE(window_->modified());
  // A file that is no card file is reported with its name and merges nothing.
  const std::string notes = path("Notizen.trm");
  {
    std::FILE* f = std::fopen(notes.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputs(
        "\xEF\xBB\xBF"
        "Einkaufsliste: Milch, Brot\r\n",
        f);
    std::fclose(f);
  }
  wxTEST_DIALOG(menu(CM_ZUSAMMENFUEHREN), tExpectFile(wxString::FromUTF8(notes)),
                tExpectError({"Die Datei " + notes + " ist keine Kartei."}));
  EXPECT_EQ(status(0), "Fach: 1 Gesamt: 2");
  EXPECT_FALSE(window_->modified());
  // Nein to overwriting a box another program changed: nothing merged, nothing moved.
  std::filesystem::copy_file(box, box + ".neu");
  std::filesystem::rename(box + ".neu", box);
  wxTEST_DIALOG(menu(CM_ZUSAMMENFUEHREN), tExpectFile(wxString::FromUTF8(other)),
                tExpectBox(wxString::FromUTF8("Die Datei " + box +
                                              " wurde inzwischen von einem anderen Programm "
                                              "geändert. Trotzdem überschreiben?"),
                           "Achtung", wxYES_NO | wxNO_DEFAULT | wxICON_NONE, wxID_NO),
                tExpectError({"nichts wurde zusammengeführt"}));
  EXPECT_EQ(status(0), "Fach: 1 Gesamt: 2");
  EXPECT_FALSE(window_->modified());
  EXPECT_EQ(access(other.c_str(), F_OK), 0);
  // Ja to it: merged and saved; the box was made from another version than the one now
  // on disk, so nothing is deleted. The chosen file is no conflict copy of the box: it
  // stays where it is, as it was.
  const std::string otherBytes = readBytes(other);
  wxTEST_DIALOG(menu(CM_ZUSAMMENFUEHREN), tExpectFile(wxString::FromUTF8(other)),
                tExpectBox(wxString::FromUTF8("Die Datei " + box +
                                              " wurde inzwischen von einem anderen Programm "
                                              "geändert. Trotzdem überschreiben?"),
                           "Achtung", wxYES_NO | wxNO_DEFAULT | wxICON_NONE, wxID_YES),
                summaryBox(std::string(kMergedSummary) +
                           "\n\nDie Kartei wurde seit dem Öffnen geändert; beim Zusammenführen "
                           "mit " +
                           other + " wurde darum keine Karte gelöscht."));
  EXPECT_EQ(inFile(box), kMerged);
  EXPECT_EQ(readBytes(other), otherBytes);
}

TEST_F(MergeWindowTest, ABoxThatCannotBeReadIsNotOfferedItsCopies) {
  const std::string box = path("Kaputt.trm");
  {
    std::FILE* f = std::fopen(box.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputs("kein dBASE\r\n", f);
    std::fclose(f);
  }
  const std::string copy = writeBox("Kaputt.sync-conflict-20261205-181512-LAPTOP7.trm", kTheirs);
  wxTEST_DIALOG(start(box), tExpectError({"Die Datei " + box + " ist keine Kartei."}));
  activate();
  EXPECT_EQ(access(copy.c_str(), F_OK), 0);
  EXPECT_EQ(status(0), "Fach: 0 Gesamt: 0");
}
