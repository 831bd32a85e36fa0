// The fixture of the word-list tests: imports and exports through importWordList
// and exportWordList into an empty theCardBox, with every report collected.
#ifndef TERMEL_TESTS_WORDLISTS_WORD_LIST_TEST_SUPPORT_H_
#define TERMEL_TESTS_WORDLISTS_WORD_LIST_TEST_SUPPORT_H_

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "tests/box/box_test_support.h"
#include "wordlists/word_list_format.h"

using Texts = std::vector<std::string>;

struct Report {
  int code;
  std::string caption, text;
  int line;
  bool operator==(const Report& o) const {
    return code == o.code && caption == o.caption && text == o.text && line == o.line;
  }
};

inline std::ostream& operator<<(std::ostream& os, const Report& r) {
  return os << r.code << " [" << r.caption << "] \"" << r.text << "\" line " << r.line;
}

inline std::string sample(const std::string& name) {
  return std::string(TERMEL_TEST_DATA_DIR) + "/wordlists/" + name;
}

// Every card of the box with its compartment and counters, in box order.
struct Placed {
  int compartment;
  std::string front, back;
  int32_t known, unknown;
  bool operator==(const Placed& o) const {
    return compartment == o.compartment && front == o.front && back == o.back && known == o.known &&
           unknown == o.unknown;
  }
};

inline std::ostream& operator<<(std::ostream& os, const Placed& p) {
  return os << p.compartment << ":" << p.front << ";" << p.back << " " << p.known << "/"
            << p.unknown;
}

inline std::vector<Placed> wholeBox() {
  std::vector<Placed> cards;
  tTermel c;
  for (int n = theCardBox.firstCard(&c); n != 0; n = theCardBox.nextCard(&c)) {
    cards.push_back({n, c.front, c.back, c.timesKnown, c.timesUnknown});
  }
  return cards;
}

// UTF-16 of text (Latin-1 letters only, as code page 1252) with its byte-order mark.
inline std::string utf16(const std::string& text, bool bigEndian) {
  std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (const char c : text) {
    bytes += bigEndian ? '\0' : c;
    bytes += bigEndian ? c : '\0';
  }
  return bytes;
}

class WordListTest : public CardBoxTest {
 protected:
  tImportResult import(const std::string& path, bool header = false) {
    reports_.clear();
    tWordListOptions options;
    options.firstLineNamesColumns = header;
    return importWordList(path.c_str(), options,
                          [this](int code, const char* caption, const char* text, int line) {
                            reports_.push_back({code, caption, text, line});
                          });
  }

  tImportResult importBytes(const std::string& name, const std::string& bytes,
                            bool header = false) {
    const std::string path = dir_.file(name);
    writeBytes(path, bytes);
    return import(path, header);
  }

  // Exports the box as name, empties it and imports the file again; the box must come
  // back as it was.
  void expectRoundTrip(const std::string& name) {
    const std::vector<Placed> before = wholeBox();
    ASSERT_FALSE(before.empty());
    const std::string path = dir_.file(name);
    ASSERT_TRUE(exportWordList(path.c_str(), tWordListOptions()));
    theCardBox.clearAll();
    const tImportResult result = import(path);
    EXPECT_EQ(result.added, static_cast<int>(before.size()));
    EXPECT_EQ(reports_, std::vector<Report>());
    EXPECT_EQ(wholeBox(), before);
  }

  // Code and line of every report, in order.
  std::vector<std::pair<int, int>> reported() const {
    std::vector<std::pair<int, int>> codes;
    for (const Report& report : reports_) codes.emplace_back(report.code, report.line);
    return codes;
  }

  ScratchDir dir_;
  std::vector<Report> reports_;
};

#endif  // TERMEL_TESTS_WORDLISTS_WORD_LIST_TEST_SUPPORT_H_
