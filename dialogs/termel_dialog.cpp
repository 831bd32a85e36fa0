#include "dialogs/termel_dialog.h"

#include <gtk/gtk.h>
#include <wx/button.h>
#include <wx/clipbrd.h>
#include <wx/msgdlg.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "box/card_box.h"
#include "box/card_text.h"
#include "box/termel.h"
#include "dialogs/show_dialog.h"
#include "dialogs/wx_text.h"
#include "storage/charset.h"

char workFront[64], workBack[64], lastFront[64], lastBack[64];

namespace {

// The text as it will be stored: escapes expanded. Works on the whole typed text, since
// escapes shrink it and only the result has to fit on a card.
std::string expanded(std::string text) {
  expandEscapes(&text[0]);
  text.resize(std::strlen(text.c_str()));
  return text;
}

wxString clipboardText() {
  wxClipboardLocker lock;
  wxTextDataObject data;
  return !!lock && wxTheClipboard->GetData(data) ? data.GetText() : wxString();
}

void warn(wxWindow* owner, const char* text) {
  wxMessageDialog message(owner, toWx(text), "Achtung", wxOK);
  message.ShowModal();
}

}  // namespace

tTermelDialog::tTermelDialog(wxWindow* parent, bool newCardMode)
    : tXrcDialog(parent, "300"),
      frontField(control<wxTextCtrl>(301)),
      backField(control<wxTextCtrl>(302)),
      storeButton(control<wxButton>(wxID_OK)),
      closeButton(control<wxButton>(wxID_CANCEL)),
      newCardMode(newCardMode) {
  if (!loaded()) return;
  // Fields hold what is typed, escapes and all; a backslash a card already holds (an
  // imported path, say) is shown doubled, so storing the field gives it back.
  frontField->ChangeValue(toWx(doubleBackslashes(workFront)));
  backField->ChangeValue(toWx(doubleBackslashes(workBack)));
  limitLength(frontField);
  limitLength(backField);
  if (!newCardMode) {
    storeButton->SetLabel("Ok");
    closeButton->SetLabel("Abbruch");
  }
  Bind(wxEVT_BUTTON, &tTermelDialog::onStore, this, wxID_OK);
  // Enter in a field stores at once. Left to the default button, GTK shows the button
  // pressed for a quarter of a second before it clicks, and keys typed meanwhile would
  // land in the field that still has the focus instead of the next card's front.
  Bind(wxEVT_TEXT_ENTER, &tTermelDialog::onStore, this);
  offerHelp(303, "Eingabe");
}

void tTermelDialog::limitLength(wxTextCtrl* field) {
  // A card's text with its backslashes doubled may be longer; it is kept whole. GTK
  // counts characters, as the code page of the cards does; wx's own limit counts the
  // bytes of UTF-8 and would stop an umlaut early.
  const size_t limit = std::max<size_t>(tTermel::kTextSize - 1, field->GetValue().length());
  gtk_entry_set_max_length(GTK_ENTRY(field->GetHandle()), static_cast<gint>(limit));
  field->Bind(wxEVT_TEXT_PASTE, [this, field, limit](wxClipboardTextEvent& event) {
    long from = 0, to = 0;
    field->GetSelection(&from, &to);
    if (field->GetValue().length() - (to - from) + clipboardText().length() <= limit) {
      event.Skip();
      return;
    }
    warn(this,
         "Der eingef\xFCgte Text ist zu lang (h\xF6"
         "chstens 63 Zeichen)");
  });
}

void tTermelDialog::onStore(wxCommandEvent&) {
  if (!readFields()) return;
  if (!newCardMode) {
    closeWith(wxID_OK);
    return;
  }
  storeNewCard();
  frontField->SetFocus();
  frontField->SelectAll();
}

bool tTermelDialog::readFields() {
  std::string front, back;
  // Checked before anything changes, so a refused character leaves every buffer as it was.
  if (!fromWx(frontField->GetValue(), &front) || !fromWx(backField->GetValue(), &back)) {
    warn(this, "Zeichen nicht darstellbar");
    return false;
  }
  // Typographic punctuation takes its plain form; a character no card can hold is
  // refused like one outside the code page, naming it.
  for (std::string* text : {&front, &back}) {
    const tCardTextFit fit = fitCardText(text);
    if (!fit.fits) {
      warn(this, refusedCharMessage(fit.refused).c_str());
      return false;
    }
  }
  if (newCardMode) {
    copyCardText(lastFront, workFront);
    copyCardText(lastBack, workBack);
  }
  copyCardText(workFront, front.c_str());
  copyCardText(workBack, back.c_str());
  const bool bothTyped = !front.empty() && !back.empty();
  front = expanded(front);
  back = expanded(back);
  // The escape \0 ends a text; one that ends before it starts would make an empty card.
  if (!bothTyped || front.empty() || back.empty()) {
    warn(this, "Ein Feld ist leer");
    return false;
  }
  // Cutting a longer text would lose its end unseen; the learner shortens it instead.
  constexpr size_t kMaxText = tTermel::kTextSize - 1;
  if (front.size() > kMaxText || back.size() > kMaxText) {
    warn(this,
         "Text zu lang (h\xF6"
         "chstens 63 Zeichen)");
    return false;
  }
  copyCardText(workFront, front.c_str());
  copyCardText(workBack, back.c_str());
  return true;
}

void tTermelDialog::storeNewCard() {
  if (std::strcmp(workFront, lastFront) == 0 && std::strcmp(workBack, lastBack) == 0) return;
  // Built before the duplicate dialog can correct anything, so a correction there does
  // not change the card waiting here.
  const tTermel card = makeCard(workFront, workBack);
  tTermel* existing = theCardBox.findEither(card);
  if (existing == nullptr || runDuplicateDialog(this, existing) == wxID_OK)
    theCardBox.addCard(card);
}

int runCardEntryDialog(wxWindow* parent, tTermel* card) {
  if (card != nullptr) {
    copyCardText(workFront, card->front);
    copyCardText(workBack, card->back);
  } else {
    workFront[0] = '\0';
    workBack[0] = '\0';
  }
  tTermelDialog dialog(parent, card == nullptr);
  if (!dialog.loaded()) return -1;
  const int result = dialog.ShowModal();
  if (result == wxID_OK && card != nullptr) {
    card->set(workFront, workBack);
    theCardBox.changedCard(card);
  }
  return result;
}
