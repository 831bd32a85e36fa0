#include "wordlists/kvtml_reader.h"

#include <libxml/xmlreader.h>
#include <strings.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "wordlists/card_intake.h"
#include "wordlists/xml_stream.h"

namespace {

constexpr int kHighestGrade = 7;
// Bytes kept of one text: far more than the 63 characters of a card, so a longer text
// is still cut, and reported, by the intake.
constexpr size_t kMostText = 4096;
// Languages of a version 1 document; more columns than this are left out.
constexpr size_t kMostColumns = 32;

// A text of the document as it is read: its pieces, and the entities it refers to,
// which stay "&name;" in the text so a report shows them.
class tTextBuilder {
 public:
  void open(bool preserve) {
    text_.clear();
    preserve_ = preserve;
    entity_ = false;
    open_ = true;
  }
  void close() { open_ = false; }
  void clear() {
    text_.clear();
    entity_ = open_ = false;
  }
  bool isOpen() const { return open_; }

  void add(const tXmlStream& xml) {
    if (!open_) return;
    switch (xml.type()) {
      case XML_READER_TYPE_TEXT:
      case XML_READER_TYPE_CDATA:
      case XML_READER_TYPE_WHITESPACE:
      case XML_READER_TYPE_SIGNIFICANT_WHITESPACE:
        append(xml.value());
        break;
      case XML_READER_TYPE_ENTITY_REFERENCE:
        append("&" + xml.value() + ";");
        entity_ = true;
        break;
      default:
        break;
    }
  }

  // The text without the white space that lays out the XML around it.
  std::string text() const {
    if (preserve_) return text_;
    const char* const space = " \t\r\n";
    const size_t first = text_.find_first_not_of(space);
    if (first == std::string::npos) return std::string();
    return text_.substr(first, text_.find_last_not_of(space) - first + 1);
  }
  bool hasEntity() const { return entity_; }

 private:
  void append(const std::string& piece) {
    if (text_.size() >= kMostText) return;
    text_.append(piece, 0, kMostText - text_.size());
    if (text_.size() < kMostText) return;
    // Not half a character at the cut.
    while (!text_.empty() && (static_cast<unsigned char>(text_.back()) & 0xC0) == 0x80) {
      text_.pop_back();
    }
    if (!text_.empty() && static_cast<unsigned char>(text_.back()) >= 0xC0) text_.pop_back();
  }

  std::string text_;
  bool preserve_ = false;
  bool entity_ = false;
  bool open_ = false;
};

struct tGrade {
  bool present = false;
  int32_t grade = 0, count = 0, errors = 0;
};

// A count or grade as the document writes it: a whole number, never below 0.
int32_t numberIn(const std::string& text) {
  const long long value = std::strtoll(text.c_str(), nullptr, 10);
  return static_cast<int32_t>(std::min<long long>(std::max(0LL, value), INT32_MAX));
}

// The two numbers of a version 1 attribute, "from;to".
int32_t numberOf(const std::string& pair, bool to) {
  const size_t separator = pair.find(';');
  if (!to) return numberIn(pair.substr(0, separator));
  return separator == std::string::npos ? 0 : numberIn(pair.substr(separator + 1));
}

bool isGerman(const std::string& locale, const std::string& name) {
  return (strncasecmp(locale.c_str(), "de", 2) == 0 &&
          (locale.size() == 2 || locale[2] == '_' || locale[2] == '-')) ||
         strcasecmp(name.c_str(), "Deutsch") == 0 || strcasecmp(name.c_str(), "German") == 0;
}

// Hands one entry to intake: front and back with the grade of the direction asked.
void hand(const tTextBuilder& front, const tTextBuilder& back, const tGrade& grade, int line,
          tCardIntake* intake) {
  tWordCard card;
  card.front = front.text();
  card.back = back.text();
  card.line = line;
  if (front.hasEntity() || back.hasEntity()) {
    intake->refuse(kImportEntity, line, card.front + ";" + card.back);
    return;
  }
  if (grade.present) {
    card.compartment = std::max(1, std::min(grade.grade, kHighestGrade));
    card.timesUnknown = grade.errors;
    card.timesKnown = std::max(0, grade.count - grade.errors);
  }
  intake->add(std::move(card));
}

// Walks the nodes after the root: elements opened and closed, and what lies between.
class tKvtmlReader {
 public:
  tKvtmlReader(tXmlStream* xml, tCardIntake* intake) : xml_(*xml), intake_(intake) {}
  virtual ~tKvtmlReader() = default;

