// Field handles: a tCharField or tNumField is bound by name to a column of an open
// tDBF and reads and writes that column of the current record. Character values are
// converted between the in-memory code page 1252 and the file's code page 850.
//
// The table must outlive every handle bound to it; a handle does not notice when its
// table is closed and must be bound again after the next open.
#ifndef TERMEL_STORAGE_FIELDS_H_
#define TERMEL_STORAGE_FIELDS_H_

#include <cstddef>
#include <cstdint>
#include <vector>

class tDBF;

class tFeld {
 public:
  tFeld();
  virtual ~tFeld() = default;
  tFeld(const tFeld&) = delete;
  tFeld& operator=(const tFeld&) = delete;

  // Binds the handle to the field of that name (index -1 when it is missing).
  void bind(tDBF* table, const char* name);
  int index() const { return index_; }
  int length() const;
  char type() const;

 protected:
  // Reports a failure through the bound table's error(); nothing when unbound.
  void raise(int code);
  // The field's bytes in the current record (all of them, or only its text), read in
  // place; nullptr after raising the failure, when there is no such value.
  const unsigned char* fieldBytes(size_t* length);
  const unsigned char* fieldText(size_t* length);

  int index_;
  tDBF* table_;
  std::vector<char> value_;  // field length + 1 characters
};

class tCharField : public tFeld {
 public:
  // text is in code page 1252 and is stored as it is, cut to the field: a backslash is
  // a character like any other (escapes are expanded where text is typed, not here).
  tCharField& set(const char* text);
  // The field's text in code page 1252, valid until the next get() on this handle.
  const char* get();
  // The same text straight into dest, cut to size - 1 characters and NUL-terminated;
  // returns its length. Any of the size bytes of dest may be written, none when size is
  // 0. Failures are raised as by get().
  size_t copyTo(char* dest, size_t size);
};

class tNumField : public tFeld {
 public:
  tNumField& set(int32_t value);
  int32_t get();
};

// Writes v right-aligned in exactly width characters into dest (width + 1 bytes).
// Returns 1, or 0 after filling the width with '*' when v does not fit.
int formatInteger(int32_t v, int width, char* dest);
// The value of a numeric field's n bytes as tNumField::get() reads it: leading white
// space, an optional sign, then digits up to the first other character. Values beyond
// the 32-bit range saturate instead of overflowing.
int32_t parseInteger(const unsigned char* text, size_t n);

#endif  // TERMEL_STORAGE_FIELDS_H_
