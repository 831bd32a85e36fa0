// The drill: choosing and showing cards, the question and answer states, the status
// texts and the layout of the six controls.
#include "app/haupt_fenster.h"

#include <wx/dcclient.h>
#include <wx/settings.h>

#include <cstdio>

#include "box/card_box.h"
#include "box/card_file.h"
#include "box/termel.h"
#include "dialogs/wx_text.h"

std::string currentFileName;
bool answerShown = false;

namespace {

constexpr long kFieldStyle = wxALIGN_CENTRE_HORIZONTAL | wxST_NO_AUTORESIZE;
// Below this size a text is no easier to read than cut off.
constexpr int kSmallestPoints = 6;
// Space the frame drawn around a field takes from its text.
constexpr int kFieldPadding = 4;

int textWidth(const wxStaticText* field, const wxFont& font) {
  int width = 0;
  int height = 0;
  field->GetTextExtent(field->GetLabelText(), &width, &height, nullptr, nullptr, &font);
  return width;
}

}  // namespace

tHauptFenster::tHauptFenster(wxWindow* parent)
    : wxPanel(parent, wxID_ANY),
      statusBar_(nullptr),
      currentCompartment_(0),
      currentCard_(nullptr),
      swapSides_(false),
      emptyToEnd_(false),
      modified_(false) {
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

  Bind(wxEVT_BUTTON, &tHauptFenster::onCommand, this);
  Bind(wxEVT_MENU, &tHauptFenster::onCommand, this);
  for (int id : {CM_KORRIGIEREN, CM_LOESCHEN, CM_ANTWORT_ALS_FRAGE, CM_LEERFAECHER}) {
    Bind(wxEVT_UPDATE_UI, &tHauptFenster::onUpdateUI, this, id);
  }
  Bind(wxEVT_SIZE, &tHauptFenster::onSize, this);
  Bind(wxEVT_PAINT, &tHauptFenster::onPaint, this);
}

tHauptFenster::~tHauptFenster() = default;

void tHauptFenster::setup() {
  compartmentField_->SetBackgroundColour(wxColour(255, 255, 255));
  if (currentFileName.empty()) return;
  tFileReport report;
  loadCardFile(currentFileName.c_str(), &report);
  refresh();
  // Shown once the frame is on screen, so the message has its window behind it.
  if (!report.errors.empty()) {
    CallAfter([this, report, file = currentFileName] { showErrors(report.errors, file); });
  }
}

void tHauptFenster::refresh() {
  if (emptyToEnd_) theCardBox.moveEmptyToEnd();
  currentCard_ = theCardBox.chooseNext(&currentCompartment_);
  setField(answerField_, " ");
  answerShown = false;
  updateTexts();
  showScore();
  showCounts();
}

void tHauptFenster::updateTexts() {
  showButton_->Enable(!answerShown);
  knownButton_->Enable(answerShown);
  unknownButton_->Enable(answerShown);
  focusNextStep();
  if (currentCard_ == nullptr) {
    setField(questionField_, " ");
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
  wxButton* next = answerShown ? knownButton_ : showButton_;
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
  if (currentCard_ != nullptr) {
    setField(answerField_, swapSides_ ? currentCard_->front : currentCard_->back);
  }
  showButton_->Disable();
  knownButton_->Enable();
  unknownButton_->Enable();
  answerShown = true;
  focusNextStep();
}

void tHauptFenster::markKnown() {
  modified_ = true;
  theCardBox.answerKnown();
  refresh();
  answerShown = false;
}

void tHauptFenster::markUnknown() {
  modified_ = true;
  if (!answerShown) return;
  theCardBox.answerUnknown();
  refresh();
  answerShown = false;
}

void tHauptFenster::advance() {
  if (answerShown) {
    markKnown();
  } else {
    showAnswer();
  }
}

void tHauptFenster::layout(int width, int height) {
  // Negative positions are real positions here, never "keep the old one".
  const int flags = wxSIZE_ALLOW_MINUS_ONE;
  knownButton_->SetSize(width - 120, height - 50, 100, 30, flags);
  unknownButton_->SetSize(20, height - 50, 100, 30, flags);
  compartmentField_->SetSize(121, height - 50, width - 236, 30, flags);
  showButton_->SetSize(width / 2 - 50, (height - 50) / 2 - 15, 100, 30, flags);
  questionField_->SetSize(20, (height - 50) / 4 - 10, width - 40, 20, flags);
  answerField_->SetSize(20, (3 * height - 150) / 4 - 10, width - 40, 20, flags);
  for (wxStaticText* field : {questionField_, answerField_, compartmentField_}) fitFont(field);
  Refresh();
}

void tHauptFenster::onSize(wxSizeEvent& event) {
  const wxSize client = GetClientSize();
  layout(client.x, client.y);
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
  // Card texts may hold "&", which must show as typed and not become a mnemonic.
  field->SetLabelText(toWx(cp1252));
  fitFont(field);
}

// A text wider than its field would be cut off at both ends; it is drawn smaller
// until it fits instead.
void tHauptFenster::fitFont(wxStaticText* field) {
  wxFont font = GetFont();
  const int room = field->GetSize().x - kFieldPadding;
  while (font.GetPointSize() > kSmallestPoints && textWidth(field, font) > room) {
    font.SetPointSize(font.GetPointSize() - 1);
  }
  if (font != field->GetFont()) field->SetFont(font);
}
