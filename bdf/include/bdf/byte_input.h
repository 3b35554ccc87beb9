// Sequential reading of BDF text through a large buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "font/result.h"

namespace kelvane::bdf {

// Where the bytes come from: a file, a pipe, a decompressor.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Fills the front of `buffer`; 0 at the end. A failure's text is the reason
  // the bytes could not be read, or the whole refusal when DataRefused().
  virtual Result<std::size_t> Read(std::span<char> buffer) = 0;
  // True once a read failed because of what the data holds rather than
  // because it could not be read; that failure's text is shown as it is.
  virtual bool DataRefused() const { return false; }
  // How many bytes are still to come, when the source knows (a regular file
  // read as it is); a hint for making room, not a promise.
  virtual std::optional<std::uint64_t> BytesLeft() const { return std::nullopt; }
};

class ByteInput {
 public:
  // Reads the given bytes from memory.
  explicit ByteInput(std::string bytes);
  // Reads from `source`, which must outlive this input.
  explicit ByteInput(ByteSource& source);

  // True once the last byte has been consumed, or a read failed.
  bool AtEnd() { return pos_ == end_ && !Refill(); }
  // The next byte; call only when !AtEnd().
  unsigned char Get() { return static_cast<unsigned char>(buffer_[pos_++]); }

  // The bytes buffered and not yet consumed; not empty when !AtEnd(). They stay
  // valid until the next call of AtEnd().
  std::string_view Buffered() const { return std::string_view(buffer_.data() + pos_, end_ - pos_); }
  void Consume(std::size_t count) { pos_ += count; }
  // The bytes buffered and still to come, when the source knows how many.
  std::optional<std::uint64_t> BytesLeft() const;

  // The first bytes of the input (up to 512), to tell what kind of file it is.
  std::string_view FirstBytes() const { return firstBytes_; }
  // Why a read failed, or nullopt when none did.
  const std::optional<Diagnostic>& ReadFailure() const { return readFailure_; }
  // True when that failure refuses the data (its text is the whole message)
  // rather than saying why the bytes could not be read.
  bool DataRefused() const { return dataRefused_; }

 private:
  bool Refill();

  ByteSource* source_ = nullptr;
  std::vector<char> buffer_;
  std::size_t pos_ = 0;
  std::size_t end_ = 0;  // buffer_[pos_, end_) is not consumed yet
  std::string firstBytes_;
  std::optional<Diagnostic> readFailure_;
  bool dataRefused_ = false;
  bool sourceEnded_ = false;
};

}  // namespace kelvane::bdf
