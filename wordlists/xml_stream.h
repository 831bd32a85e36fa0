// tXmlStream: an XML document read node by node through libxml2's reader, in memory
// that does not grow with the document. The bytes come in pieces from a tByteSource
// and are decoded here, so the parser always reads UTF-8: UTF-16 by its byte-order
// mark (or the zero bytes of its first character), code page 1252 where the
// declaration names Latin-1 or code page 1252 (Windows programs that declare Latin-1
// write code page 1252, as browsers assume), UTF-8 otherwise, where every byte that
// isn't part of a UTF-8 character is read as code page 1252 as in every word list.
//
// Entities are never expanded, no DTD is loaded and nothing is fetched from the
// network: a reference to an entity other than XML's own (&amp; and so on) is a node
// of its own, XML_READER_TYPE_ENTITY_REFERENCE, and its text is nowhere. The limits of
// libxml2 without XML_PARSE_HUGE (10 MB for a text, 256 levels of elements) hold, so
// a document that would need more is an error.
#ifndef TERMEL_WORDLISTS_XML_STREAM_H_
#define TERMEL_WORDLISTS_XML_STREAM_H_

#include <cstddef>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

struct _xmlTextReader;
struct _xmlError;

// Fills buffer with up to size bytes of the input; the number given, 0 at its end and
// -1 when it can't be read.
using tByteSource = std::function<long(char* buffer, size_t size)>;
// A document that can be read more than once: each call gives its bytes from the start.
using tByteSourceOpener = std::function<tByteSource()>;

class tXmlStream {
 public:
  explicit tXmlStream(tByteSource source);
  ~tXmlStream();
  tXmlStream(const tXmlStream&) = delete;
  tXmlStream& operator=(const tXmlStream&) = delete;

  // Moves to the next node; false at the end of the document and on an error.
  bool next();
  // libxml2's xmlReaderTypes of the node.
  int type() const { return type_; }
  // The start tag of an element without content (<x/>): no end tag follows.
  bool isEmptyElement() const;
  // The names of the elements the node is in, from the root; for an element's start
  // and end tags the element itself is the last.
  const std::vector<std::string>& path() const { return path_; }
  // True when path() is names.
  bool at(std::initializer_list<const char*> names) const;
  // An attribute of the element the node starts; empty when it has none of that name.
  std::string attribute(const char* name) const;
  // The text of a text, CDATA or white-space node; the name of an entity reference.
  std::string value() const;
  // The line the node stands on, counted from 1 (an element's: where its start tag
  // ends). Beyond line 65534 an element's comes from the text it starts with; for one
  // that starts with another element the parser's line, at most a few hundred bytes
  // ahead, stands in.
  int line() const;

  // After next() gave false: why the document ended early (German, UTF-8), and its
  // line; an empty text when it was read to its end.
  const std::string& error() const { return error_; }
  int errorLine() const { return errorLine_; }

 private:
  class tDecoder;
  static void onError(void* stream, _xmlError* error);

  std::unique_ptr<tDecoder> decoder_;
  _xmlTextReader* reader_ = nullptr;
  int type_ = 0;
  std::vector<std::string> path_;
  std::string error_;
  int errorLine_ = 0;
};

#endif  // TERMEL_WORDLISTS_XML_STREAM_H_
