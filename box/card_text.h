// What text a card can hold. Cards are stored in code page 850 through the conversion
// table of storage/charset.h, which has no form for some code page 1252 characters:
// their bytes are stored unchanged and come back as other letters (the low double
// quote as ä, the euro sign as Ç). Text entering a card therefore passes through
// fitCardText: typographic punctuation is replaced by its plain form, and any other
// such character is refused, like a character outside code page 1252.
#ifndef TERMEL_BOX_CARD_TEXT_H_
#define TERMEL_BOX_CARD_TEXT_H_

#include <string>

// The plain form that replaces c (NUL-terminated, at most three characters), or
// nullptr when c is kept or refused. Typographic quotes become ' or ", dashes -, the
// ellipsis ..., the no-break space a space and the euro sign EUR.
const char* cardCharReplacement(char c);
// True when a card can hold c unchanged through a save and a load.
bool cardCanHold(char c);
// True when c is neither held nor replaced: text holding it is refused.
inline bool cardRefuses(char c) {
  return !cardCanHold(c) && cardCharReplacement(c) == nullptr;
}

struct tCardTextFit {
  bool fits = true;       // false: text holds a refused character and is left as given
  bool replaced = false;  // characters were replaced by their plain forms
  char refused = '\0';    // the first refused character, when !fits
};

// Brings a code page 1252 text (a whole import line, or a text typed into a dialog)
// into the form a card can hold, in place. Replaces first, so a refused text is
// left exactly as it was given.
tCardTextFit fitCardText(std::string* text);

// "Zeichen nicht darstellbar: " and the character, for the message that refuses it
// (code page 1252).
std::string refusedCharMessage(char c);

#endif  // TERMEL_BOX_CARD_TEXT_H_
