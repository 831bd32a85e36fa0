// tHauptFenster: the training window, the whole client area of the main frame. It
// shows the question side of the current card, on request its answer side and the
// compartment it comes from, applies the learner's answer through theCardBox, and
// receives every command of the menu and the accelerator keys.
//
// The status bar belongs to the frame and must outlive this window; the window only
// writes into its first two fields (counts and score).
#ifndef TERMEL_APP_HAUPT_FENSTER_H_
#define TERMEL_APP_HAUPT_FENSTER_H_

#include <wx/button.h>
#include <wx/panel.h>
#include <wx/stattext.h>
#include <wx/statusbr.h>

#include <cstdint>
#include <string>
#include <vector>

struct tTermel;

// Command and control ids, as the menu resource and the accelerator table use them.
enum : int {
  CM_NEU = 101,
  CM_OEFFNEN = 102,
  CM_IMPORT = 103,
  CM_EXPORT = 104,
  CM_SICHERN = 105,
  CM_SICHERN_ALS = 106,
  CM_BEENDEN = 108,
  CM_KORRIGIEREN = 121,
  CM_LOESCHEN = 122,
  CM_IN_1_FACH = 123,
  CM_TERMEL_NEU = 124,
  CM_AENDERN = 125,
  CM_LOESCHEN_ABLAGE = 126,
  CM_ALLE_MISCHEN = 127,
  CM_MISCHEN = 128,
  CM_HILFE_INHALT = 131,
  CM_HILFE_SUCHEN = 132,
  CM_HILFE_BENUTZEN = 133,
  CM_HILFE_INFO = 134,
  CM_LEERFAECHER = 142,
  CM_ANTWORT_ALS_FRAGE = 51684,
  CM_WEITER = 1202,     // Enter, "g"
  CM_UNBEKANNT = 1203,  // Esc, "u", button "Unbekannt"
  ID_QUESTION = 201,
  ID_ANSWER = 202,
  ID_COMPARTMENT = 203,
  ID_SEHEN = 211,
  ID_GEWUSST = 212,
  ID_SCORE_GADGET = 90,
};

// Path of the open card file; empty when none is open.
extern std::string currentFileName;
// True while the answer of the current card is displayed.
extern bool answerShown;

class tHauptFenster : public wxPanel {
 public:
  explicit tHauptFenster(wxWindow* parent);
  ~tHauptFenster() override;

  // Status bar fields 0 (counts) and 1 (score); set by the application.
  void setGadgets(wxStatusBar* statusBar) { statusBar_ = statusBar; }
  // Loads currentFileName, if any, and shows the first question.
  void setup();
  // May the program close? Offers to save a changed box.
  bool queryClose();

  void refresh();
  void updateTexts();
  void showScore();
  void showCounts();
  void layout(int width, int height);

  virtual void advance();
  virtual void showAnswer();
  virtual void markKnown();
  virtual void markUnknown();

  // File commands.
  void newBox();
  void openBox();
  // False when the box could not be written; a cancelled file dialog is no failure.
  bool saveBox();
  bool saveBoxAs();
  void importText();
  void exportText();
  void quit();
  // Card and compartment commands.
  void enterCards();
  void correctCard();
  void deleteCard();
  void allToFirst();
  void editCards();
  void clearArchive();
  void shuffleFirst();
  void shuffleAll();
  void toggleSwapSides();
  void toggleEmptyToEnd();
  void help(int command);

  // View state, read by the tests and the menu enabling.
  bool modified() const { return modified_; }
  bool swapSides() const { return swapSides_; }
  bool emptyToEnd() const { return emptyToEnd_; }
  const tTermel* currentCard() const { return currentCard_; }
  int16_t currentCompartment() const { return currentCompartment_; }

 private:
  void onCommand(wxCommandEvent& event);
  void onUpdateUI(wxUpdateUIEvent& event);
  void onSize(wxSizeEvent& event);
  void onPaint(wxPaintEvent& event);
  // Shows collected load or save errors of this card file (or its box file) once, in
  // one message box that names the files.
  void showErrors(const std::vector<std::string>& errors, const std::string& cardFile);
  void setField(wxStaticText* field, const char* cp1252);
  void focusNextStep();
  void fitFont(wxStaticText* field);

  wxStatusBar* statusBar_;
  int16_t currentCompartment_;
  tTermel* currentCard_;
  bool swapSides_;
  bool emptyToEnd_;
  bool modified_;
  wxStaticText* questionField_;
  wxStaticText* answerField_;
  wxStaticText* compartmentField_;
  wxButton* showButton_;
  wxButton* knownButton_;
  wxButton* unknownButton_;
};

#endif  // TERMEL_APP_HAUPT_FENSTER_H_
