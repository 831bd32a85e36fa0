// The box overview: the figures it shows, and the chart's bars measured in a bitmap.
#include <wx/listctrl.h>
#include <wx/settings.h>

#include <string>
#include <vector>

#include "box/box_stats.h"
#include "box/card_box.h"
#include "chart_probe.h"
#include "dialog_test.h"
#include "dialogs/answer_chart.h"
#include "dialogs/box_chart.h"
#include "dialogs/overview_dialog.h"

template <>
class wxExpectModal<tOverviewDialog> : public tDriveDialog<tOverviewDialog> {
  using tDriveDialog::tDriveDialog;
};

namespace {

class OverviewDialogTest : public testing::Test {
 protected:
  void SetUp() override { dialogtest::resetBox(); }
  void TearDown() override { dialogtest::resetBox(); }
};

tBoxStats statsWithCounts(const std::vector<int32_t>& counts) {
  tBoxStats stats;
  const int32_t thresholds[] = {10, 20, 40, 80, 160, 320};
  for (int k = 0; k < tBoxStats::kLearning; ++k) stats.thresholds[k] = thresholds[k];
  for (size_t k = 0; k < counts.size(); ++k) {
    stats.counts[k] = counts[k];
    stats.cards += counts[k];
  }
  return stats;
}

std::vector<std::string> row(wxListCtrl* list, long item) {
  std::vector<std::string> cells;
  for (int column = 0; column < list->GetColumnCount(); ++column) {
    cells.push_back(u8(list->GetItemText(item, column)));
  }
  return cells;
}

}  // namespace

TEST(BoxChartTest, BarsGrowWithTheCountsAndWithTheArea) {
  const tBoxStats stats = statsWithCounts({5, 12, 0, 30, 1, 0, 24});
  const std::vector<int> heights = barHeights(stats, wxSize(700, 300));
  EXPECT_EQ(heights[2], 0);
  EXPECT_EQ(heights[5], 0);
  EXPECT_GT(heights[4], 0) << "one card still shows";
  EXPECT_LT(heights[4], heights[0]);
  EXPECT_LT(heights[0], heights[1]);
  EXPECT_LT(heights[1], heights[6]);
  EXPECT_LT(heights[6], heights[3]);
  // Heights are proportional to the counts, within a pixel or two of rounding.
  EXPECT_NEAR(heights[3], 6 * heights[0], 6);
  EXPECT_NEAR(2 * heights[6], 4 * heights[1], 4);

  const std::vector<int> larger = barHeights(stats, wxSize(900, 600));
  EXPECT_NEAR(larger[3], 2 * heights[3], 2 * 30) << "the chart scales with its area";
  EXPECT_GT(larger[0], heights[0]);
}

TEST(BoxChartTest, SmallBoxAndEmptyBoxDraw) {
  // The scale never falls below the first threshold, so one card is no full-height bar.
  const std::vector<int> one = barHeights(statsWithCounts({1}), wxSize(700, 300));
  const std::vector<int> ten = barHeights(statsWithCounts({10}), wxSize(700, 300));
  EXPECT_GT(one[0], 0);
  EXPECT_NEAR(10 * one[0], ten[0], 10);
  for (int height : barHeights(statsWithCounts({}), wxSize(700, 300))) EXPECT_EQ(height, 0);
  // A chart squeezed to almost nothing must not draw outside or fail.
  for (int height : barHeights(statsWithCounts({3, 4}), wxSize(10, 10))) EXPECT_LE(height, 10);
}

