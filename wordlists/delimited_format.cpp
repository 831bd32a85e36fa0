#include "wordlists/delimited_format.h"

#include <algorithm>

#include <map>
#include <utility>
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

// How much of a line too long to be read whole its report shows.
constexpr size_t kShownOfLongLine = 80;

// A record whose fields beyond the usual number hold no text (a separator too many at
// its end, or a recording) is no fragment.
bool hasUsualFields(const tDelimitedRecord& record, const tDelimitedLayout& layout) {
  const size_t usual = layout.usualFields;
  if (usual < 2 || record.fields.size() == usual) return true;
  if (record.fields.size() < usual) return false;
  return std::all_of(
      record.fields.begin() + static_cast<long>(usual), record.fields.end(),
      [&layout](const std::string& field) { return cardText(field, layout).empty(); });
}

// Why a record holds no card, or 0. A record that lacks a text is left to the intake,
// which names the text missing.
int refusalOf(const tDelimitedRecord& record, const tCardColumns& columns,
              const tDelimitedLayout& layout) {
  if (columns.texts.size() < 2) return kImportNoSeparator;
  if (columns.texts[0].empty() || columns.texts[1].empty()) return 0;
  return hasUsualFields(record, layout) ? 0 : kImportFieldCount;
}

std::string shownOf(const tDelimitedRecord& record) {
  if (!record.cut) return record.raw;
  return record.raw.substr(0, kShownOfLongLine) + "...";
}

}  // namespace

size_t usualFieldCount(const std::vector<tTextLine>& lines, char separator, int looked) {
  tTextLines ahead(lines);
  tDelimitedRecords records(&ahead, separator);
  tDelimitedRecord record;
  std::map<size_t, int> counts;
  for (int n = 0; n < looked && records.next(&record);) {
    if (record.cut || record.blank()) continue;
    ++n;
    ++counts[record.fields.size()];
  }
  size_t usual = 0;
  int most = 0;
  for (const auto& count : counts) {
    if (count.second > most) {
      usual = count.first;
      most = count.second;
    }
  }
  return usual;
}

void importDelimited(tTextLines* lines, const tDelimitedLayout& layout, tCardIntake* intake) {
  tDelimitedRecords records(lines, layout.separator);
  tDelimitedRecord record;
  bool headerPending = layout.skipHeader;
  bool extraReported = false;
  while (records.next(&record)) {
    if (record.blank() && !record.openQuote && !record.cut) continue;
    if (headerPending) {
      headerPending = false;
      continue;
    }
    if (record.cut || record.openQuote) {
      intake->refuse(record.cut ? int{kImportLineTooLong} : int{kImportOpenQuote}, record.line,
                     shownOf(record));
      continue;
    }
    tCardColumns columns = cardColumns(record, layout);
    if (const int refusal = refusalOf(record, columns, layout)) {
      intake->refuse(refusal, record.line, record.raw);
      continue;
    }
    if (columns.extra && !extraReported) {
      extraReported = true;
      intake->notice(kImportExtraColumns, record.line, record.raw);
    }
    if (record.looseQuote && layout.reportStrayQuotes) {
      intake->notice(kImportStrayQuote, record.line, record.raw);
    }
    for (int i = 0; i < record.joinedFields; ++i) intake->fieldJoined();
    tWordCard card;
    card.front = std::move(columns.texts[0]);
    card.back = std::move(columns.texts[1]);
    card.line = record.line;
    card.source = record.raw;
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
