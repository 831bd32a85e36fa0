// "Lernverlauf" from the training window: answers given with real keys on two days
// (the journal's clock set by the test) show up per day, in a row and in the archive
// count; a take-back takes its answer out again.
#include <wx/bitmap.h>
#include <wx/dcmemory.h>
#include <wx/image.h>
#include <wx/listctrl.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "dialog_test.h"
#include "dialogs/answer_chart.h"
#include "dialogs/history_dialog.h"
#include "kartei/learning_journal.h"
#include "main_frame_fixture.h"
#include "raised_dialog.h"

namespace {

std::time_t clockNow = 0;
std::time_t testClock() {
  return clockNow;
}

std::time_t december(int day, int hour) {
  std::tm local{};
  local.tm_year = 2026 - 1900;
  local.tm_mon = 11;
  local.tm_mday = day;
  local.tm_hour = hour;
  local.tm_isdst = -1;
  return std::mktime(&local);
}

// Pixels of colour down the middle of each day's slot of the chart, below the legend.
std::vector<int> barHeights(const tLearningFigures& figures, const wxColour& colour) {
  const wxSize size(600, 240);
  wxBitmap bitmap(size, 24);
  {
    wxMemoryDC dc(bitmap);
    drawAnswerChart(dc, wxRect(size), figures);
  }
  const wxImage image = bitmap.ConvertToImage();
  std::vector<int> heights;
  for (int day = 0; day < tLearningFigures::kDays; ++day) {
    const wxRect slot = answerSlot(wxRect(size), day);
    const int x = slot.x + slot.width / 2;
    int height = 0;
    for (int y = size.y / 4; y < size.y; ++y) {
      height += image.GetRed(x, y) == colour.Red() && image.GetGreen(x, y) == colour.Green() &&
                image.GetBlue(x, y) == colour.Blue();
    }
    heights.push_back(height);
  }
  return heights;
}

class HistoryWindowTest : public MainFrameTest {
 protected:
  void SetUp() override {
    MainFrameTest::SetUp();
    setJournalClock(testClock);
  }
  void TearDown() override {
    setJournalClock(nullptr);
    MainFrameTest::TearDown();
  }

