// The German message boxes and the file dialogs of the training window.
#include "app/file_dialogs.h"

#include <gtk/gtk.h>
#include <wx/dcscreen.h>
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/msgdlg.h>
#include <wx/settings.h>
#include <wx/tokenzr.h>

#include "app/haupt_fenster.h"
#include "dialogs/import_summary_dialog.h"
#include "dialogs/wx_text.h"

namespace {

const char kFileLine[] = "\nDatei: ";

// "Enthält die erste Zeile Spaltennamen (etwa „Deutsch“ und „Englisch“)?..."
const char kHeaderQuestion[] =
    "Enth\xC3\xA4lt die erste Zeile Spaltennamen (etwa \xE2\x80\x9E"
    "Deutsch\xE2\x80\x9C und \xE2\x80\x9E"
    "Englisch\xE2\x80\x9C)?\n"
    "Mit \xE2\x80\x9EJa\xE2\x80\x9C wird sie nicht als Karte \xC3\xBC"
    "bernommen.";
const char kMoreNotes[] = "\xE2\x80\xA6 und %d weitere Meldungen";
// Characters of a note shown in the list.
constexpr size_t kShownWidth = 200;
// What a window manager's title bar takes besides the caption: icon and buttons.
constexpr int kTitleBarExtras = 140;

// The filter entries of a wildcard "Name|pattern|Name|pattern".
wxArrayString patternsOf(const wxString& wildcard) {
  const wxArrayString parts = wxStringTokenize(wildcard, "|", wxTOKEN_RET_EMPTY_ALL);
  wxArrayString patterns;
  for (size_t i = 1; i < parts.size(); i += 2) patterns.push_back(parts[i]);
  return patterns;
}

// ".csv" for the filter "*.csv", nothing for "*.*".
std::string extensionOf(const wxString& pattern) {
  if (!pattern.StartsWith("*.") || pattern.find_first_of("*?", 1) != wxString::npos) return "";
  return pattern.Mid(1).ToStdString();
}

bool hasExtension(const std::string& path) {
  const size_t dot = path.rfind('.');
  const size_t slash = path.rfind('/');
  // A leading dot names a hidden file and is no extension.
  return dot != std::string::npos && dot > (slash == std::string::npos ? 0 : slash + 1);
}

wxString& lastFolderChosen() {
  static wxString folder;
  return folder;
}

}  // namespace

wxString startFolder() {
  if (!currentFileName.empty()) return wxFileName(shownPath(currentFileName)).GetPath();
  return lastFolder();
}

wxString lastFolder() {
  return lastFolderChosen();
}

void setLastFolder(const wxString& folder) {
  lastFolderChosen() = folder;
}

int showGerman(wxMessageDialog& box) {
  // GTK labels its stock buttons in the desktop's language; the program speaks German
  // whatever that is.
  box.SetYesNoLabels("&Ja", "&Nein");
  box.SetOKCancelLabels("OK", "Abbrechen");
  // GTK sizes a message box by its text alone, and a short question would show its
  // caption cut off ("A...g"). The box exists only once it runs, so it is widened then.
  wxScreenDC screen;
  screen.SetFont(wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT).Bold());
  const int width = screen.GetTextExtent(box.GetTitle()).x;
  box.CallAfter([&box, width] {
    if (box.GetHandle() != nullptr)
      gtk_widget_set_size_request(box.GetHandle(), width + kTitleBarExtras, -1);
  });
  return box.ShowModal();
}

int ask(wxWindow* owner, const wxString& text, const wxString& caption, long style) {
  wxMessageDialog box(owner, text, caption, style);
  return showGerman(box);
}

int askOkCancel(wxWindow* owner, const wxString& text) {
  return ask(owner, text, "Warnung", wxOK | wxCANCEL | wxICON_QUESTION);
}

int askOkCancelDefaultCancel(wxWindow* owner, const wxString& text) {
  return ask(owner, text, "Warnung", wxOK | wxCANCEL | wxCANCEL_DEFAULT | wxICON_QUESTION);
}

int askYesNo(wxWindow* owner, const wxString& text) {
  return ask(owner, text, "Achtung", wxYES_NO | wxICON_NONE);
}

