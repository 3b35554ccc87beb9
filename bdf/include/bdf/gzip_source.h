// A byte source that undoes gzip compression when the bytes it wraps are
// gzip-compressed, and passes them on unchanged when they are not.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "bdf/byte_input.h"
#include "font/result.h"

namespace kelvane::bdf {

// Tells gzip data by its first two bytes (1F 8B), whatever the file is called,
// and inflates it as it is read, member after member, holding no more than a
// fixed-size buffer of the compressed bytes. Zero bytes from the end of a
// member to the end of the data (padding) are ignored. Data that ends inside a
// member, or that does not decompress, is a failure; so is inflating to more
// than `maxOutput` bytes, a refusal of the data. Every read after a failure
// fails the same way.
class GzipOrPlainSource : public ByteSource {
 public:
  static constexpr std::uint64_t kDefaultMaxOutput = std::uint64_t{1} << 30;

  // Reads from `raw`, which must outlive this source.
  explicit GzipOrPlainSource(ByteSource& raw, std::uint64_t maxOutput = kDefaultMaxOutput);
  ~GzipOrPlainSource() override;
  GzipOrPlainSource(const GzipOrPlainSource&) = delete;
  GzipOrPlainSource& operator=(const GzipOrPlainSource&) = delete;

  Result<std::size_t> Read(std::span<char> buffer) override;
  bool DataRefused() const override { return dataRefused_; }
  // Known for plain bytes only, once the first bytes showed they are plain.
  std::optional<std::uint64_t> BytesLeft() const override;

  // True once the bytes read were found to be gzip data.
  bool compressed() const { return inflater_ != nullptr; }

 private:
  struct Inflater;

  Status Detect();
  Result<std::size_t> ReadPlain(std::span<char> buffer);
  Result<std::size_t> ReadCompressed(std::span<char> buffer);
  Status FillInput();
  Status SkipPadding();
  Diagnostic Fail(Diagnostic reason);

  ByteSource& raw_;
  std::vector<char> input_;
  std::size_t inputPos_ = 0;  // input_[inputPos_, inputEnd_) is not passed on yet (plain bytes)
  std::size_t inputEnd_ = 0;
  bool detected_ = false;
  bool rawEnded_ = false;
  std::uint64_t maxOutput_;
  std::uint64_t output_ = 0;            // bytes inflated so far
  std::unique_ptr<Inflater> inflater_;  // on the heap: zlib keeps pointers to its stream
  std::optional<Diagnostic> failure_;
  bool dataRefused_ = false;
};

}  // namespace kelvane::bdf
