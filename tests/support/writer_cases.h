// The cases every program that writes files must pass, the same rows for each
// writer (bdf2kvn, kvn -o, the preview's saves): a writer's test makes its
// input in a scratch directory, lets a case prepare the output, runs itself
// and hands the outcome to the case to check.
#pragma once

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "test_support.h"

namespace kelvane::test {

// A user id no file here belongs to, for files of "another user".
inline constexpr uid_t kOtherUser = 12345;

// Gives a file (not following a link) to kOtherUser; false when not allowed.
inline bool GiveToOtherUser(const fs::path& path) {
  return ::lchown(path.c_str(), kOtherUser, kOtherUser) == 0;
}

// A small file system mounted at a directory and filled up, removed with the object.
class FullFileSystem {
 public:
  explicit FullFileSystem(const fs::path& at) : at_(at) {
    fs::create_directories(at);
    mounted_ = ::mount("tmpfs", at.c_str(), "tmpfs", 0, "size=256k") == 0;
  }
  ~FullFileSystem() {
    if (mounted_) ::umount2(at_.c_str(), MNT_DETACH);
  }
  bool mounted() const { return mounted_; }
  // Takes every free byte.
  void Fill() const {
    std::FILE* filler = std::fopen((at_ / "filler").c_str(), "wb");
    const std::string block(4096, 'x');
    while (std::fwrite(block.data(), 1, block.size(), filler) == block.size() &&
           std::fflush(filler) == 0) {
    }
    std::fclose(filler);
  }

 private:
  fs::path at_;
  bool mounted_ = false;
};

struct WriterCase {
  std::string name;
  // Makes the case's files in `dir` around the writer's `input` and returns
  // the output to ask for, relative to `dir`; "" when the case cannot be made here (it needs root).
  std::function<std::string(const fs::path& dir, const std::string& input)> prepare;
  // "" when the output is written; else what the refusal must say.
  std::string refusal;
  // Further checks once the writer has run; always to be called, last (it
  // also unmounts what prepare() mounted).
  std::function<void(const fs::path& dir)> check = [](const fs::path&) {};
  bool readsStandardInput = false;  // the input comes on standard input (writers that read it)
};

inline std::vector<WriterCase> WriterCases() {
  const auto victimUntouched = [](const fs::path& dir) {
    EXPECT_EQ(ReadBytes(dir / "victim"), "victim");
    EXPECT_FALSE(fs::exists(dir / "real" / "out"));
  };
  // A world-writable sticky directory holding a link of another user to `target`.
  const auto sharedLink = [](const fs::path& dir, const std::string& name,
                             const fs::path& target) {
    fs::create_directories(dir / "shared");
    fs::permissions(dir / "shared", fs::perms(01777));
    WriteBytes(dir / "victim", "victim");
    fs::create_directories(dir / "real");
    fs::create_symlink(target, dir / "shared" / name);
    return GiveToOtherUser(dir / "shared" / name);
  };
  std::vector<WriterCase> cases;
  cases.push_back({"SetIdFileOfAnotherUser",
                   [](const fs::path& dir, const std::string&) -> std::string {
                     WriteBytes(dir / "out", "old");
                     if (!GiveToOtherUser(dir / "out")) return "";
                     fs::permissions(dir / "out", fs::perms(06755));
                     return "out";
                   },
                   "",
                   [](const fs::path& dir) {
                     struct stat status {};
                     ASSERT_EQ(::stat((dir / "out").c_str(), &status), 0);
                     EXPECT_EQ(status.st_mode & 07777, 0755u);
                     EXPECT_EQ(status.st_uid, kOtherUser);
                     EXPECT_NE(ReadBytes(dir / "out"), "old");
                   }});
  cases.push_back({"ReadOnlyFileEvenForRoot",
                   [](const fs::path& dir, const std::string&) -> std::string {
                     WriteBytes(dir / "out", "old");
                     fs::permissions(dir / "out", fs::perms(0444));
                     return "out";
                   },
                   "(Permission denied)",
                   [](const fs::path& dir) { EXPECT_EQ(ReadBytes(dir / "out"), "old"); }});
  cases.push_back({"AnotherUsersLinkInASharedDirectory",
                   [sharedLink](const fs::path& dir, const std::string&) -> std::string {
                     return sharedLink(dir, "link", "../victim") ? "shared/link" : "";
                   },
                   "(symbolic link in a shared directory)", victimUntouched});
  cases.push_back({"OwnLinkToAnotherUsersLink",
                   [sharedLink](const fs::path& dir, const std::string&) -> std::string {
                     if (!sharedLink(dir, "link", "../victim")) return "";
                     fs::create_symlink("shared/link", dir / "mine");
                     return "mine";
                   },
                   "(symbolic link in a shared directory)", victimUntouched});
  cases.push_back({"AnotherUsersLinkAsADirectory",
                   [sharedLink](const fs::path& dir, const std::string&) -> std::string {
                     return sharedLink(dir, "dirlink", "../real") ? "shared/dirlink/out" : "";
                   },
                   "(symbolic link in a shared directory)", victimUntouched});
  cases.push_back({"OutputIsTheInputByName",
                   [](const fs::path&, const std::string& input) { return input; },
                   "Output would overwrite the input!"});
  cases.push_back({"OutputIsTheInputByHardLink",
                   [](const fs::path& dir, const std::string& input) -> std::string {
                     fs::create_hard_link(dir / input, dir / "hard");
                     return "hard";
                   },
                   "Output would overwrite the input!"});
  cases.push_back({"OutputIsTheStandardInput",
                   [](const fs::path&, const std::string& input) { return input; },
                   "Output would overwrite the input!", [](const fs::path&) {}, true});
  // Mounted by prepare(), unmounted by check(), which every writer test calls.
  auto full = std::make_shared<std::unique_ptr<FullFileSystem>>();
  cases.push_back({"FullFileSystemKeepsTheOldFile",
                   [full](const fs::path& dir, const std::string&) -> std::string {
                     *full = std::make_unique<FullFileSystem>(dir / "full");
                     if (!(*full)->mounted()) return "";
                     WriteBytes(dir / "full" / "out", "old");
                     (*full)->Fill();
                     return "full/out";
                   },
                   "(No space left on device)", [full](const fs::path& dir) {
                     EXPECT_EQ(ReadBytes(dir / "full" / "out"), "old");
                     EXPECT_EQ(std::distance(fs::directory_iterator(dir / "full"),
                                             fs::directory_iterator()),
                               2)
                         << "a temporary file was left";
                     full->reset();
                   }});
  return cases;
}

}  // namespace kelvane::test
