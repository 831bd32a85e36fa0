#include "wordlists/xml_stream.h"

#include <libxml/xmlreader.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <memory>
#include <utility>

#include "storage/text_encoding.h"
#include "wordlists/stream_decoding.h"

namespace {

// Bytes taken from the source at a time, and the most the head may hold in which the
// XML declaration is looked for.
constexpr size_t kPiece = 64 * 1024;
constexpr size_t kHead = 1024;

// The encoding the XML declaration at the start of head names, in lower case; empty
// when there is none.
std::string declaredEncoding(const std::string& head) {
  const size_t declarationEnd = head.find("?>");
  if (head.find("<?xml") > 3 || declarationEnd == std::string::npos) return std::string();
  const size_t name = head.find("encoding", 0);
  if (name > declarationEnd) return std::string();
  const size_t quote = head.find_first_of("\"'", name);
  const size_t end = quote < declarationEnd ? head.find(head[quote], quote + 1) : std::string::npos;
  if (end > declarationEnd) return std::string();
  std::string encoding = head.substr(quote + 1, end - quote - 1);
  for (char& c : encoding) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return encoding;
}

// Length of the UTF-8 character that starts bytes (size bytes there): 1 to 4; 0 when
// the bytes are no UTF-8 character, -1 when size ends before that can be told.
int utf8Length(const unsigned char* bytes, size_t size) {
  const unsigned char lead = bytes[0];
  if (lead < 0x80) return 1;
  int length = 4;
  unsigned char low = 0x80, high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;  // no surrogates
  } else if (lead == 0xF0) {
    low = 0x90;
  } else if (lead == 0xF4) {
    high = 0x8F;
  } else if (lead < 0xF1 || lead > 0xF3) {
    return 0;
  }
  for (size_t i = 1; i < static_cast<size_t>(length); ++i) {
    if (i >= size) return -1;
    if (bytes[i] < low || bytes[i] > high) return 0;
    low = 0x80;
    high = 0xBF;
  }
  return length;
}

}  // namespace

// The bytes of the source as UTF-8, in pieces.
class tXmlStream::tDecoder {
 public:
  explicit tDecoder(tByteSource source) : source_(std::move(source)) {}

  // Reads the head and chooses the encoding; false (with the name the declaration
  // gives in *declared) for one that can't be read.
  bool start(std::string* declared) {
    while (head_.size() < kHead && take(&head_)) {
    }
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(head_.data());
    if (head_.size() >= 2 && (bytes[0] == 0 || bytes[1] == 0 || bytes[0] >= 0xFE)) {
      mode_ = kUtf16;
      // Without a mark, the zero byte of '<' tells the order.
      if (!tUtf16Decoder::startsWithMark(head_.data(), head_.size())) {
        utf16_.feed(bytes[0] == 0 ? "\xFE\xFF" : "\xFF\xFE", 2, &out_);
      }
      return true;
    }
    *declared = declaredEncoding(head_);
    static const char* const kCodePage1252[] = {"windows-1252", "cp1252",   "iso-8859-1",
                                                "iso8859-1",    "latin1",   "latin-1",
                                                "l1",           "us-ascii", "ascii"};
    static const char* const kUnicode[] = {"", "utf-8", "utf8", "utf-16", "utf-16le", "utf-16be"};
    const auto named = [declared](const char* name) { return *declared == name; };
    if (std::any_of(std::begin(kCodePage1252), std::end(kCodePage1252), named)) {
      mode_ = kCp1252;
      return true;
    }
    return std::any_of(std::begin(kUnicode), std::end(kUnicode), named);
  }

  // Up to size bytes of UTF-8 into buffer: the number given, 0 at the end, -1 when
  // the source failed.
  int read(char* buffer, int size) {
    if (!head_.empty()) {
      decode(head_);
      head_.clear();
    }
    while (out_.size() - given_ < static_cast<size_t>(size) && !finished_) {
      out_.erase(0, given_);
      given_ = 0;
      std::string piece;
      if (take(&piece)) {
        decode(piece);
      } else {
        finish();
      }
    }
    if (failed_) return -1;
    const size_t n = std::min(out_.size() - given_, static_cast<size_t>(size));
    std::memcpy(buffer, out_.data() + given_, n);
    given_ += n;
    return static_cast<int>(n);
  }

