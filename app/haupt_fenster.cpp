// The drill: choosing and showing cards, the question and answer states, typed
// answers, the status texts and the layout of the controls.
#include "app/haupt_fenster.h"

#include <wx/dcclient.h>
#include <wx/settings.h>
#include <wx/toplevel.h>

#include <algorithm>
#include <cstdio>

#include "app/file_dialogs.h"
#include "app/marked_text.h"
#include "app/recovery_keeper.h"
#include "app/window_title.h"
#include "box/answer_check.h"
#include "box/card_box.h"
#include "box/termel.h"
#include "dialogs/accessible.h"
#include "dialogs/readable_colour.h"
#include "dialogs/wx_text.h"
#include "kartei/card_file.h"

std::string currentFileName;
bool answerShown = false;

namespace {

// Answers kept for Strg+Z (about 300 KB): a command taken back after a long drill
// needs every answer since taken back first.
constexpr size_t kAnswersKept = 1000;
constexpr long kFieldStyle = wxALIGN_CENTRE_HORIZONTAL | wxST_NO_AUTORESIZE;
// Below this size a text is no easier to read than cut off.
constexpr int kSmallestPoints = 6;
// Space the frame drawn around a field takes from its text.
constexpr int kFieldPadding = 4;
// Heights of the question and answer fields and of the buttons at 100 %.
constexpr int kFieldHeight = 20;
constexpr int kButtonHeight = 30;
// What a text entry needs around its text.
constexpr int kEntryPadding = 12;
// Room kept between the rows when the fonts grow.
constexpr int kRowGap = 6;
// Narrower, the status bar would lose the counts and the buttons would crowd.
constexpr int kMinClientWidth = 400;
// Room between the typed answer and the verdict or "Sehen" beside it.
constexpr int kVerdictGap = 10;
const wxColour kRightColour(0, 128, 0);
const wxColour kWrongColour(200, 0, 0);
// In the question field while the box holds no card.
const char kEmptyBoxHint[] =
    "Leere Kartei \xE2\x80\x93 Termel \xE2\x86\x92 Neu... oder Datei \xE2\x86\x92 Import...";

int textWidth(const wxStaticText* field, const wxFont& font) {
  int width = 0;
  int height = 0;
  field->GetTextExtent(field->GetLabelText(), &width, &height, nullptr, nullptr, &font);
  return width;
}

// The typed answer in code page 1252. A character the cards cannot hold becomes "?",
// so it is marked as a mistake instead of the whole answer getting lost.
std::string typedText(const wxString& text) {
  std::string result;
  for (const wxUniChar c : text) {
    std::string one;
    result += fromWx(wxString(c), &one) && one.size() == 1 ? one : std::string("?");
  }
  return result;
}

}  // namespace