  void run() {
    while (xml_.next()) {
      const int type = xml_.type();
      if (type == XML_READER_TYPE_ELEMENT) {
        opened();
        if (xml_.isEmptyElement()) closed();
      } else if (type == XML_READER_TYPE_END_ELEMENT) {
        closed();
      } else {
        content();
      }
    }
  }

 protected:
  virtual void opened() = 0;
  virtual void closed() = 0;
  virtual void content() = 0;

  tXmlStream& xml_;
  tCardIntake* intake_;
};

// Version 2: languages from <identifiers>, entries from <entries>.
class tKvtml2Reader : public tKvtmlReader {
 public:
  using tKvtmlReader::tKvtmlReader;

 private:
  struct tTranslation {
    bool found = false;
    bool textSeen = false;
    tTextBuilder text;
    tGrade grade;
  };

  void opened() override {
    if (xml_.at({"kvtml", "identifiers", "identifier"})) {
      languageId_ = xml_.attribute("id");
      name_.clear();
      locale_.clear();
    } else if (xml_.at({"kvtml", "identifiers", "identifier", "name"})) {
      if (name_.text().empty()) name_.open(false);
    } else if (xml_.at({"kvtml", "identifiers", "identifier", "locale"})) {
      if (locale_.text().empty()) locale_.open(false);
    } else if (xml_.at({"kvtml", "entries", "entry"})) {
      front_ = tTranslation();
      back_ = tTranslation();
      line_ = xml_.line();
    } else if (xml_.at({"kvtml", "entries", "entry", "translation"})) {
      openTranslation(xml_.attribute("id"));
    } else if (current_ != nullptr) {
      openInTranslation();
    }
  }

  void openTranslation(const std::string& id) {
    const std::string front = frontId();
    const std::string back = backId(front);
    current_ = nullptr;
    other_ = nullptr;
    if (id == front && !front_.found) current_ = &front_;
    if (id == back && !back_.found) (current_ == nullptr ? current_ : other_) = &back_;
    if (current_ != nullptr) current_->found = true;
    if (other_ != nullptr) other_->found = true;
  }

  void openInTranslation() {
    if (xml_.at({"kvtml", "entries", "entry", "translation", "text"}) && !current_->textSeen) {
      current_->textSeen = true;
      current_->text.open(xml_.attribute("xml:space") == "preserve");
    } else if (xml_.at({"kvtml", "entries", "entry", "translation", "grade"}) &&
               !current_->grade.present) {
      current_->grade.present = true;
      inGrade_ = true;
      fieldsSeen_.clear();
    } else if (inGrade_ && xml_.path().size() == 6 &&
               fieldsSeen_.insert(xml_.path().back()).second) {
      field_.open(false);
    }
  }

  void closed() override {
    if (xml_.at({"kvtml", "identifiers", "identifier"})) {
      addLanguage();
    } else if (xml_.at({"kvtml", "identifiers", "identifier", "name"})) {
      name_.close();
    } else if (xml_.at({"kvtml", "identifiers", "identifier", "locale"})) {
      locale_.close();
    } else if (xml_.at({"kvtml", "entries", "entry"})) {
      hand(front_.text, back_.text, back_.grade.present ? back_.grade : front_.grade, line_,
           intake_);
    } else if (xml_.at({"kvtml", "entries", "entry", "translation"})) {
      if (other_ != nullptr) *other_ = *current_;
      current_ = other_ = nullptr;
      inGrade_ = false;
    } else if (current_ != nullptr) {
      closeInTranslation();
    }
  }

  void closeInTranslation() {
    if (xml_.at({"kvtml", "entries", "entry", "translation", "text"})) {
      current_->text.close();
    } else if (xml_.at({"kvtml", "entries", "entry", "translation", "grade"})) {
      inGrade_ = false;
    } else if (inGrade_ && field_.isOpen() && xml_.path().size() == 6) {
      field_.close();
      tGrade& grade = current_->grade;
      const std::string& name = xml_.path().back();
      int32_t* number = name == "currentgrade" ? &grade.grade
                        : name == "count"      ? &grade.count
                        : name == "errorcount" ? &grade.errors
                                               : nullptr;
      if (number != nullptr) *number = numberIn(field_.text());
    }
  }

  void content() override {
    if (xml_.at({"kvtml", "identifiers", "identifier", "name"})) {
      name_.add(xml_);
    } else if (xml_.at({"kvtml", "identifiers", "identifier", "locale"})) {
      locale_.add(xml_);
    } else if (current_ != nullptr &&
               xml_.at({"kvtml", "entries", "entry", "translation", "text"})) {
      current_->text.add(xml_);
    } else if (inGrade_ && xml_.path().size() == 6) {
      field_.add(xml_);
    }
  }

