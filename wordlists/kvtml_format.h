// Word lists in KVTML 2.0, the XML vocabulary format of KDE's trainers. A document
// names its languages under <identifiers> and holds <entry> elements whose
// <translation id="N"> children carry a <text> and, once practised, a <grade> with
// the Leitner grade 0 to 7 (<currentgrade>), how often it was asked (<count>) and how
// often it was not known (<errorcount>).
//
// Import takes German as the front, whichever place the document gives it (a locale
// "de", "de_AT" and so on, or the name "Deutsch" or "German"), and the first other
// language as the back; without German, the first two languages. Text on both sides
// of a comment inside <text> is kept. Documents in UTF-8, UTF-16, Latin-1 and code
// page 1252 are read. The grade and counts come
// from the back's translation, since that is what the learner has to produce when
// the front is shown (the front's grade stands in when the back has none): grade 0
// and 1 go to compartment 1, 2 to 6 to the compartment of that number, 7 to the
// archive; errorcount becomes "Unbekannt" and the rest of count "Gewusst".
#ifndef TERMEL_WORDLISTS_KVTML_FORMAT_H_
#define TERMEL_WORDLISTS_KVTML_FORMAT_H_

#include <string>

class tCardIntake;

// Hands the entries of a KVTML document (bytes as read, any encoding the XML
// declaration names) to intake. A document that isn't KVTML 2 is refused as a whole.
void importKvtml(const std::string& bytes, tCardIntake* intake);

// theCardBox as a KVTML 2.0 document (UTF-8), one entry per card with its compartment
// as grade, all in one lesson; title (UTF-8) names the document and the lesson. The
// front's language is "Deutsch" (locale "de"), the back's that of backLocale ("en",
// "fr_CA"); with none, the back is named "Übersetzung" and has no locale, since the box
// doesn't know its language.
std::string kvtmlFromBox(const std::string& title, const std::string& backLocale = std::string());

#endif  // TERMEL_WORDLISTS_KVTML_FORMAT_H_
