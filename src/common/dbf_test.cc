#include "common/dbf.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "common/files.h"

namespace ardentix {
namespace {

namespace fs = std::filesystem;

class DbfAppendTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string templ = (fs::temp_directory_path() / "ardentix-dbf-XXXXXX").string();
    dir_ = mkdtemp(templ.data());
  }
  void TearDown() override { fs::remove_all(dir_); }
  // A table of two fields (4 and 3 wide) with the given records (flag included).
  fs::path Table(const std::string& name, const std::vector<std::string>& records,
                 int second_width = 3) {
    const std::vector<DbfField> fields = {{DbfFieldName(1), 'C', 4, 0},
                                          {DbfFieldName(2), 'C', second_width, 0}};
    std::string bytes = DbfHeader(fields, static_cast<std::uint32_t>(records.size()), 2020, 1, 2);
    for (const std::string& r : records) bytes += r;
    bytes += '\x1A';
    EXPECT_TRUE(WriteWholeFile(dir_ / name, bytes));
    return dir_ / name;
  }
  fs::path dir_;
};

TEST_F(DbfAppendTest, AddsTheRecordsWithTheirFlagsAndCountsThem) {
  const fs::path target = Table("t.dbf", {" AAAABBB"});
  const fs::path source = Table("s.dbf", {"*CCCCDDD", " EEEEFFF"});
  std::string why;
  ASSERT_TRUE(AppendDbfTable(target, source, &why)) << why;
  const auto table = ReadDbfTable(target, &why);
  ASSERT_TRUE(table) << why;
  ASSERT_EQ(table->records.size(), 3u);
  EXPECT_EQ(table->records[1], (std::vector<std::string>{"CCCC", "DDD"}));
  EXPECT_EQ(table->deleted, (std::vector<bool>{false, true, false}));
  const std::string bytes = ReadWholeFile(target).value();
  EXPECT_EQ(bytes.substr(bytes.size() - 10), "D EEEEFFF\x1A");
  EXPECT_EQ(bytes[4], 3);
}

TEST_F(DbfAppendTest, RefusesWhatDoesNotFitAndLeavesTheTargetAlone) {
  const fs::path source = Table("s.dbf", {" CCCCDDD"});
  const fs::path other = Table("o.dbf", {" AAAABBBB"}, 4);
  const std::string other_before = ReadWholeFile(other).value();
  std::string why;
  EXPECT_FALSE(AppendDbfTable(other, source, &why));
  EXPECT_EQ(why, "the tables have different fields");
  EXPECT_EQ(ReadWholeFile(other).value(), other_before);

  // A header that counts more records than the file holds.
  const fs::path damaged = Table("d.dbf", {" AAAABBB"});
  std::string bytes = ReadWholeFile(damaged).value();
  bytes[4] = 9;
  ASSERT_TRUE(WriteWholeFile(damaged, bytes));
  EXPECT_FALSE(AppendDbfTable(damaged, source, &why));
  EXPECT_EQ(ReadWholeFile(damaged).value(), bytes);

  EXPECT_FALSE(AppendDbfTable(dir_ / "missing.dbf", source, &why));
  EXPECT_FALSE(AppendDbfTable(other, dir_ / "missing.dbf", &why));
}

}  // namespace
}  // namespace ardentix
