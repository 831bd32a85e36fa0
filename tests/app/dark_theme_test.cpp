// Under a dark desktop theme every text stays readable: the windows are shot from the
// screen and each text's colour is measured against the background it is drawn on.
// Registered to run with GTK_THEME=Adwaita:dark.
#include <wx/html/htmlwin.h>
#include <wx/listctrl.h>
#include <wx/settings.h>
#include <wx/uiaction.h>

#include <gtk/gtk.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "app/marked_text.h"
#include "box/box_stats.h"
#include "box/card_box.h"
#include "dialogs/help.h"
#include "dialogs/overview_dialog.h"
#include "dialogs/readable_colour.h"
#include "dialogs/search_dialog.h"
#include "main_frame_fixture.h"

namespace {

// What the screen shows of rect (in screen coordinates).
wxImage shot(const wxRect& rect) {
  GdkPixbuf* pixels = gdk_pixbuf_get_from_window(gdk_get_default_root_window(), rect.x, rect.y,
                                                 rect.width, rect.height);
  wxImage image(rect.width, rect.height);
  if (pixels == nullptr) return image;
  const int channels = gdk_pixbuf_get_n_channels(pixels);
  const int stride = gdk_pixbuf_get_rowstride(pixels);
  const guchar* data = gdk_pixbuf_get_pixels(pixels);
  for (int y = 0; y < rect.height; ++y) {
    for (int x = 0; x < rect.width; ++x) {
      const guchar* p = data + y * stride + x * channels;
      image.SetRGB(x, y, p[0], p[1], p[2]);
    }
  }
  g_object_unref(pixels);
  return image;
}

wxRect onScreen(const wxWindow* window) {
  return wxRect(window->GetScreenPosition(), window->GetSize());
}

std::map<unsigned long, int> colourCounts(const wxImage& image) {
  std::map<unsigned long, int> counts;
  const unsigned char* data = image.GetData();
  const size_t pixels = static_cast<size_t>(image.GetWidth()) * image.GetHeight();
  for (size_t i = 0; i < pixels; ++i) {
    ++counts[(data[3 * i] << 16) | (data[3 * i + 1] << 8) | data[3 * i + 2]];
  }
  return counts;
}

unsigned long commonestOf(std::map<unsigned long, int>& counts) {
  unsigned long commonest = 0;
  for (const auto& [colour, count] : counts) {
    if (count > counts[commonest]) commonest = colour;
  }
  return commonest;
}

// What most of image is drawn in: the background of a text.
wxColour backgroundOf(const wxImage& image) {
  std::map<unsigned long, int> counts = colourCounts(image);
  const unsigned long commonest = commonestOf(counts);
  return wxColour((commonest >> 16) & 255, (commonest >> 8) & 255, commonest & 255);
}

// The contrast of the text in image against its background: the background is the
// commonest colour, the text's colour the one furthest from it in brightness (the
// glyphs' cores; their smoothed edges lie between, stray pixels of borders do not
// count). 1 when nothing is drawn.
double textContrast(const wxImage& image) {
  std::map<unsigned long, int> counts = colourCounts(image);
  const unsigned long commonest = commonestOf(counts);
  const wxColour background((commonest >> 16) & 255, (commonest >> 8) & 255, commonest & 255);
  double best = 1.0;
  for (const auto& [colour, count] : counts) {
    if (count < 3) continue;  // a stray pixel of an edge or a border
    const wxColour text((colour >> 16) & 255, (colour >> 8) & 255, colour & 255);
    best = std::max(best, contrastRatio(text, background));
  }
  return best;
}

wxWindow* htmlWindowIn(wxWindow* window) {
  if (dynamic_cast<wxHtmlWindow*>(window) != nullptr) return window;
  for (wxWindow* child : window->GetChildren()) {
    if (wxWindow* found = htmlWindowIn(child)) return found;
  }
  return nullptr;
}

struct tTextOnScreen {
  const char* what;
  std::function<wxRect()> place;
};

class DarkThemeTest : public MainFrameTest {
 protected:
  void expectReadable(const std::vector<tTextOnScreen>& texts) {
    for (const tTextOnScreen& text : texts) {
      SCOPED_TRACE(text.what);
      const wxRect place = text.place();
      ASSERT_FALSE(place.IsEmpty());
      // Windows just shown may still be drawing.
      double contrast = 1.0;
      guitest::waitFor([&] {
        contrast = textContrast(shot(place));
        return contrast >= kReadableContrast;
      });
      EXPECT_GE(contrast, kReadableContrast);
    }
  }
};

}  // namespace

