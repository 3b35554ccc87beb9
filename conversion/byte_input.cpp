#include "conversion/byte_input.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "conversion/utf8_path.h"

namespace kelvane {
namespace {
constexpr std::size_t kBufferSize = 1 << 18;
}

ByteInput::ByteInput(std::string bytes)
    : buffer_(bytes.begin(), bytes.end()), end_(buffer_.size()) {}

std::optional<ByteInput> ByteInput::OpenFile(const std::string& utf8Path, std::string* reason) {
  const std::filesystem::path path = PathFromUtf8(utf8Path);
  std::error_code ec;
  const auto status = std::filesystem::status(path, ec);
  if (std::filesystem::is_directory(status)) {
    *reason = std::make_error_code(std::errc::is_a_directory).message();
    return std::nullopt;
  }
  // A device such as /dev/zero may never end.
  if (std::filesystem::is_character_file(status) || std::filesystem::is_block_file(status)) {
    *reason = "not a regular file";
    return std::nullopt;
  }
  ByteInput input;
  errno = 0;
  input.file_.open(path, std::ios::binary);
  if (!input.file_.is_open()) {
    *reason = errno != 0 ? std::strerror(errno) : "cannot be opened";
    return std::nullopt;
  }
  input.buffer_.resize(kBufferSize);
  return input;
}

bool ByteInput::Refill() {
  if (!file_.is_open() || readFailed_) return false;
  file_.read(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
  const auto got = static_cast<std::size_t>(file_.gcount());
  pos_ = 0;
  end_ = got;
  if (file_.bad()) readFailed_ = true;
  return got > 0;
}

void ByteInput::Close() {
  if (file_.is_open()) file_.close();
  buffer_ = {};
  pos_ = end_ = 0;
}

}  // namespace kelvane