tHauptFenster::tHauptFenster(wxWindow* parent)
    : wxPanel(parent, wxID_ANY),
      statusBar_(nullptr),
      currentCompartment_(0),
      currentCard_(nullptr),
      swapSides_(false),
      emptyToEnd_(false),
      modified_(false),
      verdict_(tVerdict::None),
      sized_(false),
      learnerHeight_(0),
      fittedHeight_(0),
      history_(&theCardBox, kAnswersKept),
      undo_(&theCardBox, &history_),
      journal_(std::string()),
      journalFailed_(false) {
  SetBackgroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOW));
  // Creation order is the Tab order.
  questionField_ = new wxStaticText(this, ID_QUESTION, " ", wxPoint(20, 20), wxSize(560, 20),
                                    kFieldStyle | wxBORDER_SIMPLE);
  answerField_ = new wxStaticText(this, ID_ANSWER, " ", wxPoint(20, 90), wxSize(560, 20),
                                  kFieldStyle | wxBORDER_SIMPLE);
  compartmentField_ =
      new wxStaticText(this, ID_COMPARTMENT, " ", wxPoint(20, 120), wxSize(560, 20), kFieldStyle);
  showButton_ = new wxButton(this, ID_SEHEN, "Sehen", wxPoint(245, 50), wxSize(100, 30));
  unknownButton_ = new wxButton(this, CM_UNBEKANNT, "Unbekannt", wxPoint(20, 160), wxSize(100, 30));
  knownButton_ = new wxButton(this, ID_GEWUSST, "Gewusst", wxPoint(470, 160), wxSize(100, 30));
  for (wxStaticText* field : {questionField_, answerField_, compartmentField_}) {
    setAccessibleName(field, fieldCaption(field));
  }
  createTypedControls();
  createRecoveryKeeper();

  Bind(wxEVT_BUTTON, &tHauptFenster::onCommand, this);
  Bind(wxEVT_MENU, &tHauptFenster::onCommand, this);
  for (int id :
       {CM_KORRIGIEREN, CM_LOESCHEN, CM_ANTWORT_ALS_FRAGE, CM_LEERFAECHER, CM_ZURUECKNEHMEN,
        CM_ANTWORT_EINTIPPEN, CM_SCHRIFT_GROESSER, CM_SCHRIFT_KLEINER, CM_SCHRIFT_NORMAL,
        CM_SICHERUNGEN, CM_ZUSAMMENFUEHREN, CM_VORLESEN, CM_NOCHMAL_VORLESEN}) {
    Bind(wxEVT_UPDATE_UI, &tHauptFenster::onUpdateUI, this, id);
  }
  // Conflict copies may appear while the program is in the background.
  if (wxWindow* top = wxGetTopLevelParent(parent)) {
    top->Bind(wxEVT_ACTIVATE, &tHauptFenster::onActivate, this);
  }
  Bind(wxEVT_SIZE, &tHauptFenster::onSize, this);
  Bind(wxEVT_PAINT, &tHauptFenster::onPaint, this);
  // Whatever changed the box or its file, the title follows once the change is done.
  Bind(wxEVT_IDLE, [this](wxIdleEvent& event) {
    showTitle();
    event.Skip();
  });
}

void tHauptFenster::showTitle() {
  wxWindow* frame = wxGetTopLevelParent(this);
  const wxString title = windowTitle(shownPath(currentFileName), modified_, saveGuard_.readOnly());
  if (frame != nullptr && frame->GetLabel() != title) frame->SetLabel(title);
}

// The typed answer's controls, shown only while answers are typed; the entry comes
// first in the Tab order, where "Sehen" would be.
void tHauptFenster::createTypedControls() {
  answerEntry_ = new wxTextCtrl(this, ID_EINGABE, wxString(), wxPoint(20, 50), wxSize(440, 30));
  answerEntry_->MoveBeforeInTabOrder(showButton_);
  // Longer than any card side; keeps pasted text from slowing the check down.
  answerEntry_->SetMaxLength(2 * tTermel::kTextSize);
  answerEntry_->Hide();
  setAccessibleName(answerEntry_, "Antwort eintippen");
  typingUndo_ = std::make_unique<tTypingUndo>(answerEntry_);
  typedField_ = new tMarkedText(this, ID_GETIPPT);
  typedField_->Hide();
  verdictField_ = new wxStaticText(this, ID_URTEIL, " ", wxDefaultPosition, wxDefaultSize,
                                   wxALIGN_CENTRE_HORIZONTAL | wxST_NO_AUTORESIZE);
  verdictField_->Hide();
}

tHauptFenster::~tHauptFenster() {
  if (wxWindow* top = wxGetTopLevelParent(GetParent())) {
    top->Unbind(wxEVT_ACTIVATE, &tHauptFenster::onActivate, this);
  }
  // The box open now is the one the next start without a file name comes back to.
  settings_.lastBox = lastBoxPath();
  settings_.lastFolder = lastFolder();
  saveSettings(settings_);
}

void tHauptFenster::applySettings(const tSettings& settings) {
  settings_ = settings;
  setLastFolder(settings.lastFolder);
  recentBoxes_.restore(settings.recentBoxes);
  fitClientToFont();
  relayout();
}