  void addLanguage() {
    if (languageId_.empty()) return;
    if (firstId_.empty()) {
      firstId_ = languageId_;
    } else if (secondId_.empty()) {
      secondId_ = languageId_;
    }
    if (germanId_.empty() && isGerman(locale_.text(), name_.text())) germanId_ = languageId_;
  }

  // German or else the first language named; "0" when none is.
  std::string frontId() const {
    return !germanId_.empty() ? germanId_ : firstId_.empty() ? "0" : firstId_;
  }
  // The first other language; "1" when there is none.
  std::string backId(const std::string& front) const {
    if (!firstId_.empty() && front != firstId_) return firstId_;
    return secondId_.empty() ? "1" : secondId_;
  }

  std::string languageId_, firstId_, secondId_, germanId_;
  tTextBuilder name_, locale_, field_;
  tTranslation front_, back_;
  tTranslation* current_ = nullptr;  // the translation read, front or back
  tTranslation* other_ = nullptr;    // the back too, when its id is the front's
  bool inGrade_ = false;
  std::set<std::string> fieldsSeen_;  // of the grade read: only the first of each counts
  int line_ = 0;
};

// Version 1: <e> entries with <o> and <t> columns.
class tKvtml1Reader : public tKvtmlReader {
 public:
  using tKvtmlReader::tKvtmlReader;

 private:
  struct tColumn {
    tTextBuilder text;
    std::string grades, counts, unknown;  // "from;to"
  };

  void opened() override {
    if (xml_.at({"kvtml", "e"})) {
      columns_.assign(1, tColumn());
      originalSeen_ = false;
      line_ = xml_.line();
      return;
    }
    const bool original = xml_.at({"kvtml", "e", "o"});
    if (original ? originalSeen_ : !xml_.at({"kvtml", "e", "t"})) return;
    // The original is column 0 wherever it stands; only the first one counts.
    if (!original && columns_.size() >= kMostColumns) return;
    if (!original) columns_.emplace_back();
    originalSeen_ = originalSeen_ || original;
    const size_t index = original ? 0 : columns_.size() - 1;
    tColumn& column = columns_[index];
    column.text.open(xml_.attribute("xml:space") == "preserve");
    column.grades = xml_.attribute("g");
    column.counts = xml_.attribute("c");
    column.unknown = xml_.attribute("b");
    if (locales_.size() <= index) locales_.resize(index + 1);
    if (locales_[index].empty()) locales_[index] = xml_.attribute("l");
  }

  void closed() override {
    if (xml_.at({"kvtml", "e"})) {
      handEntry();
    } else if (xml_.at({"kvtml", "e", "o"}) || xml_.at({"kvtml", "e", "t"})) {
      for (tColumn& column : columns_) column.text.close();
    }
  }

  void content() override {
    if (xml_.at({"kvtml", "e", "o"}) || xml_.at({"kvtml", "e", "t"})) {
      for (tColumn& column : columns_) column.text.add(xml_);
    }
  }

  void handEntry() {
    size_t front = 0;
    for (size_t i = 0; i < locales_.size(); ++i) {
      if (isGerman(locales_[i], std::string())) {
        front = i;
        break;
      }
    }
    const size_t back = front == 0 ? 1 : 0;
    columns_.resize(std::max(columns_.size(), std::max(front, back) + 1));
    // The grades of a translation count from the original; between two translations
    // none is kept.
    tGrade grade;
    const tColumn* graded = front == 0 ? &columns_[back] : back == 0 ? &columns_[front] : nullptr;
    if (graded != nullptr && !graded->grades.empty()) {
      const bool to = front != 0;
      grade.present = true;
      grade.grade = numberOf(graded->grades, to);
      grade.count = numberOf(graded->counts, to);
      grade.errors = numberOf(graded->unknown, to);
    }
    hand(columns_[front].text, columns_[back].text, grade, line_, intake_);
  }

  std::vector<tColumn> columns_;      // of the entry read: the original, then translations
  std::vector<std::string> locales_;  // of each column, as the first entry naming it says
  bool originalSeen_ = false;
  int line_ = 0;
};

}  // namespace

void readKvtml2Entries(tXmlStream* xml, tCardIntake* intake) {
  tKvtml2Reader(xml, intake).run();
}

void readKvtml1Entries(tXmlStream* xml, tCardIntake* intake) {
  tKvtml1Reader(xml, intake).run();
}
