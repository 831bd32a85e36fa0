// The message boxes and file dialogs of the training window's commands. They speak
// German whatever the desktop's language, hand paths over as the file system's bytes,
// and for word lists let the dialog's filter and the chosen name's extension decide
// the format. Every function shows its dialog modally, owned by owner.
#ifndef TERMEL_APP_FILE_DIALOGS_H_
#define TERMEL_APP_FILE_DIALOGS_H_

#include <wx/string.h>

#include <string>
#include <vector>

#include "wordlists/card_intake.h"
#include "wordlists/word_list_format.h"

class wxFileDialog;
class wxMessageDialog;
class wxWindow;

// Shows box with German button labels; its result.
int showGerman(wxMessageDialog& box);
int ask(wxWindow* owner, const wxString& text, const wxString& caption, long style);
// OK and Cancel, captioned "Warnung".
int askOkCancel(wxWindow* owner, const wxString& text);
// The same for a question whose OK throws cards away: Abbrechen is the default button.
int askOkCancelDefaultCancel(wxWindow* owner, const wxString& text);
// Yes and No, captioned "Achtung".
int askYesNo(wxWindow* owner, const wxString& text);
// The same for a question whose Ja gives up data: Nein is the default button, so an
// Enter pressed out of habit loses nothing.
int askYesNoDefaultNo(wxWindow* owner, const wxString& text);
// OK with a warning sign, captioned "Achtung".
void warn(wxWindow* owner, const wxString& text);

// A path as the file system knows it (bytes), readable in a message or a menu, and
// back.
wxString shownPath(const std::string& path);
std::string pathBytes(const wxString& path);

// File dialogs start in the open box's folder (that of currentFileName), else in the
// folder a file was last chosen in, which choosePath keeps and the settings remember.
wxString startFolder();
wxString lastFolder();
void setLastFolder(const wxString& folder);

// Runs the dialog; on OK, *path gets the chosen path as the bytes the file system
// knows it by, whatever its length. A dialog that hands back no path counts as
// cancelled.
bool choosePath(wxFileDialog& dialog, std::string* path);
// A save dialog, shown again while the name field holds a pattern such as "*.trm".
// Choosing a file that exists asks whether to replace it.
// *filterIndex, when given, gets the filter chosen.
bool chooseSavePath(wxWindow* owner, const wxString& title, const wxString& name,
                    const wxString& wildcard, std::string* path, int* filterIndex = nullptr);

// "Wortliste importieren": the file, and for CSV and tab-separated files without header
// lines whether their first line names the columns. False when the learner cancelled
// either.
bool chooseWordListToImport(wxWindow* owner, std::string* path, tWordListOptions* options);
// "Wortliste exportieren": a name without extension gets the one of the chosen filter.
bool chooseWordListToExport(wxWindow* owner, std::string* path);

// Collects what an import reports, line by line, and shows it at the end in the
// import summary: a file can refuse thousands of lines.
class tImportNotes {
 public:
  static constexpr size_t kShown = 5000;  // notes listed; the rest are counted

  tWordListReporter reporter();
  // The summary with the notes; nothing when there is nothing to tell beyond the
  // cards added, which the status bar shows.
  void show(wxWindow* owner, const std::string& path, const tImportResult& result) const;

 private:
  std::vector<std::string> notes_;  // code page 1252
  int more_ = 0;                    // notes beyond kShown
};

#endif  // TERMEL_APP_FILE_DIALOGS_H_
