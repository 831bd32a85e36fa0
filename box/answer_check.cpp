#include "box/answer_check.h"

#include <algorithm>
#include <cstddef>

#include "box/text_fold.h"

namespace {

// Byte positions [begin, end) of a text.
struct Range {
  size_t begin;
  size_t end;
};

// A text as the check sees it; at[i] is the position in the original text that
// text[i] stems from (a "ß" gives two characters from one position).
struct Folded {
  std::string text;
  std::vector<size_t> at;
};

// Beyond this many parenthesized parts only "all left out" and "all kept" are tried.
constexpr size_t kMaxOptionalParts = 4;
constexpr unsigned kDropAll = ~0u;
// Only this much of a typed text is aligned; the table grows with its length, and an
// answer this much longer than any card is wrong all along anyway.
constexpr size_t kMaxAligned = 256;

bool closing(char c) {
  return c == ' ' || c == '.' || c == '!' || c == '?';
}

// The outermost parenthesized parts of text within r, parentheses included. An
// unmatched parenthesis opens or closes nothing.
std::vector<Range> parenthesized(const std::string& text, Range r) {
  std::vector<Range> parts;
  int depth = 0;
  size_t open = 0;
  for (size_t i = r.begin; i < r.end; ++i) {
    if (text[i] == '(' && depth++ == 0) open = i;
    if (text[i] == ')' && depth > 0 && --depth == 0) parts.push_back({open, i + 1});
  }
  return parts;
}

// The alternatives of an answer side: its pieces between "," ";" "/" outside
// parentheses. A text without separators is its own only piece.
std::vector<Range> alternatives(const std::string& text) {
  std::vector<Range> pieces;
  int depth = 0;
  size_t begin = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '(') ++depth;
    if (c == ')' && depth > 0) --depth;
    if (depth == 0 && (c == ',' || c == ';' || c == '/')) {
      pieces.push_back({begin, i});
      begin = i + 1;
    }
  }
  pieces.push_back({begin, text.size()});
  return pieces;
}

// Whether part number `part` is left out: its bit in drop, or all of them for kDropAll.
bool leftOut(unsigned drop, size_t part) {
  return drop == kDropAll || (part < kMaxOptionalParts && (drop >> part & 1u) != 0);
}

// text within r as the check sees it, leaving out the parts that drop names.
Folded fold(const std::string& text, Range r, const std::vector<Range>& parts, unsigned drop) {
  Folded out;
  size_t part = 0;
  for (size_t i = r.begin; i < r.end; ++i) {
    while (part < parts.size() && parts[part].end <= i) ++part;
    if (part < parts.size() && i == parts[part].begin && leftOut(drop, part)) {
      i = parts[part].end - 1;
      continue;
    }
    if (text[i] == '(' || text[i] == ')') continue;
    for (char c : foldedSpelling(static_cast<unsigned char>(text[i]))) {
      if (c == ' ' && (out.text.empty() || out.text.back() == ' ')) continue;
      out.text.push_back(c);
      out.at.push_back(i);
    }
  }
  while (!out.text.empty() && closing(out.text.back())) {
    out.text.pop_back();
    out.at.pop_back();
  }
  return out;
}

// Every way to read text within r: each parenthesized part left out or kept.
std::vector<Folded> readings(const std::string& text, Range r) {
  const std::vector<Range> parts = parenthesized(text, r);
  std::vector<unsigned> drops;
  if (parts.size() <= kMaxOptionalParts) {
    for (unsigned drop = 0; drop < (1u << parts.size()); ++drop) drops.push_back(drop);
  } else {
    drops = {0u, kDropAll};
  }
  std::vector<Folded> result;
  for (unsigned drop : drops) result.push_back(fold(text, r, parts, drop));
  return result;
}

// Every text the answer side accepts. An empty reading accepts nothing unless the
// whole answer side is empty, so "(to) run" never takes an empty answer.
std::vector<std::string> accepted(const std::string& answer) {
  std::vector<Range> pieces = alternatives(answer);
  if (pieces.size() > 1) pieces.push_back({0, answer.size()});
  std::vector<std::string> texts;
  for (Range piece : pieces) {
    for (Folded& reading : readings(answer, piece)) {
      if (!reading.text.empty()) texts.push_back(std::move(reading.text));
    }
  }
  if (texts.empty()) texts.push_back("");
  return texts;
}

bool matchesAny(const std::vector<Folded>& typed, const std::vector<std::string>& texts) {
  for (const Folded& reading : typed) {
    if (std::find(texts.begin(), texts.end(), reading.text) != texts.end()) return true;
  }
  return false;
}

// Edit distances between the prefixes of a and b: d[i][j] for a[0..i) and b[0..j).
using Table = std::vector<std::vector<size_t>>;

Table distances(const std::string& a, const std::string& b) {
  Table d(a.size() + 1, std::vector<size_t>(b.size() + 1));
  for (size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
  for (size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    for (size_t j = 1; j <= b.size(); ++j) {
      const size_t change = d[i - 1][j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1);
      d[i][j] = std::min({change, d[i - 1][j] + 1, d[i][j - 1] + 1});
    }
  }
  return d;
}

// Walks the cheapest alignment back and returns, per character of a, whether it
// differs; a gap in a marks the character of a after it (or before it at the end).
std::vector<bool> differing(const std::string& a, const std::string& b, const Table& d) {
  std::vector<bool> marks(a.size(), false);
  size_t i = a.size(), j = b.size();
  while (i > 0 || j > 0) {
    if (i > 0 && j > 0 && d[i][j] == d[i - 1][j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1)) {
      if (a[i - 1] != b[j - 1]) marks[i - 1] = true;
      --i;
      --j;
    } else if (i > 0 && d[i][j] == d[i - 1][j] + 1) {
      marks[--i] = true;
    } else {
      if (!a.empty()) marks[i < a.size() ? i : i - 1] = true;
      --j;
    }
  }
  return marks;
}

}  // namespace

bool isRightAnswer(const std::string& typed, const std::string& answer) {
  return matchesAny(readings(typed, {0, typed.size()}), accepted(answer));
}

std::vector<bool> markDifferences(const std::string& typed, const std::string& answer) {
  std::vector<bool> marks(typed.size(), false);
  if (isRightAnswer(typed, answer)) return marks;
  const std::vector<Range> parts = parenthesized(typed, {0, typed.size()});
  Folded seen = fold(typed, {0, typed.size()}, parts, 0);
  for (size_t i = kMaxAligned; i < seen.text.size(); ++i) marks[seen.at[i]] = true;
  if (seen.text.size() > kMaxAligned) seen.text.resize(kMaxAligned);
  const std::vector<std::string> texts = accepted(answer);
  size_t best = 0;
  Table bestTable;
  for (size_t k = 0; k < texts.size(); ++k) {
    Table d = distances(seen.text, texts[k]);
    if (k == 0 || d.back().back() < bestTable.back().back()) {
      best = k;
      bestTable = std::move(d);
    }
  }
  const std::vector<bool> folded = differing(seen.text, texts[best], bestTable);
  for (size_t i = 0; i < folded.size(); ++i) {
    if (folded[i]) marks[seen.at[i]] = true;
  }
  return marks;
}
