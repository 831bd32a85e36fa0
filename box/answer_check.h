// Checking a typed answer against the answer side of a card. Both texts are code page
// 1252. The check forgives what a learner should not lose a card over: case, spaces,
// a closing "." "!" "?" or "…", text in parentheses (optional: "(to) run" takes "run"
// and "to run"), "ss"/"ae"/"oe"/"ue" for "ß"/"ä"/"ö"/"ü", and typographic quotes and
// dashes for plain ones. An answer side listing alternatives separated by "," ";" or
// "/" (outside parentheses) takes each of them as well as the whole text.
#ifndef TERMEL_BOX_ANSWER_CHECK_H_
#define TERMEL_BOX_ANSWER_CHECK_H_

#include <string>
#include <vector>

bool isRightAnswer(const std::string& typed, const std::string& answer);

// For a wrong answer, which characters of typed (one flag per byte) differ from the
// alternative of answer closest to it, by an edit-distance alignment that treats
// characters as the check does. Where typed lacks characters, its character next to
// the gap is marked. Characters the check ignores (repeated spaces, parentheses, the
// closing punctuation) are never marked; for a right answer nothing is.
std::vector<bool> markDifferences(const std::string& typed, const std::string& answer);

#endif  // TERMEL_BOX_ANSWER_CHECK_H_
