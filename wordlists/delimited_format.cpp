#include "wordlists/delimited_format.h"

#include <vector>

#include "box/card_box.h"
#include "storage/text_encoding.h"
#include "wordlists/card_intake.h"
#include "wordlists/delimited_records.h"
#include "wordlists/html_text.h"

namespace {

// The card texts of a record, and whether it holds text in a further column.
struct tCardColumns {
  std::vector<std::string> texts;
  bool extra = false;
};

std::string cardText(const std::string& field, const tDelimitedLayout& layout) {
  const std::string text = layout.html ? htmlToText(field) : field;
  return layout.sounds ? withoutSounds(text) : text;
}

tCardColumns cardColumns(const tDelimitedRecord& record, const tDelimitedLayout& layout) {
  tCardColumns columns;
  for (size_t i = 0; i < record.fields.size(); ++i) {
    if (layout.otherColumns.count(i) != 0) continue;
    const std::string& field = record.fields[i];
    if (columns.texts.size() < 2) {
      columns.texts.push_back(cardText(field, layout));
    } else if (!cardText(field, layout).empty()) {
      columns.extra = true;
    }
  }
  return columns;
}

// The record as the learner would see it in the file, for messages.
std::string shownRecord(const tDelimitedRecord& record, char separator) {
  std::string shown;
  for (const std::string& field : record.fields) {
    if (!shown.empty()) shown += separator;
    shown += field;
  }
  return shown;
}

}  // namespace

void importDelimited(const std::string& utf8, const tDelimitedLayout& layout, tCardIntake* intake) {
  tDelimitedRecords records(utf8, layout.separator, layout.start, layout.firstLine);
  tDelimitedRecord record;
  bool headerPending = layout.skipHeader;
  bool extraReported = false;
  while (records.next(&record)) {
    if (record.blank() && !record.openQuote) continue;
    if (headerPending) {
      headerPending = false;
      continue;
    }
    if (record.openQuote) {
      intake->refuse(kImportOpenQuote, record.line, shownRecord(record, layout.separator));
      continue;
    }
    tCardColumns columns = cardColumns(record, layout);
    if (columns.extra && !extraReported) {
      extraReported = true;
      intake->notice(kImportExtraColumns, record.line, shownRecord(record, layout.separator));
    }
    if (record.looseQuote && layout.reportStrayQuotes) {
      intake->notice(kImportStrayQuote, record.line, shownRecord(record, layout.separator));
    }
    if (columns.texts.size() < 2) {
      intake->refuse(kImportNoSeparator, record.line, shownRecord(record, layout.separator));
      continue;
    }
    tWordCard card;
    card.front = std::move(columns.texts[0]);
    card.back = std::move(columns.texts[1]);
    card.line = record.line;
    intake->add(std::move(card));
  }
}

std::string delimitedFromBox(char separator, const char* quoteOn, const char* lineEnd) {
  std::string text;
  tTermel card;
  for (int n = theCardBox.firstCard(&card); n != 0; n = theCardBox.nextCard(&card)) {
    text += quotedField(card.front, quoteOn);
    text += separator;
    text += quotedField(card.back, quoteOn);
    text += lineEnd;
  }
  return cp1252ToUtf8(text);
}
