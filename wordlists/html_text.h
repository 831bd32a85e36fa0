// Plain text from the HTML that flashcard programs put into the fields of their
// text exports: tags go (line and block breaks become a space), character
// references become their characters (every name HTML has, numbers 128 to 159 as code
// page 1252 numbers them), and runs of white space become one space.
#ifndef TERMEL_WORDLISTS_HTML_TEXT_H_
#define TERMEL_WORDLISTS_HTML_TEXT_H_

#include <string>

// html and the result are UTF-8. A "<" or "&" that starts no tag or known
// reference is kept as it stands.
std::string htmlToText(const std::string& html);

// True when text holds an element of HTML: a known tag and its end tag ("<b>...</b>"),
// or a line break, image or rule ("<br>", "<img ...>", "<hr/>"). A lone "<b>" or a
// reference alone may as well be plain text.
bool holdsHtml(const std::string& text);

// Flashcard programs put "[sound:haus.mp3]" where a card plays a recording: text
// without them, and without the blanks that parted them from the text.
std::string withoutSounds(std::string text);

#endif  // TERMEL_WORDLISTS_HTML_TEXT_H_
