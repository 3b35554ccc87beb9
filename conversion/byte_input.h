// Sequential reading of the BDF input, one byte at a time, through a large buffer.
#pragma once

#include <cstddef>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvane {

class ByteInput {
 public:
  // Reads the given bytes from memory.
  explicit ByteInput(std::string bytes);
  ByteInput(ByteInput&&) = default;

  // Opens a file for reading; nullopt when it cannot be opened or is a
  // directory, with the system's reason in *reason.
  static std::optional<ByteInput> OpenFile(const std::string& utf8Path, std::string* reason);

  // True once the last byte has been consumed (or a read failed).
  bool AtEnd() { return pos_ == end_ && !Refill(); }
  // The next byte; call only when !AtEnd().
  unsigned char Get() { return static_cast<unsigned char>(buffer_[pos_++]); }

  // The bytes buffered and not yet consumed; not empty when !AtEnd(). They stay
  // valid until the next call of AtEnd().
  std::string_view Buffered() const { return std::string_view(buffer_.data() + pos_, end_ - pos_); }
  void Consume(std::size_t count) { pos_ += count; }

  bool ReadFailed() const { return readFailed_; }
  void Close();

 private:
  ByteInput() = default;
  bool Refill();

  std::ifstream file_;
  std::vector<char> buffer_;
  std::size_t pos_ = 0;
  std::size_t end_ = 0;  // buffer_[pos_, end_) is not consumed yet
  bool readFailed_ = false;
};

}  // namespace kelvane