TEST_F(OverviewDialogTest, ShowsTotalsAndTheMostMissedCards) {
  // Code page 1252: "Straße", "„Haus“", "house – home".
  dialogtest::addCard(1,
                      "Stra\xDF"
                      "e",
                      "street", 1, 7);
  dialogtest::addCard(1, "Baum", "tree", 0, 0);
  dialogtest::addCard(2, "\x84Haus\x93", "house \x96 home", 2, 3);
  dialogtest::addCard(7, "gehen", "(to) go", 9, 1);
  int result = 0;
  wxTEST_DIALOG(
      result = runOverviewDialog(nullptr),
      wxExpectModal<tOverviewDialog>([](tOverviewDialog* dialog) {
        EXPECT_EQ(u8(dialog->GetTitle()), "Übersicht");
        const int32_t counts[] = {2, 1, 0, 0, 0, 0, 1};
        for (int k = 0; k < 7; ++k) EXPECT_EQ(dialog->stats().counts[k], counts[k]);
        EXPECT_EQ(u8(guitest::labelOf(dialog, tOverviewDialog::ID_CARDS)), "4");
        EXPECT_EQ(u8(guitest::labelOf(dialog, tOverviewDialog::ID_KNOWN)), "12");
        EXPECT_EQ(u8(guitest::labelOf(dialog, tOverviewDialog::ID_UNKNOWN)), "11");
        EXPECT_EQ(u8(guitest::labelOf(dialog, tOverviewDialog::ID_ARCHIVE_SHARE)), "25 %");
        auto* list = dynamic_cast<wxListCtrl*>(dialog->FindWindow(tOverviewDialog::ID_MOST_MISSED));
        EXPECT_EQ(list->GetItemCount(), 3) << "a card never missed is left out";
        EXPECT_EQ(row(list, 0), (std::vector<std::string>{"Straße", "street", "1", "7"}));
        EXPECT_EQ(row(list, 1), (std::vector<std::string>{"„Haus“", "house – home", "2", "3"}));
        EXPECT_EQ(row(list, 2), (std::vector<std::string>{"gehen", "(to) go", "9", "1"}));
        EXPECT_EQ(u8(guitest::labelOf(dialog, wxID_CANCEL)), "Schließen");
        return wxID_CANCEL;
      }));
  EXPECT_EQ(result, wxID_CANCEL);
}

TEST_F(OverviewDialogTest, ChartGrowsWithTheDialog) {
  for (int i = 0; i < 30; ++i) dialogtest::addCard(1 + i % 3, "a", "b");
  tOverviewDialog dialog(nullptr, computeBoxStats(theCardBox));
  ASSERT_TRUE(dialog.loaded());
  dialog.Show();
  wxWindow* chart = dialog.FindWindow(tOverviewDialog::ID_CHART);
  ASSERT_NE(chart, nullptr);
  const wxSize before = chart->GetSize();
  dialog.SetSize(dialog.GetSize() + wxSize(200, 200));
  dialog.Layout();
  guitest::yield(50);
  EXPECT_GT(chart->GetSize().x, before.x);
  EXPECT_GT(chart->GetSize().y, before.y);
}

TEST(BoxChartTest, ThresholdNumbersStayAboveTheAxis) {
  // A full first compartment puts the low thresholds just above the bars' feet.
  const wxSize size(560, 220);
  wxBitmap bitmap(size, 24);
  {
    wxMemoryDC dc(bitmap);
    drawBoxChart(dc, wxRect(size), statsWithCounts({549, 1}));
  }
  const wxImage image = bitmap.ConvertToImage();
  // The axis: the row most covered by the text colour.
  const wxColour text = wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOWTEXT);
  int axis = 0;
  int longest = 0;
  for (int y = 0; y < size.y; ++y) {
    int run = 0;
    for (int x = 0; x < size.x; ++x) {
      run += image.GetRed(x, y) == text.Red() && image.GetGreen(x, y) == text.Green() &&
             image.GetBlue(x, y) == text.Blue();
    }
    if (run > longest) {
      longest = run;
      axis = y;
    }
  }
  ASSERT_GT(longest, size.x / 2);
  int reddishBelow = 0;
  for (int y = axis; y < size.y; ++y) {
    for (int x = 0; x < size.x; ++x) {
      reddishBelow +=
          image.GetRed(x, y) > 120 && image.GetGreen(x, y) < 110 && image.GetBlue(x, y) < 110;
    }
  }
  EXPECT_EQ(reddishBelow, 0) << "a threshold drawn over or below the axis at row " << axis;
}

