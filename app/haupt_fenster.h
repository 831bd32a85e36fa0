// tHauptFenster: the training window, the whole client area of the main frame. It
// shows the question side of the current card, on request its answer side and the
// compartment it comes from, applies the learner's answer through theCardBox, and
// receives every command of the menu and the accelerator keys. With "Antwort
// eintippen" on, the learner types the answer and the window checks it; every answer
// goes through a history, so it can be taken back. With "Vorlesen" on, each side is
// read aloud as it is shown, the German in German, the translation in the language
// chosen for the box. The window also keeps the
// settings that are remembered between runs, the recent boxes among them, and writes
// them when they change.
//
// The status bar belongs to the frame and must outlive this window; the window only
// writes into its first two fields (counts and score).
#ifndef TERMEL_APP_HAUPT_FENSTER_H_
#define TERMEL_APP_HAUPT_FENSTER_H_

#include <wx/button.h>
#include <wx/panel.h>
#include <wx/stattext.h>
#include <wx/statusbr.h>
#include <wx/textctrl.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/recent_boxes.h"
#include "app/save_guard.h"
#include "app/settings.h"
#include "app/typing_undo.h"
#include "app/vorlesen.h"
#include "box/answer_history.h"
#include "box/undo_stack.h"
#include "kartei/box_merge.h"
#include "kartei/learning_journal.h"

struct tTermel;
class tMarkedText;
class tRecoveryKeeper;
struct tRecoveryData;

// Command and control ids, as the menu resource and the accelerator table use them.
enum : int {
  CM_NEU = 101,
  CM_OEFFNEN = 102,
  CM_IMPORT = 103,
  CM_EXPORT = 104,
  CM_SICHERN = 105,
  CM_SICHERN_ALS = 106,
  CM_SICHERUNGEN = 107,
  CM_BEENDEN = 108,
  CM_ZUSAMMENFUEHREN = 109,
  CM_ZURUECKNEHMEN = 120,  // Strg+Z
  CM_KORRIGIEREN = 121,
  CM_LOESCHEN = 122,
  CM_IN_1_FACH = 123,
  CM_TERMEL_NEU = 124,
  CM_AENDERN = 125,
  CM_LOESCHEN_ABLAGE = 126,
  CM_ALLE_MISCHEN = 127,
  CM_MISCHEN = 128,
  CM_UEBERSICHT = 129,
  CM_HILFE_INHALT = 131,
  CM_HILFE_SUCHEN = 132,
  CM_HILFE_BENUTZEN = 133,
  CM_HILFE_INFO = 134,
  CM_LEERFAECHER = 142,
  CM_ANTWORT_EINTIPPEN = 143,
  CM_SCHRIFT_GROESSER = 144,  // Strg++
  CM_SCHRIFT_KLEINER = 145,   // Strg+-
  CM_SCHRIFT_NORMAL = 146,    // Strg+0
  CM_VORLESEN = 149,
  CM_SPRACHE_UEBERSETZUNG = 150,
  CM_NOCHMAL_VORLESEN = 151,  // Strg+L
  CM_KARTE_SUCHEN = 147,      // Strg+F
  CM_LERNVERLAUF = 148,
  CM_ANTWORT_ALS_FRAGE = 51684,
  CM_WEITER = 1202,          // Enter, "g"
  CM_UNBEKANNT = 1203,       // Esc, "u", button "Unbekannt"
  CM_STRG_GEWUSST = 1204,    // Strg+G: known, whatever a typed answer's verdict
  CM_STRG_UNBEKANNT = 1205,  // Strg+U: unknown, likewise
  ID_QUESTION = 201,
  ID_ANSWER = 202,
  ID_COMPARTMENT = 203,
  ID_EINGABE = 204,  // the typed answer, while it is typed
  ID_GETIPPT = 205,  // the typed answer once checked, its mistakes marked
  ID_URTEIL = 206,   // "Richtig" or "Falsch"
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
  // May the program close? Offers to save a changed box; false when the learner
  // cancelled that or the save failed.
  bool queryClose();

