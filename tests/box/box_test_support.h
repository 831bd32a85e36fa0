// Helpers shared by the card box tests: a scratch directory, whole-file reads and
// writes, and a fixture that starts every test with an empty theCardBox.
#ifndef TERMEL_TESTS_BOX_BOX_TEST_SUPPORT_H_
#define TERMEL_TESTS_BOX_BOX_TEST_SUPPORT_H_

#include <dirent.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "box/card_box.h"
#include "box/termel.h"

// A fresh directory under /tmp, removed with its files at the end of the test.
class ScratchDir {
 public:
  ScratchDir() {
    char name[] = "/tmp/termel-box-XXXXXX";
    path_ = mkdtemp(name) != nullptr ? name : "";
  }
  ~ScratchDir() {
    std::string command = "rm -rf '" + path_ + "'";
    if (!path_.empty() && std::system(command.c_str()) != 0) std::perror("rm");
  }
  std::string file(const std::string& name) const { return path_ + "/" + name; }
  const std::string& path() const { return path_; }
  std::set<std::string> entries() const {
    std::set<std::string> names;
    if (DIR* dir = opendir(path_.c_str())) {
      while (dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name != "." && name != "..") names.insert(name);
      }
      closedir(dir);
    }
    return names;
  }

 private:
  std::string path_;
};

inline std::string readBytes(const std::string& path) {
  std::string bytes;
  if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
    char chunk[4096];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) bytes.append(chunk, n);
    std::fclose(f);
  }
  return bytes;
}

inline bool fileExists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

inline void writeBytes(const std::string& path, const std::string& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr) << path;
  ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), f), bytes.size());
  std::fclose(f);
}

inline tTermel card(const char* front, const char* back, int32_t known = 0, int32_t unknown = 0) {
  tTermel c = makeCard(front, back);
  c.timesKnown = known;
  c.timesUnknown = unknown;
  return c;
}

// "front;back" of every card in compartment n, head first.
inline std::vector<std::string> textsIn(int n) {
  std::vector<std::string> texts;
  tTermel buffer;
  for (tTermel* c = theCardBox.firstIn(n, &buffer); c; c = theCardBox.nextIn(n, &buffer)) {
    texts.push_back(std::string(buffer.front) + ";" + buffer.back);
  }
  return texts;
}

// A copy of the card at 0-based position in compartment n (empty texts when absent).
inline tTermel cardAt(int n, int position) {
  tTermel buffer = makeCard("", "");
  tTermel* c = theCardBox.firstIn(n, &buffer);
  for (int i = 0; c != nullptr && i < position; ++i) c = theCardBox.nextIn(n, &buffer);
  return c != nullptr ? buffer : makeCard("", "");
}

class CardBoxTest : public ::testing::Test {
 protected:
  void SetUp() override { theCardBox.clearAll(); }
  void TearDown() override { theCardBox.clearAll(); }

  // Adds cards named prefix1, prefix2, ... to compartment n.
  static void fill(int n, int count, const std::string& prefix) {
    for (int i = 1; i <= count; ++i) {
      const std::string text = prefix + std::to_string(i);
      theCardBox.addCardTo(card(text.c_str(), text.c_str()), n);
    }
  }
};

#endif  // TERMEL_TESTS_BOX_BOX_TEST_SUPPORT_H_
