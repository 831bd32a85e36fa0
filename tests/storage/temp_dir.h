// A scratch directory per test and byte-level helpers for the files in it.
#ifndef TERMEL_TESTS_STORAGE_TEMP_DIR_H_
#define TERMEL_TESTS_STORAGE_TEMP_DIR_H_

#include <gtest/gtest.h>

#include <string>

typedef std::string tBytes;

tBytes readBytes(const std::string& path);
void writeBytes(const std::string& path, const tBytes& bytes);
bool fileExists(const std::string& path);
// Writes a table with the fields NAME C10 and ANZAHL N6 whose record i holds "Wort<i>"
// and 10 * i.
void createWordTable(const std::string& file, int records);

// Creates a fresh directory before each test and removes it with its files after.
class TempDirTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  std::string path(const std::string& name) const { return dir_ + "/" + name; }
  const std::string& dir() const { return dir_; }

 private:
  std::string dir_;
};

#endif  // TERMEL_TESTS_STORAGE_TEMP_DIR_H_
