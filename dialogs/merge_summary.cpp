#include "dialogs/merge_summary.h"

#include "dialogs/wx_text.h"

wxString mergeSummaryMessage(const tMergeSummary& summary,
                             const std::vector<std::string>& warnings) {
  wxString text = toWx(summary.text());
  if (!summary.conflicts.empty()) text += "\n\nKonflikte:";
  for (size_t i = 0; i < summary.conflicts.size() && i < kMergeConflictsShown; ++i) {
    text += "\n" + toWx(summary.conflicts[i]);
  }
  if (summary.conflicts.size() > kMergeConflictsShown) {
    text += wxString::Format(wxString::FromUTF8("\n\xE2\x80\xA6 und %d weitere"),
                             static_cast<int>(summary.conflicts.size() - kMergeConflictsShown));
  }
  if (!warnings.empty()) text += "\n";
  for (const std::string& warning : warnings) text += "\n" + toWx(warning);
  return text;
}

wxString conflictCopiesQuestion(size_t copies) {
  // One copy is named in the singular: "1 Konfliktkopien" reads as a slip.
  if (copies == 1) {
    return wxString::FromUTF8(
        "Für diese Kartei gibt es eine Konfliktkopie (von einem anderen "
        "Rechner). Jetzt zusammenführen?");
  }
  return wxString::Format(wxString::FromUTF8("Für diese Kartei gibt es %d Konfliktkopien (von "
                                             "einem anderen Rechner). Jetzt zusammenführen?"),
                          static_cast<int>(copies));
}
