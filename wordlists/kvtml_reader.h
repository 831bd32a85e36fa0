// The entries of KVTML documents, read from a tXmlStream one node after another, so a
// document of any size takes no more memory than one entry.
//
// Version 2 names its languages under <identifiers> and holds <entry> elements whose
// <translation id="N"> children carry a <text> and, once practised, a <grade>
// (<currentgrade>, <count>, <errorcount>). The languages must come before the entries,
// as every program writes them; entries before them take the first two ids, 0 and 1.
//
// Version 1, the older format, holds <e> elements directly in <kvtml>: the original
// <o> and its translations <t>, each with its language in l="de" (mostly only in the
// first entry, where it holds for every entry after it) and a <t> with its grades
// in g="from;to", c="from;to" and b="from;to": grade, times asked and times not
// known, "from" when the original was shown and the translation asked, "to" the other
// way round. Text inside nested elements (<conjugation>, <comparison>) belongs to the
// grammar notes and is left out.
//
// Front and back by language in both: German, whichever place the document gives it,
// as the front and the first other language as the back; without German, the first
// two. Grade 0 and 1 go to compartment 1, 2 to 6 to the compartment of that number,
// 7 to the archive; the times not known become "Unbekannt", the rest of the times
// asked "Gewusst". White space around a text only lays out the XML, unless the text
// has xml:space="preserve".
#ifndef TERMEL_WORDLISTS_KVTML_READER_H_
#define TERMEL_WORDLISTS_KVTML_READER_H_

class tCardIntake;
class tXmlStream;

// Hands every entry after the root element of xml, on which it stands, to intake.
// Errors of the stream are left to the caller.
void readKvtml2Entries(tXmlStream* xml, tCardIntake* intake);
void readKvtml1Entries(tXmlStream* xml, tCardIntake* intake);

#endif  // TERMEL_WORDLISTS_KVTML_READER_H_
