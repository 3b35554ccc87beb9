// bdf2kvn run as a process: arguments, exit status, messages and files.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {
namespace fs = std::filesystem;

struct RunResult {
  int status = -1;
  std::string out;
  std::string err;
};

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

class Bdf2kvnTest : public testing::Test {
 protected:
  void SetUp() override {
    dir_ =
        fs::temp_directory_path() / ("bdf2kvn_test_" + std::to_string(::getpid()) + "_" +
                                     testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  fs::path Write(const std::string& name, const std::string& text) {
    const fs::path path = dir_ / name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }

  // Runs bdf2kvn in the test directory with the given (shell-quoted) arguments.
  RunResult Bdf2kvn(const std::string& args) {
    const std::string command =
        "cd '" + dir_.string() + "' && '" BDF2KVN_PATH "' " + args + " >stdout.txt 2>stderr.txt";
    RunResult run;
    const int raw = std::system(command.c_str());
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.out = ReadText(dir_ / "stdout.txt");
    run.err = ReadText(dir_ / "stderr.txt");
    return run;
  }

  fs::path dir_;
};

std::string Font(const std::string& charset) {
  return "STARTFONT 2.1\nFONTBOUNDINGBOX 8 2 0 0\nCHARSET_REGISTRY \"" + charset +
         "\"\nENCODING 65\nDWIDTH 8 0\nBITMAP\n81\n7E\nENDCHAR\nENCODING 66\nDWIDTH 8 0\n"
         "BITMAP\nFF\nENDCHAR\nENDFONT\n";
}

TEST_F(Bdf2kvnTest, ConvertsBesideTheInputSilently) {
  Write("a.bdf", Font("ISO8859"));
  const RunResult run = Bdf2kvn("a.bdf");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "");
  const std::string expected = std::string("\x02\x00\x01\x00\x00\x00\x08\x02\x02", 9) +
                               std::string("\x41\x00\x42\x00\x41\x00", 6) +
                               std::string("\x08\x81\x7E\x08\xFF\x00", 6);
  EXPECT_EQ(ReadText(dir_ / "a.kvn"), expected);
}

TEST_F(Bdf2kvnTest, VerboseReportsEachFile) {
  Write("a.bdf", Font("ISO8859"));
  Write("b.bdf", Font("JISX0201.1976"));
  const RunResult run = Bdf2kvn("-v a.bdf b.bdf");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out,
            "a.kvn: 2 glyphs, 1 ranges, 8x2 cell\n"
            "b.kvn: 2 glyphs, 1 ranges, 8x2 cell\n");
}

TEST_F(Bdf2kvnTest, OutputOptionNamesTheFile) {
  Write("a.bdf", Font("ISO8859"));
  EXPECT_EQ(Bdf2kvn("-o out.bin a.bdf").status, 0);
  EXPECT_TRUE(fs::exists(dir_ / "out.bin"));
  EXPECT_FALSE(fs::exists(dir_ / "a.kvn"));
}

TEST_F(Bdf2kvnTest, RefusalGoesToStderrAndOtherFilesStillConvert) {
  Write("bad.bdf", Font("ISO10646"));
  Write("good.bdf", Font("ISO8859"));
  const RunResult run = Bdf2kvn("bad.bdf good.bdf");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "bdf2kvn: bad.bdf: CHARSET is not support! [ISO10646]\n");
  EXPECT_FALSE(fs::exists(dir_ / "bad.kvn"));
  EXPECT_TRUE(fs::exists(dir_ / "good.kvn"));
}

TEST_F(Bdf2kvnTest, MissingInputIsRefused) {
  const RunResult run = Bdf2kvn("none.bdf");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err,
            "bdf2kvn: none.bdf: Cannot open file! [none.bdf] (No such file or directory)\n");
}

TEST_F(Bdf2kvnTest, UsageErrorsExitWithTwoAndWriteNothing) {
  Write("a.bdf", Font("ISO8859"));
  Write("b.bdf", Font("ISO8859"));
  for (const char* args :
       {"", "''", "a.bdf ''", "-o x.kvn a.bdf b.bdf", "-o '' a.bdf", "--bogus a.bdf"}) {
    const RunResult run = Bdf2kvn(args);
    EXPECT_EQ(run.status, 2) << args;
    EXPECT_NE(run.err, "") << args;
    EXPECT_FALSE(fs::exists(dir_ / "a.kvn")) << args;
    EXPECT_FALSE(fs::exists(dir_ / "x.kvn")) << args;
  }
}

TEST_F(Bdf2kvnTest, HelpAndVersionSucceed) {
  const RunResult help = Bdf2kvn("--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("FILE"), std::string::npos);
  const RunResult version = Bdf2kvn("--version");
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out.rfind("bdf2kvn ", 0), 0u) << version.out;
}

}  // namespace