  bool failed() const { return failed_; }

 private:
  enum tMode { kUtf8, kCp1252, kUtf16 };

  // Appends the next bytes of the source to *bytes; false at its end.
  bool take(std::string* bytes) {
    if (atEnd_) return false;
    const long n = source_(piece_.get(), kPiece);
    if (n > 0) bytes->append(piece_.get(), static_cast<size_t>(n));
    if (n <= 0) {
      atEnd_ = true;
      failed_ = n < 0;
    }
    return n > 0;
  }

  void decode(const std::string& bytes) {
    const size_t start = out_.size();
    convert(bytes);
    // XML has no NUL; libxml2 would take one for the end of its input, and complain
    // on the terminal, where the replacement character is an error like any other.
    for (size_t nul = out_.find('\0', start); nul != std::string::npos;
         nul = out_.find('\0', nul + 3)) {
      out_.replace(nul, 1, "\xEF\xBF\xBD");
    }
  }

  void convert(const std::string& bytes) {
    if (mode_ == kUtf16) {
      utf16_.feed(bytes.data(), bytes.size(), &out_);
    } else if (mode_ == kCp1252) {
      out_ += cp1252ToUtf8(bytes);
    } else {
      pending_ += bytes;
      decodeUtf8(false);
    }
  }

  void finish() {
    finished_ = true;
    if (mode_ == kUtf16) utf16_.finish(&out_);
    if (mode_ == kUtf8) decodeUtf8(true);
  }

  // UTF-8 characters as they are, every other byte as code page 1252; a character cut
  // off at the end of pending_ waits for the next piece unless this is the last.
  void decodeUtf8(bool last) {
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(pending_.data());
    size_t i = 0, run = 0;  // run: where the valid characters before i start
    while (i < pending_.size()) {
      if (bytes[i] < 0x80) {
        ++i;
        continue;
      }
      const int length = utf8Length(bytes + i, pending_.size() - i);
      if (length < 0 && !last) break;
      if (length > 0) {
        i += static_cast<size_t>(length);
        continue;
      }
      out_.append(pending_, run, i - run);
      out_ += cp1252ToUtf8(pending_.substr(i, 1));
      run = ++i;
    }
    out_.append(pending_, run, i - run);
    pending_.erase(0, i);
  }

  tByteSource source_;
  std::unique_ptr<char[]> piece_{new char[kPiece]};  // never cleared: only bytes read count
  tMode mode_ = kUtf8;
  tUtf16Decoder utf16_;
  std::string head_;     // the first bytes, until they are decoded
  std::string pending_;  // the start of a UTF-8 character cut off by the piece's end
  std::string out_;
  size_t given_ = 0;       // bytes of out_ handed to the parser
  bool atEnd_ = false;     // the source gave its last byte
  bool finished_ = false;  // ... and all of them are decoded
  bool failed_ = false;
};

tXmlStream::tXmlStream(tByteSource source) : decoder_(new tDecoder(std::move(source))) {
  std::string declared;
  if (!decoder_->start(&declared)) {
    error_ =
        "Zeichenkodierung \xE2\x80\x9E" + declared + "\xE2\x80\x9C wird nicht unterst\xC3\xBCtzt";
    errorLine_ = 1;
    return;
  }
  const auto read = [](void* decoder, char* buffer, int size) {
    return static_cast<tDecoder*>(decoder)->read(buffer, size);
  };
  // No XML_PARSE_NOENT, DTDLOAD or HUGE: entities stay references, the limits hold.
  const int options =
      XML_PARSE_NONET | XML_PARSE_IGNORE_ENC | XML_PARSE_NOWARNING | XML_PARSE_BIG_LINES;
  reader_ = xmlReaderForIO(read, nullptr, decoder_.get(), nullptr, "UTF-8", options);
  if (reader_ == nullptr) {
    error_ = "Kein g\xC3\xBCltiges XML";
    errorLine_ = 1;
    return;
  }
  xmlTextReaderSetStructuredErrorHandler(reader_, onError, this);
}

