#include "temp_dir.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "storage/dbf.h"

tBytes readBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return tBytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeBytes(const std::string& path, const tBytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  ASSERT_TRUE(out.good()) << path;
}

bool fileExists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

void createWordTable(const std::string& file, int records) {
  tCreateDBF create;
  create.addField("NAME", 'C', 10, 0);
  create.addField("ANZAHL", 'N', 6, 0);
  ASSERT_TRUE(create.create(file.c_str()));
  tDBF table;
  ASSERT_TRUE(table.open(file.c_str()));
  for (int i = 0; i < records; ++i) {
    ASSERT_TRUE(table.append());
    const std::string name = "Wort" + std::to_string(i);
    const std::string count = std::to_string(10 * i);
    table.putField(0, name.c_str());
    table.putField(1, (std::string(6 - count.size(), ' ') + count).c_str());
  }
  ASSERT_TRUE(table.close());
}

void TempDirTest::SetUp() {
  char name[] = "/tmp/termel-storage-XXXXXX";
  ASSERT_NE(mkdtemp(name), nullptr);
  dir_ = name;
}

void TempDirTest::TearDown() {
  std::error_code ignored;
  std::filesystem::remove_all(dir_, ignored);
}