void tHauptFenster::setup() {
  // The desktop's colours for text fields (white on a light desktop), so the number
  // stays readable under a dark theme too.
  compartmentField_->SetBackgroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOW));
  compartmentField_->SetForegroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOWTEXT));
  showRecentBoxes();
  if (currentFileName.empty()) {
    refresh();  // the empty box's hint, and no answer to give
    attachRecovery();
    CallAfter([this] { offerRecovery(); });
    return;
  }
  // A box that another program has open is opened once the frame is on screen, after
  // the question whether to open it only to read.
  if (saveGuard_.lock(currentFileName) == tLockState::kHeldElsewhere) {
    CallAfter([this, file = currentFileName] { loadBox(file); });
    currentFileName.clear();
    return;
  }
  const std::string file = currentFileName;
  tFileReport report;
  loadCardFile(file.c_str(), &report);
  saveGuard_.loaded(report, false);
  forgetUnreadFile(report);
  forgetAnswers();
  refresh();
  if (report.opened) rememberBox();
  attachRecovery();
  // Shown once the frame is on screen, so the message has its window behind it.
  CallAfter([this, report, file] { showLoadReport(report, file); });
  CallAfter([this] { offerRecovery(); });
  CallAfter([this] { lookForConflictCopies(); });
}

void tHauptFenster::refresh() {
  if (emptyToEnd_) theCardBox.moveEmptyToEnd();
  currentCard_ = theCardBox.chooseNext(&currentCompartment_);
  showQuestion();
}

void tHauptFenster::showQuestion() {
  setField(answerField_, " ");
  answerShown = false;
  verdict_ = tVerdict::None;
  answerEntry_->Clear();
  typingUndo_->reset();
  relayout();  // shows or hides the typed answer's controls
  updateTexts();
  showScore();
  showCounts();
  showUndoItem();
  readSide(false);
}

void tHauptFenster::updateTexts() {
  // An empty box has no answer to see or to give.
  const bool card = currentCard_ != nullptr;
  showButton_->Enable(card && !answerShown);
  knownButton_->Enable(card && answerShown);
  unknownButton_->Enable(card && answerShown);
  focusNextStep();
  if (!card) {
    setFieldText(questionField_, wxString::FromUTF8(kEmptyBoxHint));
    setField(compartmentField_, " ");
    return;
  }
  setField(questionField_, swapSides_ ? currentCard_->back : currentCard_->front);
  if (answerShown) setField(answerField_, swapSides_ ? currentCard_->front : currentCard_->back);
  char number[16];
  std::snprintf(number, sizeof number, "%d", currentCompartment_);
  setField(compartmentField_, number);
}

// GTK leaves no control focused once the focused button is disabled, and the frame's
// char hook then never sees a key: the focus goes to the button of the next step.
void tHauptFenster::focusNextStep() {
  wxWindow* next = answerShown ? knownButton_ : showButton_;
  // After "Falsch", Enter counts the card unknown: the focus shows that button.
  if (answerShown && verdict_ == tVerdict::Wrong) next = unknownButton_;
  // A typed answer is typed where the focus is.
  if (!answerShown && answerEntry_->IsShown()) next = answerEntry_;
  if (next->IsEnabled() && wxWindow::FindFocus() != next) next->SetFocus();
}

void tHauptFenster::showScore() {
  if (statusBar_ == nullptr) return;
  char text[80] = " --- ";
  if (currentCard_ != nullptr) {
    std::snprintf(text, sizeof text, "Gewusst: %d Unbekannt: %d", currentCard_->timesKnown,
                  currentCard_->timesUnknown);
  }
  statusBar_->SetStatusText(toWx(text), 1);
}

void tHauptFenster::showCounts() {
  if (statusBar_ == nullptr) return;
  char text[80];
  std::snprintf(text, sizeof text, "Fach: %d Gesamt: %d", theCardBox.countIn(currentCompartment_),
                theCardBox.totalCount());
  statusBar_->SetStatusText(toWx(text), 0);
}

void tHauptFenster::showAnswer() {
  if (currentCard_ == nullptr) return;
  setField(answerField_, swapSides_ ? currentCard_->front : currentCard_->back);
  showButton_->Disable();
  knownButton_->Enable();
  unknownButton_->Enable();
  answerShown = true;
  showTypedControls();
  focusNextStep();
  readSide(true);
}

void tHauptFenster::markKnown() {
  if (currentCard_ == nullptr) return;
  modified_ = true;
  answer(tJournalEvent::kKnown);
  refresh();
  answerShown = false;
}

