// What "Zusammenführen" tells the learner afterwards: the summary line, the conflicts
// (at most kShown of them, the rest counted) and what went wrong on the way.
#ifndef TERMEL_DIALOGS_MERGE_SUMMARY_H_
#define TERMEL_DIALOGS_MERGE_SUMMARY_H_

#include <wx/string.h>

#include <string>
#include <vector>

#include "kartei/box_merge.h"

constexpr size_t kMergeConflictsShown = 20;

// warnings are code page 1252 texts, as the merge's report holds them.
wxString mergeSummaryMessage(const tMergeSummary& summary,
                             const std::vector<std::string>& warnings);

// "Für diese Kartei gibt es N Konfliktkopien (von einem anderen Rechner). Jetzt
// zusammenführen?"
wxString conflictCopiesQuestion(size_t copies);

#endif  // TERMEL_DIALOGS_MERGE_SUMMARY_H_
