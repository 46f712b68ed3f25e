#include "common/files.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

namespace ardentix {
namespace {

class FilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("ardentix_files_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  fs::path dir_;
};

TEST_F(FilesTest, AppendToFileModes) {
  const fs::path f = dir_ / "a.log";
  EXPECT_TRUE(AppendToFile("x", f, AppendMode::kAppend));  // missing: nothing, not a failure
  EXPECT_FALSE(FileExists(f));
  EXPECT_TRUE(AppendToFile("one", f, AppendMode::kCreate));
  EXPECT_TRUE(AppendToFile("two", f, AppendMode::kAppend));
  EXPECT_EQ(ReadWholeFile(f).value(), "onetwo");
  EXPECT_TRUE(AppendToFile("new", f, AppendMode::kCreate));
  EXPECT_EQ(ReadWholeFile(f).value(), "new");
  EXPECT_FALSE(AppendToFile("x", dir_ / "no" / "such", AppendMode::kCreate));
}

TEST_F(FilesTest, FixedNamesAreFoundInAnyCase) {
  EXPECT_FALSE(FindFileNoCase(dir_, "qv.ini").has_value());
  ASSERT_TRUE(WriteWholeFile(dir_ / "QV.INI", "[X12VIEWER]\r\n"));
  auto found = FindFileNoCase(dir_, "qv.ini");
  ASSERT_TRUE(found.has_value());
  EXPECT_EQ(found->filename(), "QV.INI");
  // The exact spelling wins over another case.
  ASSERT_TRUE(WriteWholeFile(dir_ / "qv.ini", ""));
  EXPECT_EQ(FindFileNoCase(dir_, "qv.ini")->filename(), "qv.ini");
  EXPECT_EQ(ResolveFixedName(dir_, "base.cfg"), dir_ / "base.cfg");
}

TEST_F(FilesTest, ReplacingWriteKeepsModeAndLeavesNoScratch) {
  const fs::path f = dir_ / "qv.ini";
  ASSERT_TRUE(WriteWholeFile(f, "old"));
  ::chmod(f.c_str(), 0640);
  ASSERT_TRUE(WriteFileReplacing(f, "new text"));
  EXPECT_EQ(ReadWholeFile(f).value(), "new text");
  struct stat st {};
  ASSERT_EQ(::stat(f.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
}

TEST_F(FilesTest, ScratchFilesArePrivateUniqueAndRemoved) {
  fs::path a_path;
  {
    ScratchFile a(MakeScratchFile(dir_, "tmp", ".dat").value());
    ScratchFile b(MakeScratchFile(dir_, "tmp", ".dat").value());
    EXPECT_NE(a.path(), b.path());
    struct stat st {};
    ASSERT_EQ(::stat(a.path().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    a_path = a.path();
  }
  EXPECT_FALSE(fs::exists(a_path));
}

TEST_F(FilesTest, CopiesARangeBetweenOpenFilesAndTellsWhichSideFailed) {
  ASSERT_TRUE(WriteWholeFile(dir_ / "in", "0123456789"));
  ASSERT_TRUE(WriteWholeFile(dir_ / "out", "abcdef"));
  const int in = ::open((dir_ / "in").c_str(), O_RDONLY | O_CLOEXEC);
  const int out = ::open((dir_ / "out").c_str(), O_RDWR | O_CLOEXEC);
  const int read_only = ::open((dir_ / "out").c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_GE(in, 0);
  ASSERT_GE(out, 0);
  ASSERT_GE(read_only, 0);
  bool read_failed = true;
  EXPECT_TRUE(CopyFileBytes(in, 3, 4, out, 2, &read_failed));
  EXPECT_FALSE(read_failed);
  EXPECT_TRUE(CopyFileBytes(in, 0, 2, out, 6));  // past the end: the file grows
  EXPECT_EQ(ReadWholeFile(dir_ / "out").value(), "ab345601");

  // The source ends before the count.
  EXPECT_FALSE(CopyFileBytes(in, 8, 5, out, 0, &read_failed));
  EXPECT_TRUE(read_failed);
  // The target cannot be written.
  EXPECT_FALSE(CopyFileBytes(in, 0, 4, read_only, 0, &read_failed));
  EXPECT_FALSE(read_failed);
  ::close(in);
  ::close(out);
  ::close(read_only);
}

TEST(FolderNameLess, SortsWithoutCaseThenBytewise) {
  std::vector<std::string> names = {"b.x12", "A.x12", "a.x12", "C.x12", "a1.x12"};
  std::sort(names.begin(), names.end(), FolderNameLess);
  EXPECT_EQ(names, (std::vector<std::string>{"A.x12", "a.x12", "a1.x12", "b.x12", "C.x12"}));
}

TEST(PathParts, SplitAtTheLastSlash) {
  EXPECT_EQ(FileNamePart("/a/v1.2/claims"), "claims");
  EXPECT_EQ(FolderPart("/a/v1.2/claims"), "/a/v1.2");
  EXPECT_EQ(FileNamePart("plain"), "plain");
  EXPECT_EQ(FolderPart("plain"), "");
}

}  // namespace
}  // namespace ardentix