void tHauptFenster::markUnknown() {
  if (currentCard_ == nullptr) return;
  modified_ = true;
  // A typed answer can be given up before it is checked.
  if (!answerShown && !typing()) return;
  answer(tJournalEvent::kUnknown);
  refresh();
  answerShown = false;
}

void tHauptFenster::answer(tJournalEvent event) {
  if (currentCard_ == nullptr) return;
  // The card as it was asked: the answer moves it.
  const tTermel asked = *currentCard_;
  const int16_t from = currentCompartment_;
  const bool known = event == tJournalEvent::kKnown;
  recovery_->noteAnswer(1);
  journal(event, asked, from, known ? history_.answerKnown() : history_.answerUnknown());
}

void tHauptFenster::advance() {
  if (currentCard_ == nullptr) return;
  if (!answerShown) {
    if (typing()) {
      checkTypedAnswer();
    } else {
      showAnswer();
    }
  } else if (verdict_ == tVerdict::Wrong) {
    markUnknown();
  } else {
    markKnown();
  }
}

const char* tHauptFenster::answerSide() const {
  return swapSides_ ? currentCard_->front : currentCard_->back;
}

void tHauptFenster::checkTypedAnswer() {
  const std::string typed = typedText(answerEntry_->GetValue());
  const bool right = isRightAnswer(typed, answerSide());
  verdict_ = right ? tVerdict::Right : tVerdict::Wrong;
  typedField_->setText(toWx(typed), markDifferences(typed, answerSide()));
  verdictField_->SetLabel(right ? "Richtig" : "Falsch");
  verdictField_->SetForegroundColour(
      readableOn(right ? kRightColour : kWrongColour, GetBackgroundColour()));
  showAnswer();
  relayout();  // the checked answer takes the entry's place
}

void tHauptFenster::takeBackAnswer() {
  // While the typed answer holds text, Strg+Z takes back typing, not the last answer.
  if (answerEntry_->IsShown() && typingUndo_->undo()) return;
  if (undo_.next() == tUndoStack::tNext::kChange) {
    takeBackChange();
    return;
  }
  int16_t compartment = 0;
  const bool deletion = history_.nextIsDeletion();
  const int16_t from = history_.nextFrom();
  tTermel* card = history_.takeBack(&compartment);
  if (card == nullptr) return;
  modified_ = true;
  if (deletion) {
    // The card may be back anywhere in its compartment; the drill goes on as usual,
    // with the card deleted from the window as the one to ask again.
    refresh();
    return;
  }
  recovery_->noteAnswer(-1);
  journal(tJournalEvent::kTakenBack, *card, from, compartment);
  currentCard_ = card;
  currentCompartment_ = compartment;
  showQuestion();
}

void tHauptFenster::journal(tJournalEvent event, const tTermel& card, int from, int to) {
  if (currentFileName.empty() || to == 0) return;
  if (currentFileName != journalBox_) {
    journal_ = tLearningJournal::forBox(saveGuard_.boxAt(currentFileName));
    journalBox_ = currentFileName;
    journalFailed_ = false;
  }
  std::string error;
  if (journal_.append(event, card, from, to, &error) || journalFailed_) return;
  journalFailed_ = true;
  warn(this, wxString::FromUTF8("Der Lernverlauf kann nicht geschrieben werden: ") +
                 shownPath(journal_.path()) + "\n" + toWx(error));
}

void tHauptFenster::takeJournalAlong(const std::string& oldFileName) {
  if (oldFileName.empty() || oldFileName == currentFileName) return;
  const tLearningJournal old = tLearningJournal::forBox(saveGuard_.boxAt(oldFileName));
  tLearningJournal taken = tLearningJournal::forBox(saveGuard_.boxAt(currentFileName));
  // The next answer opens the journal anew and counts its lines.
  journalBox_.clear();
  std::string error;
  if (old.copyTo(&taken, &error)) return;
  warn(this, wxString::FromUTF8("Der Lernverlauf kann nicht mitgenommen werden: ") +
                 shownPath(taken.path()) + "\n" + toWx(error));
}