  // Answers the card shown: Enter to see it, then Enter (known) or Esc (unknown).
  void answer(bool known) {
    press(WXK_RETURN);
    press(known ? WXK_RETURN : WXK_ESCAPE);
  }
};

TEST_F(HistoryWindowTest, TwentyAnswersOnTwoDaysShowBothDays) {
  std::vector<tBoxCard> cards;
  for (int i = 0; i < 15; ++i) cards.push_back({1, "Wort" + std::to_string(i), "word"});
  start(writeBox("box.trm", cards));
  clockNow = december(6, 10);
  for (int i = 0; i < 10; ++i) answer(i % 4 != 0);  // 7 known, 3 unknown
  clockNow = december(7, 9);
  for (int i = 0; i < 9; ++i) answer(true);
  answer(false);
  press('Z', wxMOD_CONTROL);  // the unknown one is taken back ...
  answer(true);               // ... and answered again, known
  clockNow = december(7, 20);
  wxTEST_DIALOG(menu(CM_LERNVERLAUF), tRaised<tHistoryDialog>([](tHistoryDialog* dialog) {
                  EXPECT_EQ(u8(dialog->GetTitle()), "Lernverlauf");
                  const tLearningFigures& figures = dialog->figures();
                  const auto& days = figures.days;
                  EXPECT_EQ(days[28].date, "06.12.");
                  EXPECT_EQ(days[28].known, 7);
                  EXPECT_EQ(days[28].unknown, 3);
                  EXPECT_EQ(days[29].date, "07.12.");
                  EXPECT_EQ(days[29].known, 10);
                  EXPECT_EQ(days[29].unknown, 0);
                  const std::vector<int> known = barHeights(figures, kKnownColour);
                  const std::vector<int> unknown = barHeights(figures, kUnknownColour);
                  EXPECT_GT(known[29], known[28]);
                  EXPECT_GT(unknown[28], 0);
                  EXPECT_EQ(unknown[29], 0);
                  for (int day = 0; day < 28; ++day) EXPECT_EQ(known[day] + unknown[day], 0);
                  EXPECT_EQ(u8(guitest::labelOf(dialog, tHistoryDialog::ID_STREAK)), "2");
                  EXPECT_EQ(u8(guitest::labelOf(dialog, tHistoryDialog::ID_LEARNING_DAYS)), "2");
                  auto* weeks =
                      dynamic_cast<wxListCtrl*>(dialog->FindWindow(tHistoryDialog::ID_WEEKS));
                  EXPECT_EQ(u8(weeks->GetItemText(0, 0)), "07.12.2026");
                  EXPECT_EQ(u8(weeks->GetItemText(0, 1)), "0");
                  EXPECT_EQ(weeks->GetItemCount(), tLearningFigures::kWeeks);
                  EXPECT_TRUE(guitest::waitFor([&] { return dialog->IsActive(); }));
                  dialogtest::pressKey(WXK_ESCAPE);
                  return dialogtest::resultOf(dialog);
                }));
}

TEST_F(HistoryWindowTest, ABoxWithoutFileShowsAnEmptyHistoryAndACardReachingTheArchiveCounts) {
  start();
  wxTEST_DIALOG(menu(CM_LERNVERLAUF), tRaised<tHistoryDialog>([](tHistoryDialog* dialog) {
                  EXPECT_EQ(dialog->figures().learningDays, 0);
                  EXPECT_EQ(u8(guitest::labelOf(dialog, tHistoryDialog::ID_STREAK)), "0");
                  return wxID_CANCEL;
                }));
  stop();
  start(writeBox("box.trm", {{6, "fast", "almost"}}));
  clockNow = december(3, 10);  // Thursday of the week before
  answer(true);
  wxTEST_DIALOG(menu(CM_LERNVERLAUF), tRaised<tHistoryDialog>([](tHistoryDialog* dialog) {
                  auto* weeks =
                      dynamic_cast<wxListCtrl*>(dialog->FindWindow(tHistoryDialog::ID_WEEKS));
                  EXPECT_EQ(u8(weeks->GetItemText(0, 0)), "30.11.2026");
                  EXPECT_EQ(u8(weeks->GetItemText(0, 1)), "1");
                  EXPECT_EQ(u8(guitest::labelOf(dialog, tHistoryDialog::ID_STREAK)), "1");
                  return wxID_CANCEL;
                }));
}

TEST_F(HistoryWindowTest, SavedUnderANewNameTheBoxTakesItsHistoryAlong) {
  const std::string old = writeBox("alt.trm", {{1, "A", "a"}, {1, "B", "b"}, {1, "C", "c"}});
  start(old);
  clockNow = december(7, 9);
  answer(true);
  const std::string renamed = path("neu.trm");
  wxTEST_DIALOG(menu(CM_SICHERN_ALS), tExpectFile(renamed));
  ASSERT_EQ(currentFileName, renamed);
  answer(false);
  const auto answers = [](const tLearningFigures& figures) {
    const tLearningFigures::Day& today = figures.days.back();
    return std::to_string(today.known) + "/" + std::to_string(today.unknown);
  };
  wxTEST_DIALOG(menu(CM_LERNVERLAUF), tRaised<tHistoryDialog>([&](tHistoryDialog* dialog) {
                  EXPECT_EQ(answers(dialog->figures()), "1/1");
                  return wxID_CANCEL;
                }));
  EXPECT_EQ(answers(tLearningJournal::forBox(old).figures(clockNow)), "1/0")
      << "the box under the old name keeps its own history";
}

TEST_F(HistoryWindowTest, AJournalThatCannotBeWrittenIsReportedOnceAndTheDrillGoesOn) {
  const std::string dataHome = std::getenv("XDG_DATA_HOME");
  const std::string blocked = path("blocked");
  std::FILE* file = std::fopen(blocked.c_str(), "w");
  ASSERT_NE(file, nullptr);
  std::fclose(file);
  setenv("XDG_DATA_HOME", blocked.c_str(), 1);
  start(writeBox("box.trm", {{1, "A", "a"}, {1, "B", "b"}, {1, "C", "c"}}));
  clockNow = december(7, 9);
  press(WXK_RETURN);
  wxTEST_DIALOG(press(WXK_RETURN), tExpectError({"Der Lernverlauf kann nicht geschrieben werden: ",
                                                 "/blocked/termel/history/box-",
                                                 "Sein Ordner kann nicht angelegt werden."}));
  answer(false);  // no second message
  EXPECT_EQ(frontsIn(1), (std::vector<std::string>{"C", "B"}));
  EXPECT_EQ(frontsIn(2), std::vector<std::string>{"A"});
  setenv("XDG_DATA_HOME", dataHome.c_str(), 1);
}

}  // namespace
