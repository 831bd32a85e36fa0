// Flashcard packages (.apkg, .colpkg) as word lists: each note gives one card, the
// first field of its note type the front and the second the back, as text (HTML,
// recordings and pictures gone). German goes to the front when the field names say
// which one is German ("Deutsch", "German", "de"). Cloze notes and notes without text
// in both fields are reported by note, never guessed at.
//
// Progress comes along by the interval of the note's first card: a new card goes to
// compartment 1, a reviewed one by its interval in days: under 1 to compartment 1,
// 1 to 2 days to 2, 3 to 6 to 3, 7 to 14 to 4, 15 to 29 to 5, 30 to 59 to 6, 60 and
// more to the archive. Its lapses become "Unbekannt", its other reviews "Gewusst".
#ifndef TERMEL_WORDLISTS_PACKAGE_FORMAT_H_
#define TERMEL_WORDLISTS_PACKAGE_FORMAT_H_

#include <string>

class tCardIntake;

// Hands the notes of the package in bytes to intake. A package that can't be read is
// refused as a whole, before any card is added; media files are reported once.
void importPackage(const std::string& bytes, tCardIntake* intake);

#endif  // TERMEL_WORDLISTS_PACKAGE_FORMAT_H_
