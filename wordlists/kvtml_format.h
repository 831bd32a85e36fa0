// Word lists in KVTML, the XML vocabulary format of KDE's trainers, version 2 and the
// older version 1 (see kvtml_reader.h for how entries become cards). Documents are
// read as they stream in (see xml_stream.h for the encodings read and the entities
// never expanded), so any size takes the memory of one entry and the cards it gives.
// A document is read twice: first to the end to find any fault, which refuses it
// whole with its line, then for its entries.
#ifndef TERMEL_WORDLISTS_KVTML_FORMAT_H_
#define TERMEL_WORDLISTS_KVTML_FORMAT_H_

#include <string>

#include "wordlists/xml_stream.h"

class tCardIntake;

// Hands the entries of the KVTML document open gives to intake. A document that isn't
// well-formed KVTML 1 or 2 is refused as a whole.
void importKvtml(const tByteSourceOpener& open, tCardIntake* intake);
// The same for a document already in memory.
void importKvtml(const std::string& bytes, tCardIntake* intake);

// theCardBox as a KVTML 2.0 document (UTF-8), one entry per card with its compartment
// as grade, all in one lesson; a text with white space at an end is marked
// xml:space="preserve"; title (UTF-8) names the document and the lesson. The
// front's language is "Deutsch" (locale "de"), the back's that of backLocale ("en",
// "fr_CA"); with none, the back is named "Übersetzung" and has no locale, since the box
// doesn't know its language.
std::string kvtmlFromBox(const std::string& title, const std::string& backLocale = std::string());

#endif  // TERMEL_WORDLISTS_KVTML_FORMAT_H_