int askYesNoDefaultNo(wxWindow* owner, const wxString& text) {
  return ask(owner, text, "Achtung", wxYES_NO | wxNO_DEFAULT | wxICON_NONE);
}

void warn(wxWindow* owner, const wxString& text) {
  ask(owner, text, "Achtung", wxOK | wxICON_WARNING);
}

wxString shownPath(const std::string& path) {
  return wxString(path.c_str(), *wxConvFileName);
}

std::string pathBytes(const wxString& path) {
  const wxScopedCharBuffer bytes = path.fn_str();
  return std::string(bytes.data(), bytes.length());
}

bool choosePath(wxFileDialog& dialog, std::string* path) {
  if (dialog.ShowModal() != wxID_OK) return false;
  *path = pathBytes(dialog.GetPath());
  if (!path->empty()) setLastFolder(wxFileName(dialog.GetPath()).GetPath());
  return !path->empty();
}

// GTK hands a name left as a pattern such as "*.trm" back as a file name instead of
// applying it as a filter, which would write a file called "*.trm".
bool chooseSavePath(wxWindow* owner, const wxString& title, const wxString& name,
                    const wxString& wildcard, std::string* path, int* filterIndex) {
  for (;;) {
    wxFileDialog dialog(owner, title, startFolder(), name, wildcard,
                        wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
    if (!choosePath(dialog, path)) return false;
    if (filterIndex != nullptr) *filterIndex = dialog.GetFilterIndex();
    if (dialog.GetFilename().find_first_of("*?") == wxString::npos) return true;
  }
}

bool chooseWordListToImport(wxWindow* owner, std::string* path, tWordListOptions* options) {
  const wxString wildcard = wordListImportFilter();
  wxFileDialog dialog(owner, "Wortliste importieren", startFolder(), wxString(), wildcard,
                      wxFD_OPEN | wxFD_FILE_MUST_EXIST);
  // Every word list in sight at first: "Alle (*.*)" is the last filter.
  dialog.SetFilterIndex(static_cast<int>(patternsOf(wildcard).size()) - 1);
  if (!choosePath(dialog, path)) return false;
  if (!firstLineMayNameColumns(path->c_str())) return true;
  switch (ask(owner, wxString::FromUTF8(kHeaderQuestion), "Wortliste importieren",
              wxYES_NO | wxCANCEL | wxNO_DEFAULT | wxICON_QUESTION)) {
    case wxID_YES:
      options->firstLineNamesColumns = true;
      return true;
    case wxID_NO:
      options->firstLineNamesColumns = false;
      return true;
    default:
      return false;
  }
}

bool chooseWordListToExport(wxWindow* owner, std::string* path) {
  const wxString wildcard = wordListFileFilter();
  int filter = 0;
  if (!chooseSavePath(owner, "Wortliste exportieren", wxString(), wildcard, path, &filter)) {
    return false;
  }
  const wxArrayString patterns = patternsOf(wildcard);
  if (!hasExtension(*path) && filter >= 0 && static_cast<size_t>(filter) < patterns.size()) {
    *path += extensionOf(patterns[static_cast<size_t>(filter)]);
  }
  return true;
}

tWordListReporter tImportNotes::reporter() {
  return [this](int, const char* caption, const char* text, int line) {
    if (notes_.size() < kShown) {
      notes_.push_back(wordListNote(caption, text, line));
    } else {
      ++more_;
    }
  };
}

void tImportNotes::show(wxWindow* owner, const std::string& path,
                        const tImportResult& result) const {
  // A .txt list read by its tabs is worth telling even when every line came in.
  const bool readByTabs =
      result.separator != 0 && wordListFormatOf(path.c_str()) == tWordListFormat::kText;
  if (notes_.empty() && result.replaced == 0 && result.joined == 0 && !readByTabs) return;
  wxArrayString rows;
  for (const std::string& note : notes_) {
    // A line of thousands of characters would only widen the list.
    rows.push_back(toWx(note.size() > kShownWidth ? note.substr(0, kShownWidth) + "..." : note));
  }
  if (more_ > 0) rows.push_back(wxString::Format(wxString::FromUTF8(kMoreNotes), more_));
  tImportSummaryDialog dialog(owner, toWx(importSummaryText(result)) + kFileLine + shownPath(path),
                              rows);
  dialog.ShowModal();
}
