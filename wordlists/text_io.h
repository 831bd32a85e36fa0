// Text import and export: one card per line, "term;translation".
#ifndef TERMEL_WORDLISTS_TEXT_IO_H_
#define TERMEL_WORDLISTS_TEXT_IO_H_

#include <cstdio>
#include <functional>
#include <string>

// Results of importing a line; kImportAdded and kImportAlreadyPresent mean handled,
// kImportCut is a notice about a card that was added.
enum : int {
  kImportNoSeparator = 1301,   // "Kein Trennzeichen"
  kImportNoFirstTerm = 1302,   // "Erster Begriff fehlt"
  kImportNoSecondTerm = 1303,  // "Zweiter Begriff fehlt"
  kImportNotEncodable = 1304,  // "Zeichen nicht darstellbar"
  kImportNotUtf8 = 1305,       // "Kein gültiges UTF-8"
  kImportControlStart = 1306,  // "Steuerzeichen am Zeilenanfang"
  kImportLineTooLong = 1307,   // "Zeile zu lang"
  kImportCut = 1308,           // "auf 63 Zeichen gekürzt"
  kImportAdded = 0,
  kImportAlreadyPresent = 1,  // "Karte schon vorhanden"
};

// Caption of the report of a line that was not taken (or cut), or nullptr.
const char* importCaption(int code);

// Called once per line not taken, and per card whose text was cut: its code,
// caption, the text to show (code page 1252) and its line, counted from 1 (0 when
// not known).
using tImportReporter =
    std::function<void(int code, const char* caption, const char* text, int line)>;

struct tImportResult {
  bool opened = false;      // false: not a regular file that can be read; nothing imported
  bool readFailed = false;  // reading stopped at an error; the lines before are imported
  int added = 0;
  int malformed = 0;       // lines or records refused
  int alreadyPresent = 0;  // cards skipped because the box holds them already
  int cut = 0;             // cards added with a text cut to 63 characters
  // Cards added from lines in which typographic characters (quotes, dashes, the
  // ellipsis, the no-break space, the euro sign) were replaced by plain ones.
  int replaced = 0;
  bool notes = false;  // counted by the notes of a flashcard package, not by lines
  // Quoted fields whose line breaks became blanks, so their record gave one card line.
  int joined = 0;
  // The separator a CSV file or a tab-separated .txt file was found to use; 0 when the
  // format names it.
  char separator = 0;
};

// Imports one line (code page 1252, line end optional) into compartment 1 of
// theCardBox, by the rules of importTextFile: its code.
int importLine(const std::string& line);

// Imports a text file into theCardBox, reading it as a stream: memory grows with the
// cards added and the index of the box's cards, never with the length of the file.
// Each line is one card: the first ";" separates term and translation, blanks and
// tabs at both ends of each go, backslash escapes (\"a for ä) are expanded once.
// UTF-16 with its byte-order mark is decoded; a file that is mostly UTF-8 is read as
// UTF-8 (its lines that are not are reported), any other as code page 1252.
// Anything but a readable regular file (a directory, a FIFO, a device) is not opened.
tImportResult importTextFile(const char* path, const tImportReporter& report);
// The same from a stream open for reading (standard input, a pipe), read to its end.
// A stream that cannot seek is copied into a temporary file while its encoding is
// decided, so memory stays bounded.
tImportResult importTextStream(std::FILE* in, const tImportReporter& report);

// The cards of theCardBox a text export would not give back as they are, and why: a
// term holding ";" is split there when read back, blanks at either end of a text go,
// and a backslash that starts an escape is expanded. A card may have several reasons.
struct tTextExportLoss {
  int cards = 0;
  int semicolon = 0;
  int blankAtEnd = 0;
  int backslash = 0;
};
tTextExportLoss textExportLoss();
// How many cards of theCardBox a text export would not give back as they are.
int cardsTextCannotKeep();
// The note after a text export of a box holding such cards, with a count for each
// reason (code page 1252); empty for none. It suggests CSV, which keeps them.
std::string textExportNote(const tTextExportLoss& loss);

// Writes every card, compartment by compartment, as code page 1252 or UTF-8 lines.
// False when the file could not be written completely.
bool exportTextFile(const char* path, bool utf8 = false);
// The same into a stream open for writing (standard output); not closed.
bool exportTextStream(std::FILE* out, bool utf8 = false);

#endif  // TERMEL_WORDLISTS_TEXT_IO_H_
