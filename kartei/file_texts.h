// Texts about a box's files: each names its file, so it can be printed or shown on its
// own. Code page 1252 like every text of the program; a path is UTF-8 on this system
// and what code page 1252 cannot show of it becomes '?'.
#ifndef TERMEL_KARTEI_FILE_TEXTS_H_
#define TERMEL_KARTEI_FILE_TEXTS_H_

#include <string>

// format with its one %s replaced by path.
std::string withPath(const char* format, const std::string& path);
// The same with a second %s, the text second (code page 1252).
std::string withPathAnd(const char* format, const std::string& path, const std::string& second);
// The same with a second %s, the system's text for the error number code (under the
// program's locale, so German where the learner's is).
std::string withPathAndReason(const char* format, const std::string& path, int code);
// The system's text for an error number, in code page 1252.
std::string systemErrorText(int code);

#endif  // TERMEL_KARTEI_FILE_TEXTS_H_
