// bdf2kvn run as a process: exit status, standard output and error, and every
// change it makes to the directory it runs in.
#include <gtest/gtest.h>

#include "expected_kvn.h"
#include "kelvane/version.h"
#include "process_run.h"
#include "test_support.h"

namespace kelvane::test {
namespace {

// Runs bdf2kvn (this build's, or the one BDF2KVN names) with `args` in `dir`.
Outcome Bdf2kvn(const fs::path& dir, std::vector<std::string> args,
                const RunOptions& options = {}) {
  const char* other = std::getenv("BDF2KVN");
  args.insert(args.begin(), other != nullptr ? other : BDF2KVN_PATH);
  return RunProcess(dir, std::move(args), options);
}

// Two glyphs in an 8 x 2 cell, lines ended by `eol`, and the file it makes.
std::string SmallFont(const std::string& eol) {
  std::string text =
      "STARTFONT 2.1\nFONTBOUNDINGBOX 8 2 0 0\nCHARSET_REGISTRY \"ISO8859\"\nSTARTCHAR A\n"
      "ENCODING 65\nDWIDTH 8 0\nBITMAP\n81\n7E\nENDCHAR\nSTARTCHAR B\nENCODING 66\nDWIDTH 7 0\n"
      "BITMAP\nFF\nENDCHAR\nENDFONT\n";
  for (auto at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + eol.size()))
    text.replace(at, 1, eol);
  return text;
}
const std::string kSmallKvn = ExpectedKvn(8, 2, 0, {{65, 8, {0x81, 0x7E}}, {66, 7, {0xFF, 0}}});

// The files every case starts from.
void MakeFiles(const TempDir& dir) {
  const std::string font = SmallFont("\n");
  std::string big = "FONTBOUNDINGBOX 16 16\n";  // 400 * 33 bytes out
  for (int code = 0; code < 400; ++code) big += "ENCODING " + std::to_string(code) + "\nENDCHAR\n";
  // clang-format off
  const std::pair<std::string, std::string> files[] = {
      {"a.bdf", font}, {"cr.bdf", SmallFont("\r\n")}, {"font.kvn", font}, {"big.bdf", big},
      {"big.kvn", "earlier"}, {"old.kvn", std::string(99, 'o')}, {".fontA", font},
      {"esc\x1b]0;title\x07.bdf", "FONTBOUNDINGBOX 8 2 0 0\nCHARSET_REGISTRY \"\x1b[2J\x1b]0;pwned\x07\"\n" + font},
      {std::string(90, 'd') + ".bdf", ""},
      {"uni.bdf", "CHARSET_REGISTRY \"ISO10646\"\nCHARSET_ENCODING \"1\"\n" + font}};
  // clang-format on
  for (const auto& [name, bytes] : files) WriteBytes(dir / name, bytes);
  fs::permissions(dir / "old.kvn", fs::perms(0604));
  WriteBytes(dir / "ro.kvn", "read only");
  fs::permissions(dir / "ro.kvn", fs::perms(0444));
  fs::create_symlink("old.kvn", dir / "link.kvn");
  fs::create_directory(dir / "folder.bdf");
}

TEST(Bdf2kvn, ExitsReportsAndWritesAsEachCaseNeeds) {
  const std::string v = ": 2 glyphs, 1 ranges, 8x2 cell, 21 bytes\n", kvn = kSmallKvn;
  const std::string longDir(90, 'd');
  // clang-format off
  const struct {
    std::vector<std::string> args;
    int status;
    std::string out{}, err{};
    std::map<std::string, std::string> written{};  // files made or replaced, with their bytes
    RunOptions options{};
  } cases[] = {
      {{"a.bdf"}, 0, "", "", {{"a.kvn", kvn}}},
      {{"-v", "-o", "out.bin", "a.bdf"}, 0, "out.bin" + v, "", {{"out.bin", kvn}}},
      {{"-o", "link.kvn", "a.bdf"}, 0, "", "", {{"old.kvn", kvn}}},
      // One failing FILE does not stop the others; the status tells of it.
      {{"-v", "folder.bdf", "cr.bdf", "none.bdf", "font.kvn"}, 1, "cr.kvn" + v,
       "bdf2kvn: folder.bdf: Cannot open file! [folder.bdf] (Is a directory)\n"
       "bdf2kvn: none.bdf: Cannot open file! [none.bdf] (No such file or directory)\n"
       "bdf2kvn: font.kvn: Output would overwrite the input! [font.kvn]\n",
       {{"cr.kvn", kvn}}},
      // A file-size limit fails the write instead of killing the program.
      {{"big.bdf"}, 1, "", "bdf2kvn: big.bdf: Cannot write file! [big.kvn] (File too large)\n",
       {}, {.fileSizeLimit = 4096}},
      // Devices are not replaced; read-only files are not replaced.
      {{"-o", "/dev/null", "a.bdf"}, 1, "",
       "bdf2kvn: a.bdf: Cannot write file! [/dev/null] (not a regular file)\n"},
      {{"-o", "ro.kvn", "a.bdf"}, 1, "",
       "bdf2kvn: a.bdf: Cannot write file! [ro.kvn] (Permission denied)\n"},
      // Control bytes from fonts and file names are shown, not obeyed.
      {{"esc\x1b]0;title\x07.bdf"}, 1, "",
       "bdf2kvn: esc\\x1b]0;title\\x07.bdf: CHARSET is not support! "
       "[\\x1b[2J\\x1b]0;pwned\\x07]\n"},
      // A long path is shortened in the middle, so the file name stays.
      {{longDir + ".bdf"}, 1, "",
       "bdf2kvn: " + longDir + ".bdf: File is not support ! (an empty file)\n"},
      {{"-o", longDir + "/x.kvn", "a.bdf"}, 1, "",
       "bdf2kvn: a.bdf: Cannot write file! [" + longDir.substr(0, 71) +
           ".../x.kvn] (No such file or directory)\n"},
      // A dot-file's name has no extension.
      {{".fontA"}, 0, "", "", {{".fontA.kvn", kvn}}},
      // Standard input and output.
      {{"-o", "in.kvn", "-"}, 0, "", "", {{"in.kvn", kvn}}, {.stdinFile = "a.bdf"}},
      {{"-v", "-o", "-", "a.bdf"}, 0, kvn, "-" + v},
      {{"-o", "-", "-"}, 0, kvn, "", {}, {.stdinFile = "a.bdf"}},
      // A Unicode font is refused with the option that maps it; a mapping converts it.
      {{"uni.bdf"}, 1, "",
       "bdf2kvn: uni.bdf: CHARSET is not support! [ISO10646] (--charset shift_jis maps it)\n"},
      {{"--charset", "iso8859-1", "--codes", "0x41", "-o", "one.kvn", "uni.bdf"}, 0, "", "",
       {{"one.kvn", ExpectedKvn(8, 2, 0, {{65, 8, {0x81, 0x7E}}})}}},
      {{"--charset", "bogus", "a.bdf"}, 2}, {{"--codes", "0x7E-0x20", "a.bdf"}, 2},
      {{"--chars", "none.txt", "a.bdf"}, 2}, {{"-"}, 2}, {{}, 2}, {{"a.bdf", ""}, 2},
      {{"--bogus", "a.bdf"}, 2},
      {{"--version"}, 0, "bdf2kvn " KELVANE_VERSION "\n"},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.args));
    TempDir dir;
    MakeFiles(dir);
    Snapshot expected = TakeSnapshot(dir.path());
    const Outcome run = Bdf2kvn(dir.path(), c.args, c.options);
    EXPECT_EQ(run.status, c.status);
    EXPECT_EQ(run.out, c.out);
    EXPECT_TRUE(c.status == 2 ? !run.err.empty() : run.err == c.err) << run.err;  // usage: any text
    // A replaced file keeps its kind and permission bits; a new one is a plain file.
    for (const auto& [name, bytes] : c.written) {
      const auto mode = fs::status(dir / name).permissions();
      expected.try_emplace(name, Entry{fs::file_type::regular, mode, ""}).first->second.content =
          bytes;
    }
    EXPECT_EQ(TakeSnapshot(dir.path()), expected);
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
  }
}

