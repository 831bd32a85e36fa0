// Text import and export: one card per line, "term;translation".
#ifndef TERMEL_WORDLISTS_TEXT_IO_H_
#define TERMEL_WORDLISTS_TEXT_IO_H_

#include <cstdio>
#include <functional>
#include <string>

// Results of importLine for malformed lines; anything else means handled.
enum : int {
  kImportNoSeparator = 1301,   // "Kein Trennzeichen"
  kImportNoFirstTerm = 1302,   // "Erster Begriff fehlt"
  kImportNoSecondTerm = 1303,  // "Zweiter Begriff fehlt"
  kImportNotEncodable = 1304,  // "Zeichen nicht darstellbar"
  kImportAdded = 0,
  kImportAlreadyPresent = 1,
};

class tImportIndex;

// Splits a line (code page 1252, at most 1023 characters) in place and adds its card
// to compartment 1 of theCardBox unless a card with both texts equal is present.
// index, when given, stands in for the search of the whole box. The line is first
// brought into the form a card can hold (card_text.h): kImportNotEncodable when it
// holds a character no card can; replaced characters show in the line as left, which
// is why line needs room for 1024 characters (the replaced line is cut to 1023).
int importLine(char* line, tImportIndex* index = nullptr);
// Caption of the message shown for a malformed line, or nullptr.
const char* importCaption(int code);

// Called once per malformed line with its code, caption and the text to show.
using tImportReporter = std::function<void(int code, const char* caption, const char* text)>;

struct tImportResult {
  bool opened = false;      // false: not a regular file that can be read; nothing imported
  bool readFailed = false;  // reading stopped at an error; the lines before are imported
  int added = 0;
  int malformed = 0;
  // Cards added from lines in which typographic characters (quotes, dashes, the
  // ellipsis, the no-break space, the euro sign) were replaced by plain ones.
  int replaced = 0;
};

// Imports a text file into theCardBox, reading it as a stream: memory grows with the
// cards added (and, from the first one on, by an index of the box's cards), never
// with the length of the file. A file that is valid UTF-8 (with or without a
// byte-order mark) is decoded; any other file is taken as code page 1252. Anything
// but a readable regular file (a directory, a FIFO, a device) is not opened.
tImportResult importTextFile(const char* path, const tImportReporter& report);
// The same from a stream open for reading (standard input, a pipe), read to its end.
// A stream that cannot seek is copied into a temporary file while its encoding is
// decided, so memory stays bounded.
tImportResult importTextStream(std::FILE* in, const tImportReporter& report);

// Writes every card, compartment by compartment, as code page 1252 or UTF-8 lines.
// False when the file could not be written completely.
bool exportTextFile(const char* path, bool utf8 = false);
// The same into a stream open for writing (standard output); not closed.
bool exportTextStream(std::FILE* out, bool utf8 = false);

#endif  // TERMEL_WORDLISTS_TEXT_IO_H_
