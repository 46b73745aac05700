#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "app/Report.h"

namespace tovrenic {
namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteRaw(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

class ReportFile : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/tovrenic-report-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    dir_ = pattern;
    path_ = ReportFilePath(dir_.string());
  }
  void TearDown() override {
    fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add);
    fs::remove_all(dir_);
  }
  // Nothing but wx.txt may be left in the folder: no temporary file survives.
  void ExpectOnlyReportFile() {
    for (const auto& entry : fs::directory_iterator(dir_)) {
      EXPECT_EQ(entry.path().filename(), "wx.txt");
    }
  }

  fs::path dir_;
  std::string path_;
};

TEST(ReportText, DailyMessageHeaderIsFortyGbkBytes) {
  std::string expected;
  for (int i = 0; i < 14; ++i) expected += "\xA9\xA5";
  expected += "\r\n\xC3\xBF\xC8\xD5\xBC\xC4\xD3\xEF\r\n";  // 每日寄语
  EXPECT_EQ(kDailyMessageHeader.str(), expected);
  EXPECT_EQ(kDailyMessageHeader.size(), 40u);
  EXPECT_EQ(DailyMessageBlock(Text()), kDailyMessageHeader);
  EXPECT_EQ(DailyMessageBlock(Text(" a\r\nb ")).str(), expected + " a\r\nb ");
}

TEST(ReportText, BlocksJoinWithNothingBetween) {
  EXPECT_EQ(JoinReport(Text("w\r\n"), Text("n\r\n"), Text("d")), Text("w\r\nn\r\nd"));
  EXPECT_EQ(JoinReport(Text(), Text(), Text()), Text());
  EXPECT_EQ(ReportFilePath(""), "/wx.txt");
  EXPECT_EQ(ReportFilePath("/opt/tovrenic"), "/opt/tovrenic/wx.txt");
}

TEST_F(ReportFile, CreatesAndCutsALongerFileToExactlyTheNewBytes) {
  ASSERT_TRUE(WriteFileReplacing(path_, "first report, rather long").written);
  EXPECT_EQ(ReadFile(path_), "first report, rather long");
  const WriteOutcome outcome = WriteFileReplacing(path_, "short");
  EXPECT_TRUE(outcome.written);
  EXPECT_TRUE(outcome.reason.empty());
  EXPECT_EQ(ReadFile(path_), "short");
  ASSERT_TRUE(WriteFileReplacing(path_, "").written);
  EXPECT_EQ(fs::file_size(path_), 0u);
  ExpectOnlyReportFile();
}

TEST_F(ReportFile, NewFileGetsTheUsualModeAndAReplacedOneKeepsItsOwn) {
  mode_t mask = ::umask(022);
  ASSERT_TRUE(WriteFileReplacing(path_, "x").written);
  ::umask(mask);
  struct stat info {};
  ASSERT_EQ(::stat(path_.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0644u);
  ASSERT_EQ(::chmod(path_.c_str(), 0620), 0);
  ASSERT_TRUE(WriteFileReplacing(path_, "y").written);
  ASSERT_EQ(::stat(path_.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0620u);
}

// Each of these leaves what was there untouched and says why, for root too.
TEST_F(ReportFile, FailuresLeaveThePreviousContentWhole) {
  WriteRaw(path_, "old report");
  ASSERT_EQ(::chmod(path_.c_str(), 0444), 0);
  WriteOutcome outcome = WriteFileReplacing(path_, "new report");
  EXPECT_FALSE(outcome.written);
  EXPECT_FALSE(outcome.reason.empty());
  EXPECT_EQ(ReadFile(path_), "old report");
  ExpectOnlyReportFile();

  fs::remove(path_);
  fs::create_directory(path_);
  outcome = WriteFileReplacing(path_, "new report");
  EXPECT_FALSE(outcome.written);
  EXPECT_FALSE(outcome.reason.empty());
  EXPECT_TRUE(fs::is_directory(path_));

  outcome = WriteFileReplacing((dir_ / "missing" / "wx.txt").string(), "new report");
  EXPECT_FALSE(outcome.written);
  EXPECT_FALSE(outcome.reason.empty());
}

TEST_F(ReportFile, FullDiskKeepsTheOldFileAndLeavesNoTemporaryFile) {
  if (::mount("tovrenic-test", dir_.c_str(), "tmpfs", 0, "size=16k") != 0) {
    GTEST_SKIP() << "mounting a small tmpfs needs root";
  }
  struct Unmount {
    const char* at;
    ~Unmount() { ::umount2(at, MNT_DETACH); }
  } unmount{dir_.c_str()};
  WriteRaw(path_, "old report");
  const WriteOutcome outcome = WriteFileReplacing(path_, std::string(64 * 1024, 'x'));
  EXPECT_FALSE(outcome.written);
  EXPECT_FALSE(outcome.reason.empty());
  EXPECT_EQ(ReadFile(path_), "old report");
  ExpectOnlyReportFile();
}

}  // namespace
}  // namespace tovrenic
