#include "fault_fixture.h"

#include <unistd.h>

#include <fstream>
#include <iterator>
#include <sstream>

namespace kelvane::faults {

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

Snapshot TakeSnapshot(const fs::path& dir) {
  Snapshot snapshot;
  for (const auto& item : fs::recursive_directory_iterator(dir)) {
    Entry entry;
    const fs::file_status status = item.symlink_status();
    entry.type = status.type();
    entry.perms = status.permissions();
    if (entry.type == fs::file_type::symlink) {
      entry.content = fs::read_symlink(item.path()).string();
    } else if (entry.type == fs::file_type::regular) {
      entry.content = ReadBytes(item.path());
    }
    snapshot[item.path().lexically_relative(dir).string()] = entry;
  }
  return snapshot;
}

std::string Differences(const Snapshot& before, const Snapshot& after) {
  std::ostringstream out;
  for (const auto& [name, entry] : before) {
    const auto found = after.find(name);
    if (found == after.end()) {
      out << "removed: " << name << '\n';
    } else if (!(found->second == entry)) {
      out << "changed: " << name << '\n';
    }
  }
  for (const auto& [name, entry] : after) {
    if (!before.contains(name)) out << "added: " << name << '\n';
  }
  return out.str();
}

::testing::AssertionResult RefusedLeavingUnchanged(const std::optional<ConversionSummary>& summary,
                                                   const RecordingHost& host,
                                                   const std::string& text, const Snapshot& before,
                                                   const fs::path& dir) {
  if (summary) return ::testing::AssertionFailure() << "converted instead of refused";
  if (host.errors != std::vector<std::string>{text}) {
    auto failure = ::testing::AssertionFailure()
                   << "expected the one message \"" << text << "\", got";
    for (const auto& error : host.errors) failure << " \"" << error << "\"";
    return failure;
  }
  const std::string changes = Differences(before, TakeSnapshot(dir));
  if (!changes.empty())
    return ::testing::AssertionFailure() << "the directory changed:\n" << changes;
  return ::testing::AssertionSuccess();
}

void RecordingHost::SetBusy(bool on) { busy.push_back(on); }

std::string SmallFont(const std::string& eol) {
  const char* const lines[] = {"STARTFONT 2.1",
                               "FONTBOUNDINGBOX 8 2 0 0",
                               "CHARSET_REGISTRY \"ISO8859\"",
                               "STARTCHAR A",
                               "ENCODING 65",
                               "DWIDTH 8 0",
                               "BITMAP",
                               "81",
                               "7E",
                               "ENDCHAR",
                               "STARTCHAR B",
                               "ENCODING 66",
                               "DWIDTH 7 0",
                               "BITMAP",
                               "FF",
                               "ENDCHAR",
                               "ENDFONT"};
  std::string text;
  for (const char* line : lines) text += std::string(line) + eol;
  return text;
}

std::string SmallFontKvn() {
  // Two glyphs, one range {65, 66, 65}, default index 0, cell 8 x 2, 2 bytes a glyph.
  static const unsigned char bytes[] = {2,    0,    1,    0, 0,    0, 8, 2, 2,  //
                                        0x41, 0,    0x42, 0, 0x41, 0,           //
                                        8,    0x81, 0x7E, 7, 0xFF, 0};
  return std::string(std::begin(bytes), std::end(bytes));
}

void FaultTest::SetUp() {
  std::string pattern = (fs::temp_directory_path() / "kelvane-faults-XXXXXX").string();
  ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
  dir_ = pattern;
}

void FaultTest::TearDown() {
  std::error_code ec;
  for (const auto& item : fs::recursive_directory_iterator(dir_, ec)) {
    if (item.is_directory())
      fs::permissions(item.path(), fs::perms::owner_all, fs::perm_options::add, ec);
  }
  fs::remove_all(dir_, ec);
}

fs::path FaultTest::Write(const std::string& name, const std::string& bytes) {
  const fs::path path = dir_ / name;
  WriteBytes(path, bytes);
  return path;
}

std::optional<ConversionSummary> FaultTest::Convert(const fs::path& input, const fs::path& output) {
  return ConvertFileTo(input.string(), output.string(), host_, lineState_);
}

}  // namespace kelvane::faults
