// tRecentBoxes: the boxes opened or saved lately, newest first, as the items "&1 name.trm"
// to "&4 ..." of the file menu, above its last separator and "&Beenden"; each item's
// help text is the box's full path. The list is wxWidgets' file history, which on this
// desktop also tells the desktop's list of recent files; the program keeps it in the
// settings file between runs.
//
// The menu given to showIn must outlive the list or be given anew.
#ifndef TERMEL_APP_RECENT_BOXES_H_
#define TERMEL_APP_RECENT_BOXES_H_

#include <wx/filehistory.h>

#include <string>
#include <vector>

class wxMenu;
class wxMenuItem;

class tRecentBoxes : public wxFileHistory {
 public:
  tRecentBoxes();

  // The list as the settings keep it, newest first, taken without telling the desktop
  // again; paths as wxConvFileName reads them.
  void restore(const std::vector<wxString>& paths);
  std::vector<wxString> paths() const;

  // Puts path (the file system's bytes) at the top, made absolute.
  void add(const std::string& path);
  // The path of item index as the file system's bytes.
  std::string path(size_t index) const;
  // Index of the list item a menu command id stands for; false for other ids.
  static bool isItem(int id, size_t* index);

  // Shows the list in menu, above the separator before the item beforeId, and takes
  // away what an earlier call put there.
  void showIn(wxMenu* menu, int beforeId);

 private:
  void removeFromMenu();

  wxMenu* menu_;
  wxMenuItem* separator_;  // the one put above the list, while it is shown
};

#endif  // TERMEL_APP_RECENT_BOXES_H_