tXmlStream::~tXmlStream() {
  if (reader_ != nullptr) xmlFreeTextReader(reader_);
}

void tXmlStream::onError(void* stream, _xmlError* error) {
  tXmlStream* self = static_cast<tXmlStream*>(stream);
  if (error->level < XML_ERR_FATAL || !self->error_.empty()) return;
  self->error_ = "Kein g\xC3\xBCltiges XML";
  self->errorLine_ = std::max(1, error->line);
}

bool tXmlStream::next() {
  if (reader_ == nullptr || !error_.empty()) return false;
  const int read = xmlTextReaderRead(reader_);
  if (read != 1 || !error_.empty()) {
    if (decoder_->failed()) {
      error_ = "Datei nicht vollst\xC3\xA4ndig lesbar";
      errorLine_ = xmlTextReaderGetParserLineNumber(reader_);
    } else if (read < 0 && error_.empty()) {
      error_ = "Kein g\xC3\xBCltiges XML";
      errorLine_ = std::max(1, xmlTextReaderGetParserLineNumber(reader_));
    }
    return false;
  }
  const size_t depth = static_cast<size_t>(std::max(0, xmlTextReaderDepth(reader_)));
  type_ = xmlTextReaderNodeType(reader_);
  switch (type_) {
    case XML_READER_TYPE_ELEMENT:
      path_.resize(depth);
      path_.emplace_back(reinterpret_cast<const char*>(xmlTextReaderConstLocalName(reader_)));
      break;
    case XML_READER_TYPE_END_ELEMENT:
      path_.resize(depth + 1);
      break;
    default:
      path_.resize(depth);
  }
  return true;
}

bool tXmlStream::isEmptyElement() const {
  return xmlTextReaderIsEmptyElement(reader_) == 1;
}

bool tXmlStream::at(std::initializer_list<const char*> names) const {
  return names.size() == path_.size() &&
         std::equal(names.begin(), names.end(), path_.begin(),
                    [](const char* name, const std::string& step) { return step == name; });
}

std::string tXmlStream::attribute(const char* name) const {
  xmlChar* value = xmlTextReaderGetAttribute(reader_, reinterpret_cast<const xmlChar*>(name));
  const std::string result = value != nullptr ? reinterpret_cast<const char*>(value) : "";
  xmlFree(value);
  return result;
}

std::string tXmlStream::value() const {
  const xmlChar* text = type() == XML_READER_TYPE_ENTITY_REFERENCE
                            ? xmlTextReaderConstName(reader_)
                            : xmlTextReaderConstValue(reader_);
  return text != nullptr ? reinterpret_cast<const char*>(text) : "";
}

int tXmlStream::line() const {
  const xmlNode* node = xmlTextReaderCurrentNode(reader_);
  if (node == nullptr) return xmlTextReaderGetParserLineNumber(reader_);
  if (node->line < 65535) return node->line;
  // Beyond, libxml2 keeps the line only for text (XML_PARSE_BIG_LINES), where the text
  // ends; the parser reads ahead, so an element's first text is mostly there already.
  const xmlNode* text = node->type == XML_ELEMENT_NODE ? node->children : node;
  if (text == nullptr || text->type != XML_TEXT_NODE || text->psvi == nullptr ||
      text->content == nullptr) {
    return xmlTextReaderGetParserLineNumber(reader_);
  }
  const char* content = reinterpret_cast<const char*>(text->content);
  const long end = static_cast<long>(reinterpret_cast<intptr_t>(text->psvi));
  return static_cast<int>(end - std::count(content, content + std::strlen(content), '\n'));
}
