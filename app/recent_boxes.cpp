// The list of recent boxes and its items in the file menu.
#include "app/recent_boxes.h"

#include <wx/filename.h>
#include <wx/menu.h>

#include "app/file_dialogs.h"
#include "app/settings.h"

tRecentBoxes::tRecentBoxes()
    : wxFileHistory(tSettings::kRecentBoxes, wxID_FILE1), menu_(nullptr), separator_(nullptr) {}

void tRecentBoxes::restore(const std::vector<wxString>& paths) {
  m_fileHistory.Clear();
  for (const wxString& path : paths) {
    if (m_fileHistory.GetCount() < m_fileMaxFiles && !path.empty()) m_fileHistory.Add(path);
  }
}

std::vector<wxString> tRecentBoxes::paths() const {
  return std::vector<wxString>(m_fileHistory.begin(), m_fileHistory.end());
}

void tRecentBoxes::add(const std::string& path) {
  wxFileName name(shownPath(path));
  name.MakeAbsolute();
  AddFileToHistory(name.GetFullPath());
}

std::string tRecentBoxes::path(size_t index) const {
  return pathBytes(GetHistoryFile(index));
}

bool tRecentBoxes::isItem(int id, size_t* index) {
  if (id < wxID_FILE1 || id >= wxID_FILE1 + tSettings::kRecentBoxes) return false;
  *index = static_cast<size_t>(id - wxID_FILE1);
  return true;
}

void tRecentBoxes::removeFromMenu() {
  if (menu_ == nullptr) return;
  for (int i = 0; i < tSettings::kRecentBoxes; ++i) {
    if (menu_->FindItem(wxID_FILE1 + i) != nullptr) menu_->Destroy(wxID_FILE1 + i);
  }
  if (separator_ != nullptr) menu_->Destroy(separator_);
  separator_ = nullptr;
}

void tRecentBoxes::showIn(wxMenu* menu, int beforeId) {
  removeFromMenu();
  menu_ = menu;
  size_t before = 0;
  if (menu == nullptr || menu->FindChildItem(beforeId, &before) == nullptr) return;
  if (GetCount() == 0) return;
  // Between the separator above "&Beenden" and that separator, which then closes the list.
  const size_t top = before > 0 ? before - 1 : before;
  separator_ = menu->InsertSeparator(top);
  for (size_t i = 0; i < GetCount(); ++i) {
    wxString name = wxFileName(GetHistoryFile(i)).GetFullName();
    name.Replace("&", "&&");  // a name's "&" is no mnemonic
    menu->Insert(top + 1 + i, wxID_FILE1 + static_cast<int>(i),
                 wxString::Format("&%d %s", static_cast<int>(i) + 1, name), GetHistoryFile(i));
  }
}