  // Writes what is not saved as recovery data now, for the next start (the session
  // ends, the program is told to stop).
  void keepUnsaved();

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
  // Opens item index of the recent boxes as "Öffnen..." opens a file; a box that is
  // gone is reported and taken off the list.
  void openRecentBox(size_t index);
  // True only when the box reached its file: false when it could not be written, and
  // when the learner cancelled a question or the file dialog on the way, so a command
  // that saves before it gives up the box stops.
  bool saveBox();
  // A failed save leaves the box with the file it had.
  bool saveBoxAs();
  // "Sicherungen...": a backup of the open box in place of its cards, to be saved.
  void showBackups();
  // "Zusammenführen...": other versions of the box (conflict copies of a sync tool)
  // chosen and merged into it; see mergeFiles.
  void mergeCopies();
  // Merges the card files into the open box, saves it and moves the files into the
  // backups. A save that does not happen (cancelled, failed) leaves the box as it was
  // and the files where they are.
  void mergeFiles(const std::vector<std::string>& paths);
  // Asks to merge the conflict copies beside the open box, once for each new set of
  // them.
  void lookForConflictCopies();
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
  // Taking back (Strg+Z) typing, answers, deletions and every command that changed
  // the box, newest first; the overview, typed answers and the size of the card texts.
  void takeBackAnswer();
  void showOverview();
  // "Karte suchen": finding, correcting, deleting cards and moving them to compartment 1.
  void findCards();
  // "Lernverlauf": the figures of the open box's learning journal.
  void showHistory();
  void toggleTypedAnswers();
  // Changes the card texts' size by steps of tSettings::kFontStep; 0 goes back to 100 %.
  void stepFont(int steps);
  // Reading aloud: the option, the side on screen once more, the box's language.
  void toggleReadAloud();
  void readAgain();
  void chooseLanguage();

  // The remembered settings, as they stand; the frame's size is the last one it had.
  const tSettings& settings() const { return settings_; }
  // Takes over settings read at start: the options and the card texts' size.
  void applySettings(const tSettings& settings);

  // View state, read by the tests and the menu enabling.
  bool modified() const { return modified_; }
  bool swapSides() const { return swapSides_; }
  bool emptyToEnd() const { return emptyToEnd_; }
  const tTermel* currentCard() const { return currentCard_; }
  int16_t currentCompartment() const { return currentCompartment_; }
  // The verdict on the typed answer of the card shown; none before the check.
  enum class tVerdict { None, Right, Wrong };
  tVerdict verdict() const { return verdict_; }