// In a shared sticky directory such as /tmp, a link planted by another user
// is not followed: the tool run by root must not replace the file it names.
TEST(Bdf2kvn, RefusesAnotherUsersLinkInASharedDirectory) {
  TempDir dir;
  WriteBytes(dir / "a.bdf", SmallFont("\n"));
  WriteBytes(dir / "victim", "precious");
  fs::create_directory(dir / "shared");
  fs::permissions(dir / "shared", fs::perms(01777));
  fs::create_symlink("../victim", dir / "shared/x.kvn");
  if (::lchown((dir / "shared/x.kvn").c_str(), 12345, 12345) != 0) {
    GTEST_SKIP() << "cannot give a link to another user here (needs root)";
  }
  const Outcome run = Bdf2kvn(dir.path(), {"-o", "shared/x.kvn", "a.bdf"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err,
            "bdf2kvn: a.bdf: Cannot write file! [shared/x.kvn] (symbolic link in a shared "
            "directory)\n");
  EXPECT_EQ(ReadBytes(dir / "victim"), "precious");
  EXPECT_TRUE(fs::is_symlink(dir / "shared/x.kvn"));
}

// Run through the dynamic loader, on an input large enough that huge pages pay.
TEST(Bdf2kvn, RunsThroughTheDynamicLoader) {
  const char* loaders[] = {"/lib64/ld-linux-x86-64.so.2", "/lib/ld-linux-aarch64.so.1"};
  const auto loader = std::find_if(std::begin(loaders), std::end(loaders),
                                   [](const char* path) { return fs::exists(path); });
  if (loader == std::end(loaders)) GTEST_SKIP() << "no known dynamic loader here";
  TempDir dir;
  {
    std::ofstream font(dir / "large.bdf", std::ios::binary);
    font << "FONTBOUNDINGBOX 16 16 0 0\n";
    for (int code = 0; code < 32000; ++code) {
      font << "STARTCHAR g\nENCODING " << code << "\nDWIDTH 16 0\nBITMAP\n";
      for (int row = 0; row < 16; ++row) font << "ABCD\n";
      font << "ENDCHAR\n";
    }
  }
  ASSERT_GT(fs::file_size(dir / "large.bdf"), 4u << 20);
  const Outcome run = Bdf2kvn(dir.path(), {"large.bdf"}, {.loader = *loader});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(fs::file_size(dir / "large.kvn"), 9u + 6 + 32000 * 33);
}

TEST(Bdf2kvn, HelpNamesTheArguments) {
  TempDir dir;
  const Outcome help = Bdf2kvn(dir.path(), {"--help"});
  EXPECT_EQ(help.status, 0);
  for (const char* option : {"FILE", "-o", "-v", "--charset", "--table", "--chars", "--codes"}) {
    EXPECT_NE(help.out.find(option), std::string::npos) << option;
  }
}

}  // namespace
}  // namespace kelvane::test
