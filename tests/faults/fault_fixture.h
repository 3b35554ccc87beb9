// Shared by the fault tests: a scratch directory per test, a record of every
// entry in it (to prove a failed conversion changed nothing), a host that
// records messages, and small fonts with their expected KVN bytes.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "conversion/convert_file.h"

namespace kelvane::faults {

namespace fs = std::filesystem;

std::string ReadBytes(const fs::path& path);
void WriteBytes(const fs::path& path, const std::string& bytes);

// What a directory tree holds: for each relative path, its kind, bytes (or
// link target) and permission bits.
struct Entry {
  fs::file_type type = fs::file_type::none;
  std::string content;
  fs::perms perms = fs::perms::none;
  bool operator==(const Entry&) const = default;
};
using Snapshot = std::map<std::string, Entry>;
Snapshot TakeSnapshot(const fs::path& dir);
// Lists the differences, one per line; empty when the snapshots agree.
std::string Differences(const Snapshot& before, const Snapshot& after);

class RecordingHost : public ConversionHost {
 public:
  void SetBusy(bool on) override;
  void ShowError(const std::string& text) override { errors.push_back(text); }

  std::vector<std::string> errors;
  std::vector<bool> busy;
};

// A two-glyph 8 x 2 ISO 8859 font, lines ended by `eol`, and its KVN bytes.
std::string SmallFont(const std::string& eol = "\n");
std::string SmallFontKvn();

// Each test gets a fresh directory `dir()`, removed afterwards.
class FaultTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  const fs::path& dir() const { return dir_; }
  fs::path Write(const std::string& name, const std::string& bytes);
  // Converts through the library with a fresh line state; nullopt when refused.
  std::optional<ConversionSummary> Convert(const fs::path& input, const fs::path& output);

  RecordingHost host_;
  LineReaderState lineState_;

 private:
  fs::path dir_;
};

// Success when the conversion was refused with exactly `text` and the tree
// under `dir` is as `before`: nothing written, nothing left behind.
::testing::AssertionResult RefusedLeavingUnchanged(const std::optional<ConversionSummary>& summary,
                                                   const RecordingHost& host,
                                                   const std::string& text, const Snapshot& before,
                                                   const fs::path& dir);

}  // namespace kelvane::faults