void tHauptFenster::toggleTypedAnswers() {
  settings_.typedAnswers = !settings_.typedAnswers;
  saveSettings(settings_);
  fitClientToFont();
  refresh();
}

void tHauptFenster::stepFont(int steps) {
  const int percent =
      steps == 0 ? tSettings::kFontMin : settings_.fontPercent + steps * tSettings::kFontStep;
  settings_.fontPercent = std::clamp(percent, tSettings::kFontMin, tSettings::kFontMax);
  saveSettings(settings_);
  fitClientToFont();
  relayout();
}

wxFont tHauptFenster::cardFont() const {
  wxFont font = GetFont();
  font.SetFractionalPointSize(font.GetFractionalPointSize() * settings_.fontPercent /
                              tSettings::kFontMin);
  return font;
}

int tHauptFenster::fieldHeight() const {
  return kFieldHeight * settings_.fontPercent / tSettings::kFontMin;
}

// The row of "Sehen", or of the typed answer, which needs room for the card font.
int tHauptFenster::answerRowHeight() const {
  if (!settings_.typedAnswers) return kButtonHeight;
  return std::max(kButtonHeight,
                  GetCharHeight() * settings_.fontPercent / tSettings::kFontMin + kEntryPadding);
}

// The rows' centres lie a quarter of the area above the bottom row apart; below this
// height they would overlap.
int tHauptFenster::neededClientHeight() const {
  const int quarter = (fieldHeight() + answerRowHeight()) / 2 + kRowGap;
  return 4 * quarter + 50;
}

// Larger texts need a taller window to keep the rows apart: the frame grows as far as
// that takes, and goes back to the height the learner gave it once they are smaller
// again. The learner cannot make it smaller than the rows need. The frame's client
// area is the window's, also before the window is first sized.
void tHauptFenster::fitClientToFont() {
  wxWindow* frame = wxGetTopLevelParent(this);
  const int needed = neededClientHeight();
  frame->SetMinClientSize(wxSize(kMinClientWidth, needed));
  const wxSize client = frame->GetClientSize();
  int height = client.y;
  if (client.y < needed) {
    if (learnerHeight_ == 0) learnerHeight_ = client.y;
    height = needed;
  } else if (learnerHeight_ > 0) {
    height = std::max(needed, learnerHeight_);
    if (height == learnerHeight_) learnerHeight_ = 0;
  }
  if (height == client.y) return;
  fittedHeight_ = height;
  frame->SetClientSize(client.x, height);
}

// A frame grown for larger texts is remembered at the learner's own size, which the
// next start grows again as far as the texts need.
void tHauptFenster::rememberFrameSize() {
  auto* frame = dynamic_cast<wxTopLevelWindow*>(wxGetTopLevelParent(this));
  if (frame == nullptr || !frame->IsShown() || frame->IsMaximized() || frame->IsIconized()) return;
  const int client = frame->GetClientSize().y;
  // A size the learner chose takes the place of the one kept.
  if (learnerHeight_ > 0 && client != fittedHeight_) learnerHeight_ = 0;
  settings_.width = frame->GetSize().x;
  settings_.height = frame->GetSize().y - (learnerHeight_ > 0 ? client - learnerHeight_ : 0);
}

// At 100 % and with typed answers off these are the fixed positions the window always
// had; larger fonts make the question and answer fields taller around the same centres.
void tHauptFenster::layout(int width, int height) {
  // Negative positions are real positions here, never "keep the old one".
  const int flags = wxSIZE_ALLOW_MINUS_ONE;
  const int field = fieldHeight();
  knownButton_->SetSize(width - 120, height - 50, 100, 30, flags);
  unknownButton_->SetSize(20, height - 50, 100, 30, flags);
  // Between the buttons, a pixel clear of each.
  compartmentField_->SetSize(121, height - 50, width - 242, 30, flags);
  if (typing()) {
    layoutTypedRow(width, height);
  } else {
    showButton_->SetSize(width / 2 - 50, (height - 50) / 2 - 15, 100, 30, flags);
  }
  showTypedControls();
  questionField_->SetSize(20, (height - 50) / 4 - field / 2, width - 40, field, flags);
  answerField_->SetSize(20, (3 * height - 150) / 4 - field / 2, width - 40, field, flags);
  for (wxStaticText* text : {questionField_, answerField_, compartmentField_}) fitFont(text);
  Refresh();
}