TEST(BoxChartTest, ThresholdNumbersKeepClearOfTheCounts) {
  const std::vector<std::vector<int32_t>> boxes = {
      {}, {0, 20, 40}, {10, 20, 40, 80, 160, 320, 5}, {123456, 98765, 4321, 0, 0, 0, 99999}};
  for (const auto& counts : boxes) {
    for (wxSize size : {wxSize(280, 150), wxSize(700, 300)}) {
      SCOPED_TRACE(testing::PrintToString(counts) + " in " + std::to_string(size.x));
      wxBitmap bitmap(size, 24);
      wxMemoryDC dc(bitmap);
      const tChartLayout layout = layOutBoxChart(dc, wxRect(size), statsWithCounts(counts));
      for (const wxRect& threshold : layout.thresholdLabels) {
        for (const wxRect& count : layout.counts) EXPECT_FALSE(threshold.Intersects(count));
      }
    }
  }
}

TEST_F(OverviewDialogTest, MostMissedListKeepsEveryColumnInViewWhenItScrolls) {
  for (int i = 0; i < 25; ++i) {
    dialogtest::addCard(1, ("Wort " + std::to_string(i)).c_str(), "word", i, 30 + i * 40000);
  }
  tOverviewDialog dialog(nullptr, computeBoxStats(theCardBox));
  ASSERT_TRUE(dialog.loaded());
  dialog.Show();
  ASSERT_TRUE(guitest::waitFor([&] { return dialog.IsShownOnScreen(); }));
  auto* list = dynamic_cast<wxListCtrl*>(dialog.FindWindow(tOverviewDialog::ID_MOST_MISSED));
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(list->GetItemCount(), 20);
  for (wxSize grow : {wxSize(0, 0), wxSize(250, 100)}) {
    dialog.SetSize(dialog.GetSize() + grow);
    guitest::yield(200);
    SCOPED_TRACE(list->GetClientSize().x);
    // "Unbekannt" holds its heading and its widest count in full.
    EXPECT_GT(list->GetColumnWidth(3), list->GetTextExtent("Unbekannt").x);
    EXPECT_GT(list->GetColumnWidth(3), list->GetTextExtent("960030").x);
    int widths = 0;
    for (int column = 0; column < list->GetColumnCount(); ++column) {
      EXPECT_GE(list->GetColumnWidth(column), list->GetTextExtent("Wort 00").x);
      widths += list->GetColumnWidth(column);
    }
    EXPECT_LE(widths, list->GetClientSize().x);
    // The rows' window below the headings carries the scroll bar: the counts stand
    // inside it, not under the bar.
    wxWindow* rows = list->GetChildren().front();
    for (wxWindow* child : list->GetChildren()) {
      if (child->GetSize().y > rows->GetSize().y) rows = child;
    }
    wxRect cell;
    ASSERT_TRUE(list->GetSubItemRect(0, 3, cell));
    EXPECT_LE(cell.GetRight(), rows->GetClientSize().x);
    EXPECT_GE(widths, list->GetClientSize().x - 30) << "the texts use the room there is";
  }
}

// What a screen reader and the tooltip give instead of the bars.
TEST(ChartTextTest, FiguresReadAsText) {
  const wxString boxText = boxChartText(statsWithCounts({1, 12, 0, 0, 0, 0, 24}));
  EXPECT_EQ(u8(boxText.BeforeFirst(',')), "1. Fach: 1 Karte (Grenze 10)");
  EXPECT_TRUE(boxText.Contains("2. Fach: 12 Karten (Grenze 20)"));
  EXPECT_TRUE(boxText.EndsWith("Ablage: 24 Karten"));

  tLearningFigures figures;
  EXPECT_EQ(u8(answerChartText(figures)), "Keine Antworten in den letzten 30 Tagen");
  figures.days[3] = {"04.03.", 5, 0};
  figures.days[29] = {"30.03.", 0, 2};
  EXPECT_EQ(u8(answerChartText(figures)),
            "04.03.: 5 gewusst, 0 unbekannt; 30.03.: 0 gewusst, 2 unbekannt");
}
