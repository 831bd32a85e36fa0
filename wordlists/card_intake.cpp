#include "wordlists/card_intake.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <utility>

#include "box/card_box.h"
#include "box/card_text.h"
#include "box/termel.h"
#include "storage/text_encoding.h"

namespace {

// The length of text as a card holds it: without trailing spaces, cut to 63
// characters, and without trailing spaces after the cut too, so a card never ends in
// one and reads back the same from any export. *cut is set when the cut took characters.
size_t cardLength(std::string_view text, bool* cut) {
  size_t size = text.size();
  while (size > 0 && text[size - 1] == ' ') --size;
  const size_t room = static_cast<size_t>(tTermel::kTextSize - 1);
  *cut = size > room;
  if (!*cut) return size;
  size = room;
  while (size > 0 && text[size - 1] == ' ') --size;
  return size;
}

void putCardText(char* field, std::string_view text) {
  std::memcpy(field, text.data(), text.size());
  field[text.size()] = '\0';
}

// A record may spread a text over several lines; a card shows one line.
std::string withoutLineBreaks(const std::string& text) {
  std::string flat;
  flat.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    flat.push_back(c == '\r' || c == '\n' || c == '\t' ? ' ' : c);
  }
  return flat;
}

bool hasControlCharacter(const std::string& text) {
  for (const char c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return true;
  }
  return false;
}

// One card text from UTF-8 into code page 1252: kImportAdded, or kImportNotEncodable
// for a character code page 1252 lacks.
int codePageText(const std::string& utf8, std::string* cp1252) {
  return utf8ToCp1252(utf8, cp1252) ? kImportAdded : kImportNotEncodable;
}

}  // namespace

const char kShownNul[] = "\\0";

std::string separatorName(char separator) {
  switch (separator) {
    case ';':
      return "Semikolon";
    case ',':
      return "Komma";
    case '\t':
      return "Tabulator";
    case '|':
      return "senkrechter Strich";
    case ' ':
      return "Leerzeichen";
    default:
      return std::string("\x84") + separator + "\x93";
  }
}

const char* wordListCaption(int code) {
  switch (code) {
    case kImportFieldCount:
      return "Andere Spaltenzahl als die \xFC"
             "brigen Zeilen";
    case kImportTabInText:
      return "Tabulator als Leerzeichen \xFC"
             "bernommen";
    case kImportExtraColumns:
      return "Weitere Spalten ignoriert";
    case kImportOpenQuote:
      return "Anf\xFChrungszeichen nicht geschlossen";
    case kImportNotAWordList:
      return "Keine lesbare Vokabeldatei";
    case kImportStrayQuote:
      return "Anf\xFChrungszeichen als Text \xFC"
             "bernommen";
    case kImportCloze:
      return "L\xFC"
             "ckentext nicht \xFC"
             "bernommen";
    case kImportFewFields:
      return "Weniger als zwei Felder mit Text";
    case kImportMediaIgnored:
      return "Mediendateien ignoriert";
    case kImportEntity:
      return "Entit\xE4t nicht aufgel\xF6st";
    case kImportAlreadyPresent:
      return "Karte schon vorhanden";
    case kImportCut:
      return "auf 63 Zeichen gek\xFCrzt";
    default:
      return importCaption(code);
  }
}

std::string wordListNote(const char* caption, const char* text, int line) {
  std::string note = line > 0 ? "Zeile " + std::to_string(line) + ": " : std::string();
  note += caption != nullptr ? caption : "";
  note += ": ";
  note += text != nullptr ? text : "";
  while (!note.empty() && (note.back() == '\n' || note.back() == '\r')) note.pop_back();
  // A control character would act on a terminal or break the line of a list.
  for (char& c : note) {
    if (c == '\n' || c == '\r' || c == '\t') {
      c = ' ';
    } else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
      c = '?';
    }
  }
  return note;
}

std::string importSummaryText(const tImportResult& result) {
  const auto counted = [](int n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
  };
  std::string text = counted(result.added, "Karte", "Karten") +
                     " \xFC"
                     "bernommen.";
  const char* const one = result.notes ? "Notiz" : "Zeile";
  const char* const many = result.notes ? "Notizen" : "Zeilen";
  const int notTaken = result.malformed + result.alreadyPresent;
  if (notTaken > 0) {
    text += "\n" + counted(notTaken, one, many) +
            " nicht \xFC"
            "bernommen";
    if (result.alreadyPresent > 0) {
      text += ", davon " + std::to_string(result.alreadyPresent) + " schon in der Kartei";
    }
    text += ".";
  }
  if (result.cut > 0) {
    text += "\n" + counted(result.cut, "Karte", "Karten") + " auf 63 Zeichen gek\xFCrzt.";
  }
  if (result.joined > 0) {
    text += "\n" + counted(result.joined, "Feld", "Felder") +
            " mit Zeilenumbr\xFC"
            "chen zu einer Zeile zusammengef\xFCgt.";
  }
  if (result.separator != 0) text += "\nTrennzeichen: " + separatorName(result.separator) + ".";
  if (result.replaced > 0) {
    text += "\nIn " + counted(result.replaced, one, many) +
            " wurden typografische Zeichen durch einfache ersetzt (Anf\xFChrungszeichen, "
            "Striche, Auslassungspunkte, Euro-Zeichen, gesch\xFCtzte Leerzeichen).";
  }
  return text;
}