// The answer is typed across the middle, "Sehen" (and later the verdict) beside it.
void tHauptFenster::layoutTypedRow(int width, int height) {
  const wxFont font = cardFont();
  if (answerEntry_->GetFont() != font) answerEntry_->SetFont(font);
  if (typedField_->GetFont() != font) typedField_->SetFont(font);
  if (verdictField_->GetFont() != font.Bold()) verdictField_->SetFont(font.Bold());
  const int flags = wxSIZE_ALLOW_MINUS_ONE;
  const int row = answerRowHeight();
  const int top = (height - 50) / 2 - row / 2;
  // The verdict in large bold type can be wider than "Sehen".
  int verdictWidth = 0;
  for (const char* verdict : {"Richtig", "Falsch"}) {
    verdictWidth = std::max(verdictWidth, verdictField_->GetTextExtent(verdict).x);
  }
  const int side = std::max(100, verdictWidth + kFieldPadding);
  // GTK refuses negative widths, which a tiny window would give.
  const int entryWidth = std::max(width - 40 - kVerdictGap - side, 0);
  const int verdictHeight = verdictField_->GetBestSize().y;
  showButton_->SetSize(width - 120, top + (row - 30) / 2, 100, 30, flags);
  verdictField_->SetSize(width - 20 - side, top + (row - verdictHeight) / 2, side, verdictHeight,
                         flags);
  answerEntry_->SetSize(20, top, entryWidth, row, flags);
  typedField_->SetSize(20, top, entryWidth, row, flags);
}

// Until the first size change the controls keep the places they were created at.
void tHauptFenster::relayout() {
  if (sized_) {
    const wxSize client = GetClientSize();
    layout(client.x, client.y);
  } else {
    showTypedControls();
  }
}

void tHauptFenster::showTypedControls() {
  const bool checked = typing() && verdict_ != tVerdict::None;
  // Once the answer is seen, with "Sehen" or by the check, there is nothing to type.
  answerEntry_->Show(typing() && !answerShown);
  typedField_->Show(checked);
  verdictField_->Show(checked);
  showButton_->Show(!checked);
}

void tHauptFenster::onSize(wxSizeEvent& event) {
  sized_ = true;
  const wxSize client = GetClientSize();
  layout(client.x, client.y);
  rememberFrameSize();
  event.Skip();
}

// GTK draws no border around a static text, so the window frames the question and
// the answer itself.
void tHauptFenster::onPaint(wxPaintEvent&) {
  wxPaintDC dc(this);
  dc.SetPen(wxPen(wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOWFRAME)));
  dc.SetBrush(*wxTRANSPARENT_BRUSH);
  for (const wxStaticText* field : {questionField_, answerField_}) {
    dc.DrawRectangle(field->GetRect().Inflate(1));
  }
}

void tHauptFenster::setField(wxStaticText* field, const char* cp1252) {
  setFieldText(field, toWx(cp1252));
}

void tHauptFenster::setFieldText(wxStaticText* field, const wxString& text) {
  // Card texts may hold "&", which must show as typed and not become a mnemonic.
  field->SetLabelText(text);
  // Read out with what the field is: "Frage: der Apfel".
  const wxString caption = fieldCaption(field);
  setAccessibleName(field, text.Strip(wxString::both).empty() ? caption : caption + ": " + text);
  fitFont(field);
}

wxString tHauptFenster::fieldCaption(const wxStaticText* field) const {
  if (field == questionField_) return "Frage";
  return field == answerField_ ? "Antwort" : "Fach";
}

// A text wider than its field would be cut off at both ends; it is drawn smaller
// until it fits instead.
void tHauptFenster::fitFont(wxStaticText* field) {
  wxFont font = field == compartmentField_ ? GetFont() : cardFont();
  const int room = field->GetSize().x - kFieldPadding;
  while (font.GetPointSize() > kSmallestPoints && textWidth(field, font) > room) {
    font.SetPointSize(font.GetPointSize() - 1);
  }
  if (font != field->GetFont()) field->SetFont(font);
}