 private:
  void onCommand(wxCommandEvent& event);
  void onUpdateUI(wxUpdateUIEvent& event);
  void onActivate(wxActivateEvent& event);
  // mergeFiles' work, while no other question about copies may start.
  void mergeInto(const std::vector<std::string>& paths);
  // Merges every file of paths that can be read (and is not the box itself) into
  // cards, showing why the others cannot; the files merged, their versions added to
  // madeFrom.
  std::vector<std::string> mergeReadable(const std::vector<std::string>& paths, tPlacedCards* cards,
                                         tMergeSummary* summary, std::vector<std::string>* warnings,
                                         std::vector<std::string>* madeFrom);
  void onSize(wxSizeEvent& event);
  void onPaint(wxPaintEvent& event);
  // The frame's title names the box, and whether it is changed or read-only.
  void showTitle();
  // Shows collected load or save errors of this card file (or its box file) once, in
  // one message box that names the files.
  void showErrors(const std::vector<std::string>& errors, const std::string& cardFile);
  // Asks question (Ja saves) when the box is changed; false when the box must stay:
  // the learner wanted it saved and that failed or was cancelled, or closed the question.
  bool saveIfWanted(const char* question);
  // "Bisherige Daten sichern" before a changed box is replaced.
  bool offerToSave();
  // Replaces the box by the card file path, which becomes the open file. A box that
  // another program has open is opened only to read, if the learner agrees.
  void loadBox(const std::string& path);
  // After a load that failed on a file that is there (a text, a picture, a damaged
  // table), the box gets no file name, so no later save replaces that file unasked.
  void forgetUnreadFile(const tFileReport& report);
  // Locks the box at path; when another program has it open, asks whether to open it
  // only to read (*onlyToRead). False when the learner would rather not open it.
  bool claimBox(const std::string& path, bool* onlyToRead);
  // Asks what the save guard finds in the way of writing the open file. kSaveAs: the
  // learner wants the box saved under another name.
  enum class tSaveStep { kWrite, kSaveAs, kStop };
  tSaveStep checkBeforeSave(const std::string& path);
  // Writes the box into the card file path, which becomes the box's file when that
  // worked; reports what went wrong. True when the file was written.
  bool writeBox(const std::string& path);
  // Load errors and the records placed into compartment 1, in one message.
  void showLoadReport(const tFileReport& report, const std::string& cardFile);
  // The open box goes to the top of the recent boxes; the list and the box to reopen
  // at the next start are written to the settings at once.
  void rememberBox();
  // Writes the list as it stands to the settings and shows it.
  void keepRecentBoxes();
  // The open box's path as the next start looks for it; empty without a box.
  wxString lastBoxPath() const;
  // The recent boxes in the file menu of the frame's menu bar, once it has one.
  void showRecentBoxes();
  void setField(wxStaticText* field, const char* cp1252);
  void setFieldText(wxStaticText* field, const wxString& text);
  // What a screen reader calls the field: "Frage", "Antwort" or "Fach".
  wxString fieldCaption(const wxStaticText* field) const;
  void focusNextStep();
  void fitFont(wxStaticText* field);
  void createTypedControls();
  // The question state for currentCard_, chosen by refresh or given back by the history.
  void showQuestion();
  // Enter on a typed answer: the verdict, the marked answer and the answer side.
  void checkTypedAnswer();
  void layoutTypedRow(int width, int height);
  void relayout();
  void showTypedControls();
  bool typing() const { return settings_.typedAnswers && currentCard_ != nullptr; }
  const char* answerSide() const;
  wxFont cardFont() const;
  int fieldHeight() const;
  int answerRowHeight() const;
  // Recovery data (haupt_fenster_recovery.cpp): kept for the box attached, offered
  // back when it is opened, kept among the backups when it is not wanted back or the
  // changes are given up, gone once the box is saved.
  void createRecoveryKeeper();
  void attachRecovery();
  void offerRecovery();
  void setAsideDamagedRecovery(const std::string& error);
  void keepRecoveryData(const tRecoveryData& data);
  void keepDiscardedChanges();
  // The card file, changed elsewhere, is about to be replaced by recovered cards: it
  // is kept among the backups first.
  void keepChangedFile();
  void closeUnchanged();
  void noteSaved();
  // A box replaced (new, opened, restored) makes every earlier change final.
  void forgetAnswers() {
    history_.clear();
    undo_.clear();
  }
  // The command named label (as its menu item, code page 1252) changed the box as
  // change says: kept for Strg+Z, the box marked changed and shown anew.
  void changedBy(const char* label, std::unique_ptr<tUndoChange> change);
  // Strg+Z on a step of undo_ rather than the history.
  void takeBackChange();
  // The Strg+Z menu item names what it takes back.
  wxString undoItemLabel();
  void showUndoItem();
  // Answers the card shown through the history (kKnown or kUnknown) and journals it.
  void answer(tJournalEvent event);
  // Writes an answer or its taking back into the open box's journal; the first
  // failure for a box is reported, the drill goes on regardless.
  void journal(tJournalEvent event, const tTermel& card, int from, int to);
  // After the box was saved under a new name: its history goes along, a copy, as the
  // box under the old name keeps its own.
  void takeJournalAlong(const std::string& oldFileName);
  void rememberFrameSize();
  int neededClientHeight() const;
  void fitClientToFont();
  // Reads the question side (answer false) or the answer side of the card shown, if
  // reading aloud is on; with no card, only stops what is being read.
  void readSide(bool answer);
  // Shows in the status bar why nothing can be read aloud, when there is a reason.
  void showSpeechTrouble(const std::string& why);
  bool canReadAloud() const { return settings_.readAloud && vorlesen_.usable(); }
  // The open box's translation language; a box without a file keeps it for the run.
  std::string translationLanguage() const;
  // Makes code the open box's language, remembered when the box has a file.
  void keepTranslationLanguage(const std::string& code);

  wxStatusBar* statusBar_;
  tSaveGuard saveGuard_;
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
  wxTextCtrl* answerEntry_;
  std::unique_ptr<tTypingUndo> typingUndo_;  // of answerEntry_
  tMarkedText* typedField_;
  wxStaticText* verdictField_;
  tVerdict verdict_;
  bool sized_;  // the window has had its first size change
  // The client height the learner gave the frame before larger texts made it grow, 0
  // while it has not grown; and the height it was grown to.
  int learnerHeight_;
  int fittedHeight_;
  tSettings settings_;
  tAnswerHistory history_;
  tUndoStack undo_;  // the changes made by commands, taken back along with history_
  // The journal of the box in journalBox_, so its lines are counted once per box.
  tLearningJournal journal_;
  std::string journalBox_;
  bool journalFailed_;  // reported for journalBox_
  tRecentBoxes recentBoxes_;
  // The conflict copies last asked about, so the same ones are not asked about again.
  std::vector<std::string> copiesAsked_;
  // A question about conflict copies or a merge is under way; the questions and
  // dialogs it shows hand the front back to the window, which must not start another.
  bool busyWithCopies_ = false;
  // The versions a merge took in, named in the record of versions by the save of its
  // result; empty for any other save.
  std::vector<std::string> mergedVersions_;
  tVorlesen vorlesen_;
  bool readingDeferred_ = false;  // a reading waits for the frame to show
  std::string unnamedBoxLanguage_;
  std::unique_ptr<tRecoveryKeeper> recovery_;
};

#endif  // TERMEL_APP_HAUPT_FENSTER_H_
