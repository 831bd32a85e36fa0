// The commands "find" and "history" of termel-tool: the cards of a box holding a text,
// and the figures of a box's learning journal. Both print UTF-8 to standard output and
// errors to standard error, and return the tool's exit code.
#ifndef TERMEL_TOOLS_FIND_HISTORY_H_
#define TERMEL_TOOLS_FIND_HISTORY_H_

// Prints "FACH: FRONT = BACK" for every card of box holding text (UTF-8) on either
// side, compared as the program's search compares. 0 when cards were found, 1 when
// none were or the box cannot be read.
int findCardsCommand(const char* box, const char* text);

// Prints the answers per day of the last 30 days, the days learnt in a row and in all
// and the cards that reached the archive per week, as "Lernverlauf" shows them.
int historyCommand(const char* box);

#endif  // TERMEL_TOOLS_FIND_HISTORY_H_
