// Telling a box's card file from any other file before saving over it.
#include "kartei/card_file_probe.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "kartei/card_file.h"
#include "storage/dbf.h"
#include "tests/box/box_test_support.h"

namespace {

class CardFileProbeTest : public CardBoxTest {
 protected:
  void SetUp() override {
    CardBoxTest::SetUp();
    char pattern[] = "/tmp/termel_probe_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
  }
  void TearDown() override {
    std::filesystem::remove_all(dir_);
    CardBoxTest::TearDown();
  }
  std::string path(const char* name) const { return dir_ + "/" + name; }

  std::string dir_;
};

TEST_F(CardFileProbeTest, BoxesOfOursAndOfOtherDbaseProgramsAreCardFiles) {
  fill(1, 2, "Haus");
  ASSERT_TRUE(saveCardFile(path("box.trm").c_str()));
  EXPECT_FALSE(isOtherThanCardFile(path("box.trm").c_str()));
  std::filesystem::create_symlink(path("box.trm"), path("link.trm"));
  EXPECT_FALSE(isOtherThanCardFile(path("link.trm").c_str()));
  ASSERT_TRUE(createCardTable(path("empty.trm").c_str()));
  EXPECT_FALSE(isOtherThanCardFile(path("empty.trm").c_str())) << "a box without cards";
  const std::string foreign = std::string(TERMEL_TEST_DATA_DIR) + "/foreign/libreoffice.dbf";
  EXPECT_FALSE(isOtherThanCardFile(foreign.c_str()));
}

TEST_F(CardFileProbeTest, TextsEmptyFilesAndOtherTablesAreNot) {
  std::ofstream(path("notes.trm"), std::ios::binary) << "\xEF\xBB\xBFHaus;house\r\nBaum;tree\r\n";
  EXPECT_TRUE(isOtherThanCardFile(path("notes.trm").c_str()));
  std::ofstream(path("empty.trm"));
  EXPECT_TRUE(isOtherThanCardFile(path("empty.trm").c_str()));
  // The box file of a box is a dBASE table too, but holds no cards.
  ASSERT_TRUE(createBoxTable(path("box.kas").c_str()));
  EXPECT_TRUE(isOtherThanCardFile(path("box.kas").c_str()));
  tCreateDBF addresses;
  addresses.addField("DEUTSCH", 'C', 64, 0);
  addresses.addField("STRASSE", 'C', 40, 0);
  ASSERT_TRUE(addresses.create(path("adressen.dbf").c_str()));
  EXPECT_TRUE(isOtherThanCardFile(path("adressen.dbf").c_str()));
}

TEST_F(CardFileProbeTest, WhatCannotBeLostIsNoOtherFile) {
  EXPECT_FALSE(isOtherThanCardFile(path("missing.trm").c_str()));
  EXPECT_FALSE(isOtherThanCardFile(dir_.c_str()));
  std::filesystem::create_symlink(path("nowhere.trm"), path("dangling.trm"));
  EXPECT_FALSE(isOtherThanCardFile(path("dangling.trm").c_str()));
  EXPECT_FALSE(isOtherThanCardFile(""));
  EXPECT_FALSE(isOtherThanCardFile(nullptr));
}

}  // namespace