TEST_F(DarkThemeTest, TheDesktopIsDark) {
  EXPECT_LT(luminance(wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOW)), 0.2)
      << "GTK_THEME=Adwaita:dark was not in force";
}

TEST_F(DarkThemeTest, MainWindowTextsAndTheMarkedAnswerAreReadable) {
  start(writeBox("dunkel.trm", {{2, "Baum", "tree", 3, 0}, {2, "Haus", "house", 1, 1}}));
  menu(CM_ANTWORT_EINTIPPEN);
  wxUIActionSimulator simulator;
  simulator.Text("trex");
  guitest::yield(100);
  press(WXK_RETURN);
  ASSERT_EQ(label(ID_URTEIL), "Falsch");
  const auto* typed = static_cast<tMarkedText*>(window_->FindWindow(ID_GETIPPT));
  ASSERT_EQ(typed->marks(), (std::vector<bool>{false, false, false, true}));
  const auto field = [this](int id) {
    return [this, id] { return onScreen(window_->FindWindow(id)); };
  };
  expectReadable({
      {"question", field(ID_QUESTION)},
      {"answer", field(ID_ANSWER)},
      {"compartment", field(ID_COMPARTMENT)},
      {"verdict", field(ID_URTEIL)},
      // Only the marked letter, the last one, of the centred typed answer, and its
      // underline.
      {"marked letter",
       [typed] {
         const int width = typed->GetTextExtent("trex").x;
         const int before = typed->GetTextExtent("tre").x;
         const wxRect all = onScreen(typed);
         const int left = all.x + (all.width - width) / 2;
         return wxRect(left + before + 1, all.y, width - before - 1, all.height);
       }},
  });
}

void showNow(wxWindow* window) {
  window->Show();
  window->Raise();
  ASSERT_TRUE(guitest::waitFor([window] { return window->IsShownOnScreen(); }));
  guitest::yield(200);
}

// The first row of list id in dialog, on the screen.
std::function<wxRect()> firstRow(wxWindow* dialog, int id) {
  return [dialog, id] {
    auto* list = static_cast<wxListCtrl*>(dialog->FindWindow(id));
    wxRect row;
    list->GetItemRect(0, row);
    return wxRect(list->ClientToScreen(row.GetPosition()), row.GetSize());
  };
}

TEST_F(DarkThemeTest, ListsAreReadable) {
  start(writeBox("listen.trm", {{1, "Baum", "tree", 3, 4}, {7, "Haus", "house", 9, 2}}));
  // Side by side on the screen, together: a window shown after another one closed is
  // not always drawn in time on a desktop without a window manager.
  tOverviewDialog overview(window_, computeBoxStats(theCardBox));
  overview.Move(0, 0);
  tAnswerHistory history(&theCardBox);
  tUndoStack undo(&theCardBox, &history);
  tSearchDialog search(window_, &history, &undo);
  search.Move(overview.GetSize().x, 0);
  showNow(&overview);
  showNow(&search);
  expectReadable({
      {"most missed", firstRow(&overview, tOverviewDialog::ID_MOST_MISSED)},
      // The first row is selected, in the theme's colours of a selection.
      {"found cards", firstRow(&search, tSearchDialog::ID_LIST)},
  });
}

TEST_F(DarkThemeTest, HelpPagesAreDarkAndReadable) {
  start(writeBox("hilfe.trm", {{1, "Baum", "tree", 3, 4}}));
  callHelp(window_, tHelpCommand::Keyword, "Eingabe");
  ASSERT_TRUE(guitest::waitFor([] { return shownHelpPage() == "eingabe.htm"; }));
  wxWindow* help = nullptr;
  for (wxWindow* top : wxTopLevelWindows) {
    if (top->GetLabel().StartsWith("Hilfe")) help = top;
  }
  ASSERT_NE(help, nullptr);
  // Drawn over the main window, not merely asked to be.
  showNow(help);
  expectReadable({{"help page", [help] { return onScreen(htmlWindowIn(help)); }}});
  // Not black on a glaring white sheet: the page is as dark as the desktop.
  const wxRect page = onScreen(htmlWindowIn(help));
  EXPECT_TRUE(guitest::waitFor([&] { return luminance(backgroundOf(shot(page))) < 0.2; }))
      << backgroundOf(shot(page)).GetAsString(wxC2S_HTML_SYNTAX);
  callHelp(nullptr, tHelpCommand::Quit);
}
