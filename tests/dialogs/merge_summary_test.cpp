// The message after a merge: the summary line, the conflicts (a long list cut off and
// counted) and the warnings, in the German the learner reads.
#include "dialogs/merge_summary.h"

#include <gtest/gtest.h>

#include <string>

TEST(MergeSummaryTest, ListsConflictsUpToALimitAndThenTheWarnings) {
  tMergeSummary summary;
  summary.taken = 2;
  summary.deleted = 1;
  for (int i = 1; i <= 22; ++i) {
    summary.conflicts.push_back("\x84Wort " + std::to_string(i) + " = word\x93 korrigiert");
  }
  const std::string text =
      mergeSummaryMessage(summary, {"Die Sicherung l\xE4sst sich nicht lesen."}).utf8_string();
  EXPECT_EQ(text.rfind("2 übernommen, 0 Fortschritte zusammengeführt, 1 gelöscht, 22 Konflikte\n\n"
                       "Konflikte:\n„Wort 1 = word“ korrigiert\n",
                       0),
            0u)
      << text;
  EXPECT_NE(text.find("„Wort 20 = word“"), std::string::npos);
  EXPECT_EQ(text.find("„Wort 21 = word“"), std::string::npos);
  EXPECT_NE(text.find("\n… und 2 weitere\n\nDie Sicherung lässt sich nicht lesen."),
            std::string::npos)
      << text;

  EXPECT_EQ(mergeSummaryMessage(tMergeSummary(), {}).utf8_string(),
            "0 übernommen, 0 Fortschritte zusammengeführt, 0 gelöscht, 0 Konflikte");
  EXPECT_EQ(conflictCopiesQuestion(3).utf8_string(),
            "Für diese Kartei gibt es 3 Konfliktkopien (von einem anderen Rechner). Jetzt "
            "zusammenführen?");
  EXPECT_EQ(conflictCopiesQuestion(1).utf8_string(),
            "Für diese Kartei gibt es eine Konfliktkopie (von einem anderen Rechner). Jetzt "
            "zusammenführen?");
}