tCardIntake::tCardIntake(const tWordListReporter& report, tImportResult* result)
    : report_(report), result_(result), index_(theCardBox) {}

int tCardIntake::add(tWordCard card) {
  std::string front, back;
  int code = codePageText(withoutLineBreaks(card.front), &front);
  if (code == kImportAdded) code = codePageText(withoutLineBreaks(card.back), &back);
  const std::string shown = utf8ToCp1252Shown(
      card.label + (card.source.empty() ? card.front + ";" + card.back : card.source));
  if (code != kImportAdded) {
    refuseCp1252(code, card.line, shown);
    return code;
  }
  card.front.swap(front);
  card.back.swap(back);
  return addCp1252(std::move(card), shown);
}

int tCardIntake::addCp1252(tWordCard card, const std::string& shown) {
  tPreparedCard prepared;
  prepare(std::move(card), shown, &prepared);
  return commit(prepared);
}

void tCardIntake::prepare(tWordCard card, const std::string& shown, tPreparedCard* prepared) {
  int code = kImportAdded;
  bool replaced = card.replaced;
  for (std::string* text : {&card.front, &card.back}) {
    const tCardTextFit fit = fitCardText(text);
    if (!fit.fits || hasControlCharacter(*text)) code = kImportNotEncodable;
    replaced = replaced || fit.replaced;
  }
  // Assigned, not constructed: a reader's prepared cards are reused, so their copies
  // keep their memory from line to line.
  prepared->kept = shown;
  if (code != kImportAdded) {
    prepared->shown = prepared->kept;
    prepared->line = card.line;
    prepared->code = code;
    return;
  }
  prepareFitted(card.front, card.back, card.line, prepared->kept, prepared);
  prepared->compartment = card.compartment;
  prepared->replaced = replaced;
  prepared->made.timesKnown = card.timesKnown;
  prepared->made.timesUnknown = card.timesUnknown;
}

void tCardIntake::prepareFitted(std::string_view front, std::string_view back, int line,
                                std::string_view shown, tPreparedCard* prepared) {
  prepared->shown = shown;
  prepared->line = line;
  prepared->compartment = 1;
  prepared->replaced = false;
  bool frontCut = false, backCut = false;
  const size_t frontSize = cardLength(front, &frontCut);
  const size_t backSize = cardLength(back, &backCut);
  prepared->cut = frontCut || backCut;
  prepared->code = frontSize == 0  ? kImportNoFirstTerm
                   : backSize == 0 ? kImportNoSecondTerm
                                   : kImportAdded;
  if (prepared->code != kImportAdded) return;
  tTermel& made = prepared->made;
  putCardText(made.front, front.substr(0, frontSize));
  putCardText(made.back, back.substr(0, backSize));
  made.timesKnown = 0;
  made.timesUnknown = 0;
  // From the line, not from the card just written, whose bytes may still be on their
  // way to memory.
  prepared->hash = tImportIndex::hashOf(front.data(), frontSize, back.data(), backSize);
  index_.prefetch(prepared->hash);
}

int tCardIntake::commit(const tPreparedCard& prepared) {
  if (prepared.code != kImportAdded) {
    refuseCp1252(prepared.code, prepared.line, std::string(prepared.shown));
    return prepared.code;
  }
  if (index_.contains(prepared.made, prepared.hash)) {
    ++result_->alreadyPresent;
    tell(kImportAlreadyPresent, prepared.line, std::string(prepared.shown));
    return kImportAlreadyPresent;
  }
  const int archive = theCardBox.compartmentCount();
  const int n = prepared.compartment < 1         ? 1
                : prepared.compartment > archive ? archive
                                                 : prepared.compartment;
  theCardBox.addCardTo(prepared.made, n);
  index_.insert(theCardBox.lastIn(n), prepared.hash);
  ++result_->added;
  if (prepared.replaced) ++result_->replaced;
  if (prepared.cut) {
    ++result_->cut;
    tell(kImportCut, prepared.line, std::string(prepared.shown));
  }
  return kImportAdded;
}

void tCardIntake::refuse(int code, int line, const std::string& text) {
  refuseCp1252(code, line, utf8ToCp1252Shown(text));
}

void tCardIntake::refuseCp1252(int code, int line, const std::string& text) {
  ++result_->malformed;
  tell(code, line, text);
}

void tCardIntake::notice(int code, int line, const std::string& text) {
  tell(code, line, utf8ToCp1252Shown(text));
}

void tCardIntake::noticeCp1252(int code, int line, const std::string& text) {
  tell(code, line, text);
}

void tCardIntake::tell(int code, int line, const std::string& cp1252) {
  if (!report_) return;
  if (cp1252.find('\0') == std::string::npos) {
    report_(code, wordListCaption(code), cp1252.c_str(), line);
    return;
  }
  std::string shown;
  for (const char c : cp1252) {
    if (c == '\0') {
      shown += kShownNul;
    } else {
      shown += c;
    }
  }
  report_(code, wordListCaption(code), shown.c_str(), line);
}
