// What the window asks before it writes the open box's file, and what it tells after
// a load or an import: files whose rewrite loses columns, write-protected files, boxes
// that another program has open, files changed by someone else since they were loaded,
// records placed into compartment 1, and lines whose characters were replaced.
#include <signal.h>
#include <spawn.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "box/card_box.h"
#include "gui_test.h"
#include "import_summary_expectation.h"
#include "kartei/box_lock.h"
#include "kartei/card_file.h"
#include "main_frame_fixture.h"
#include "tests/kartei/foreign_card_file.h"
#include "wordlists/word_list_format.h"

extern char** environ;

namespace {

const long kYesNo = wxYES_NO | wxICON_NONE;
// Questions whose Ja gives up data have Nein as their default button.
const long kYesNoDefaultNo = kYesNo | wxNO_DEFAULT;
const std::vector<tBoxCard> kBox = {{1, "Haus", "house"}, {1, "Baum", "tree"}};

std::string readAll(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Fronts of compartment 1 as the file holds them, read through a fresh box.
std::vector<std::string> frontsInFile(const std::string& file, tFileReport* report = nullptr) {
  theCardBox.clearAll();
  tFileReport loaded;
  loadCardFile(file.c_str(), report != nullptr ? report : &loaded);
  std::vector<std::string> fronts;
  for (int n = 1; n <= 7; ++n) {
    tTermel card;
    for (tTermel* it = theCardBox.firstIn(n, &card); it; it = theCardBox.nextIn(n, &card)) {
      fronts.push_back(card.front);
    }
  }
  theCardBox.clearAll();
  return fronts;
}

tExpectFile saveDialog(const std::string& path) {
  tFileDialogLook look;
  look.title = "Kartei sichern unter";
  look.wildcard = "Termeln (*.trm)|*.trm";
  look.style = wxFD_SAVE | wxFD_OVERWRITE_PROMPT;
  return tExpectFile(path, look);
}

tExpectFile openDialog(const std::string& path) {
  tFileDialogLook look;
  look.title = wxString::FromUTF8("Kartei öffnen");
  look.wildcard = "Termeln (*.trm)|*.trm";
  look.style = wxFD_OPEN | wxFD_FILE_MUST_EXIST;
  return tExpectFile(path, look);
}

// A yes-or-no question of the window naming file in place of %s (UTF-8).
tExpectBox question(const char* format, const std::string& file, int answer, long style = kYesNo) {
  wxString text = wxString::FromUTF8(format);
  text.Replace("%s", wxString::FromUTF8(file));
  return tExpectBox(text, "Achtung", style, answer);
}

const char kLossy[] =
    "Die Datei wird im Kartei-Format neu geschrieben; nicht gelesene Felder gehen verloren. "
    "Trotzdem sichern?";
const char kWriteProtected[] =
    "Die Datei %s ist schreibgeschützt. Unter einem anderen Namen sichern?";
const char kOpenElsewhere[] =
    "Die Kartei %s ist in einem anderen Programm geöffnet. Nur zum Lesen öffnen?";
const char kOpenedToRead[] =
    "Die Kartei %s ist nur zum Lesen geöffnet. Unter einem anderen Namen sichern?";
const char kChanged[] =
    "Die Datei %s wurde inzwischen von einem anderen Programm geändert. Trotzdem überschreiben?";

// Another program with the box open: a flock(1) process holding the box's lock until
// it is ended.
class tOtherProgram {
 public:
  explicit tOtherProgram(const std::string& cardFile) {
    const std::string lockFile = tBoxLock::lockFileOf(cardFile);
    const char* argv[] = {"flock", lockFile.c_str(), "sleep", "60", nullptr};
    if (posix_spawnp(&pid_, "flock", nullptr, nullptr, const_cast<char**>(argv), environ) != 0) {
      pid_ = -1;
      return;
    }
    // Held once a lock of our own is refused; on a busy machine starting the other
    // program can take longer than a window takes to answer.
    tBoxLock probe;
    guitest::waitFor(
        [&] {
          const tLockState state = probe.acquire(cardFile);
          probe.release();
          return state == tLockState::kHeldElsewhere;
        },
        20000);
  }
  ~tOtherProgram() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
  }
  bool running() const { return pid_ > 0; }

 private:
  pid_t pid_ = -1;
};

bool lockedElsewhere(const std::string& cardFile) {
  tBoxLock probe;
  return probe.acquire(cardFile) == tLockState::kHeldElsewhere;
}

// A directory nobody may write into, not even root: bind-mounted read-only in a mount
// namespace of this test process alone (for other users, its mode is enough).
class tReadOnlyDir {
 public:
  explicit tReadOnlyDir(const std::string& dir) : dir_(dir) {
    if (geteuid() != 0) {
      protected_ = chmod(dir.c_str(), 0555) == 0;
      return;
    }
    static const bool ownNamespace =
        unshare(CLONE_NEWNS) == 0 &&
        mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
    protected_ =
        ownNamespace && mount(dir.c_str(), dir.c_str(), nullptr, MS_BIND, nullptr) == 0 &&
        mount(nullptr, dir.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0;
  }
  ~tReadOnlyDir() {
    if (geteuid() != 0) {
      chmod(dir_.c_str(), 0755);
    } else {
      umount2(dir_.c_str(), MNT_DETACH);
    }
  }
  bool isProtected() const { return protected_; }

 private:
  std::string dir_;
  bool protected_ = false;
};

}  // namespace

TEST_F(MainFrameTest, FileWithColumnsOfItsOwnIsRewrittenOnlyAfterYesAskedOnce) {
  const std::string file = path("notizen.trm");
  ASSERT_TRUE(writeForeignCardFile(file, 64, "NOTIZ", {{"Haus", "house"}}));
  const std::string before = readAll(file);
  start(file);
  press(WXK_RETURN);
  press(WXK_RETURN);  // known: the box has changed
  wxTEST_DIALOG(menu(CM_SICHERN), tExpectBox(kLossy, "Achtung", kYesNoDefaultNo, wxID_NO));
  EXPECT_EQ(readAll(file), before);
  EXPECT_TRUE(window_->modified());
  // Closing offers to save; No to the rewrite keeps the program open.
  wxTEST_DIALOG(EXPECT_FALSE(closeFrame()), tExpectBox("Speichern?", "Achtung", kYesNo, wxID_YES),
                tExpectBox(kLossy, "Achtung", kYesNoDefaultNo, wxID_NO));
  EXPECT_EQ(readAll(file), before);

  wxTEST_DIALOG(menu(CM_SICHERN), tExpectBox(kLossy, "Achtung", kYesNoDefaultNo, wxID_YES));
  EXPECT_FALSE(window_->modified());
  press(WXK_RETURN);
  press(WXK_RETURN);
  menu(CM_SICHERN);  // agreed once: no second question
  EXPECT_FALSE(window_->modified());
  stop();
  tFileReport report;
  EXPECT_EQ(frontsInFile(file, &report), std::vector<std::string>{"Haus"});
  EXPECT_EQ(report.foreignColumns, 0);
}

TEST_F(MainFrameTest, RecordsWithoutUsableCompartmentAreReportedOnLoad) {
  const std::string file = writeBox("fach.trm", {{3, "Haus", "house"}, {3, "Baum", "tree"}});
  {
    tTrmDB db;
    ASSERT_TRUE(db.open(file.c_str()));
    ASSERT_TRUE(db.goTo(0));
    db.KASTEN.set("x");
    ASSERT_TRUE(db.writeRecord());
  }
  wxTEST_DIALOG(start(file), tExpectError({"1 Karte ohne gültiges Fach wurde ins 1. Fach gelegt.",
                                           "Datei: " + file}));
  EXPECT_EQ(status(0), "Fach: 1 Gesamt: 2");
  EXPECT_EQ(label(ID_COMPARTMENT), "1");
}

// Another program's card file with wider text columns and a record it marked deleted:
// the load says both, the deleted record is no card, and the save that would cut the
// long text is asked about first.
TEST_F(MainFrameTest, LongTextsAndDeletedRecordsAreToldAndTheCuttingSaveAsked) {
  const std::string file = path("breit.trm");
  ASSERT_TRUE(writeForeignCardFile(
      file, 100, nullptr, {{"weg", "house"}, {"lang", std::string(80, 'x')}, {"Haus", "house"}}));
  std::string bytes = readAll(file);
  bytes[bytes.find("weg") - 1] = '*';
  std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
  const std::string before = readAll(file);

  wxTEST_DIALOG(start(file),
                tExpectError({"In der Datei " + file + " wurden gelöschte Sätze übergangen: 1.",
                              "In der Datei " + file +
                                  " sind Texte länger als 63 Zeichen (Karten: 1); beim Sichern "
                                  "werden sie gekürzt."}));
  EXPECT_EQ(status(0), "Fach: 2 Gesamt: 2");
  press(WXK_RETURN);
  press(WXK_RETURN);  // known: the box has changed
  wxTEST_DIALOG(menu(CM_SICHERN), tExpectBox(kLossy, "Achtung", kYesNoDefaultNo, wxID_NO));
  EXPECT_EQ(readAll(file), before);
  wxTEST_DIALOG(menu(CM_SICHERN), tExpectBox(kLossy, "Achtung", kYesNoDefaultNo, wxID_YES));
  EXPECT_FALSE(window_->modified());
  stop();
  tFileReport report;
  EXPECT_EQ(frontsInFile(file, &report), (std::vector<std::string>{"Haus", "lang"}));
  EXPECT_EQ(report.deletedSkipped, 0);
  EXPECT_EQ(report.longTexts, 0);
}

TEST_F(MainFrameTest, WriteProtectedBoxOpensAndOffersAnotherName) {
  const std::string dir = path("schreibgeschuetzt");
  ASSERT_TRUE(std::filesystem::create_directory(dir));
  const std::string file = writeBox("schreibgeschuetzt/haus.trm", kBox);
  const std::string before = readAll(file);
  tReadOnlyDir readOnly(dir);
  if (!readOnly.isProtected()) GTEST_SKIP() << "no read-only directory to be had here";
  start(file);
  EXPECT_EQ(status(0), "Fach: 2 Gesamt: 2");
  press(WXK_RETURN);
  press(WXK_RETURN);
  wxTEST_DIALOG(menu(CM_SICHERN), question(kWriteProtected, file, wxID_NO));
  EXPECT_TRUE(window_->modified());
  EXPECT_EQ(readAll(file), before);
  // Closing, the learner wants the progress kept but cancels the other name: the
  // program stays open rather than dropping what was learned.
  wxTEST_DIALOG(EXPECT_FALSE(closeFrame()), tExpectBox("Speichern?", "Achtung", kYesNo, wxID_YES),
                question(kWriteProtected, file, wxID_YES), saveDialog(""));
  EXPECT_TRUE(window_->modified());

  const std::string copy = path("kopie.trm");
  wxTEST_DIALOG(menu(CM_SICHERN), question(kWriteProtected, file, wxID_YES), saveDialog(copy));
  EXPECT_FALSE(window_->modified());
  EXPECT_EQ(currentFileName, copy);
  EXPECT_EQ(readAll(file), before);
  // The copy is the open file now, and it may be written.
  press(WXK_RETURN);
  press(WXK_RETURN);
  menu(CM_SICHERN);
  EXPECT_FALSE(window_->modified());
  stop();
  EXPECT_EQ(frontsInFile(copy).size(), 2u);
}

TEST_F(MainFrameTest, BoxOpenInTheWindowIsLockedUntilAnotherBoxOrExit) {
  const std::string file = writeBox("haus.trm", kBox);
  const std::string other = writeBox("anderer.trm", {{2, "Tisch", "table"}});
  start(file);
  EXPECT_TRUE(lockedElsewhere(file));
  wxTEST_DIALOG(menu(CM_OEFFNEN), openDialog(other));
  EXPECT_FALSE(lockedElsewhere(file));
  EXPECT_TRUE(lockedElsewhere(other));
  wxTEST_DIALOG(menu(CM_NEU),
                tExpectBox("Alle Termeln werden geloescht!", "Warnung",
                           wxOK | wxCANCEL | wxCANCEL_DEFAULT | wxICON_QUESTION, wxID_OK));
  EXPECT_FALSE(lockedElsewhere(other));
  wxTEST_DIALOG(menu(CM_OEFFNEN), openDialog(file));
  EXPECT_TRUE(lockedElsewhere(file));
  stop();
  EXPECT_FALSE(lockedElsewhere(file));
}

TEST_F(MainFrameTest, BoxOpenInAnotherProgramOpensOnlyToRead) {
  const std::string file = writeBox("haus.trm", kBox);
  const std::string before = readAll(file);
  tOtherProgram otherProgram(file);
  ASSERT_TRUE(otherProgram.running());
  ASSERT_TRUE(lockedElsewhere(file));

  // Named at start and refused: no box is open.
  wxTEST_DIALOG(start(file), question(kOpenElsewhere, file, wxID_NO));
  EXPECT_EQ(currentFileName, "");
  EXPECT_EQ(theCardBox.totalCount(), 0);
  // Refused through "Öffnen...", the box open before stays open and locked.
  const std::string own = writeBox("eigener.trm", {{2, "Tisch", "table"}});
  wxTEST_DIALOG(menu(CM_OEFFNEN), openDialog(own));
  wxTEST_DIALOG(menu(CM_OEFFNEN), openDialog(file), question(kOpenElsewhere, file, wxID_NO));
  EXPECT_EQ(currentFileName, own);
  EXPECT_EQ(frontsIn(2), std::vector<std::string>{"Tisch"});
  EXPECT_TRUE(lockedElsewhere(own));
  // Through "Öffnen..." and agreed: the box opens, and "Sichern" offers another name.
  wxTEST_DIALOG(menu(CM_OEFFNEN), openDialog(file), question(kOpenElsewhere, file, wxID_YES));
  EXPECT_EQ(currentFileName, file);
  EXPECT_EQ(status(0), "Fach: 2 Gesamt: 2");
  press(WXK_RETURN);
  press(WXK_RETURN);
  wxTEST_DIALOG(menu(CM_SICHERN), question(kOpenedToRead, file, wxID_NO));
  EXPECT_TRUE(window_->modified());
  EXPECT_EQ(readAll(file), before);
  // Saving under the same name again is refused while the other program has it.
  wxTEST_DIALOG(menu(CM_SICHERN_ALS), saveDialog(file),
                tExpectError({"Die Kartei " + file + " ist in einem anderen Programm geöffnet."}));
  EXPECT_EQ(readAll(file), before);
  // A save under another name that fails leaves the box opened only to read, as it was.
  const std::string unwritable = "/proc/termel_test.trm";
  wxTEST_DIALOG(menu(CM_SICHERN), question(kOpenedToRead, file, wxID_YES), saveDialog(unwritable),
                tExpectError({unwritable}));
  EXPECT_EQ(currentFileName, file);
  const std::string copy = path("kopie.trm");
  wxTEST_DIALOG(menu(CM_SICHERN), question(kOpenedToRead, file, wxID_YES), saveDialog(copy));
  EXPECT_FALSE(window_->modified());
  EXPECT_EQ(readAll(file), before);
  EXPECT_TRUE(lockedElsewhere(copy));
}

TEST_F(MainFrameTest, BoxWhoseLockCannotBeTakenOpensOnlyToReadAndSaysWhy) {
  const std::string file = writeBox("haus.trm", kBox);
  const std::string before = readAll(file);
  // Something other than a lock file stands where the lock file belongs.
  const std::string lockFile = tBoxLock::lockFileOf(file);
  ASSERT_TRUE(std::filesystem::create_directory(lockFile));
  wxTEST_DIALOG(start(file),
                tExpectError({"Die Kartei " + file + " lässt sich nicht sperren: die Sperrdatei " +
                                  lockFile + " kann nicht angelegt werden: Ist ein Verzeichnis.",
                              "Sie wird nur zum Lesen geöffnet."}));
  EXPECT_EQ(frame_->GetTitle().utf8_string(), "haus.trm (schreibgeschützt) – Deruvuvodiru");
  EXPECT_EQ(status(0), "Fach: 2 Gesamt: 2");
  press(WXK_RETURN);
  press(WXK_RETURN);
  wxTEST_DIALOG(menu(CM_SICHERN), question(kOpenedToRead, file, wxID_NO));
  EXPECT_TRUE(window_->modified());
  EXPECT_EQ(readAll(file), before);
  // Saved under another name, the box is written there and may be saved again.
  const std::string copy = path("kopie.trm");
  wxTEST_DIALOG(menu(CM_SICHERN), question(kOpenedToRead, file, wxID_YES), saveDialog(copy));
  EXPECT_FALSE(window_->modified());
  EXPECT_EQ(readAll(file), before);
  EXPECT_TRUE(lockedElsewhere(copy));
}

TEST_F(MainFrameTest, FileChangedElsewhereIsOverwrittenOnlyAfterYes) {
  const std::string other = writeBox("anderer.trm", {{2, "Tisch", "table"}});
  const std::string file = writeBox("haus.trm", kBox);
  start(file);
  press(WXK_RETURN);
  press(WXK_RETURN);
  // Another program writes the file while the box is open here.
  std::filesystem::copy_file(other, file, std::filesystem::copy_options::overwrite_existing);
  wxTEST_DIALOG(menu(CM_SICHERN), question(kChanged, file, wxID_NO, kYesNoDefaultNo));
  EXPECT_TRUE(window_->modified());
  EXPECT_EQ(readAll(file), readAll(other));
  wxTEST_DIALOG(menu(CM_SICHERN), question(kChanged, file, wxID_YES, kYesNoDefaultNo));
  EXPECT_FALSE(window_->modified());
  // Its own save changes nothing that calls for the question.
  press(WXK_RETURN);
  press(WXK_RETURN);
  menu(CM_SICHERN);
  EXPECT_FALSE(window_->modified());
  stop();
  EXPECT_EQ(frontsInFile(file).size(), 2u);
}

TEST_F(MainFrameTest, WordProcessorListImportsInPlainFormsThroughSaveAndLoad) {
  const std::string list = std::string(TERMEL_TEST_DATA_DIR) + "/text/textverarbeitung-utf8.txt";
  start();
  tFileDialogLook look;
  look.title = "Wortliste importieren";
  look.wildcard = wordListImportFilter();
  look.style = wxFD_OPEN | wxFD_FILE_MUST_EXIST;
  wxTEST_DIALOG(menu(CM_IMPORT), tExpectFile(list, look),
                importSummary({"10 Karten übernommen.\n1 Zeile nicht übernommen.\n"
                               "In 8 Zeilen wurden typografische Zeichen durch einfache ersetzt "
                               "(Anführungszeichen, Striche, Auslassungspunkte, Euro-Zeichen, "
                               "geschützte Leerzeichen).\nDatei: " +
                                   list,
                               {"Zeile 8: Zeichen nicht darstellbar: Größe in µm;size in µm"}}));
  const std::string file = path("liste.trm");
  wxTEST_DIALOG(menu(CM_SICHERN), saveDialog(file));
  stop();
  std::vector<std::string> fronts = frontsInFile(file);
  EXPECT_EQ(fronts, (std::vector<std::string>{"\"Guten Tag\"", "'s Wirtshaus", "Preis - 5 EUR",
                                              "und so weiter ...", "Mr. Smith",
                                              "Gedankenstrich - lang", "'einfach'",
                                              "\xDC"
                                              "bung",
                                              "Stra\xDF"
                                              "e",
                                              "Einger\xFC"
                                              "ckt \"Zeile\""}));
}
