// A byte source that undoes gzip compression when the bytes it wraps are
// gzip-compressed, and passes them on unchanged when they are not.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "bdf/byte_input.h"
#include "font/result.h"

namespace kelvane::bdf {

// Tells gzip data by its first two bytes (1F 8B), whatever the file is called,
// and inflates it as it is read, member after member, holding no more than a
// fixed-size buffer of the compressed bytes. Data that ends inside a member, or
// that does not decompress, is a failure, and every later read fails the same
// way.
class GzipOrPlainSource : public ByteSource {
 public:
  // Reads from `raw`, which must outlive this source.
  explicit GzipOrPlainSource(ByteSource& raw);
  ~GzipOrPlainSource() override;
  GzipOrPlainSource(const GzipOrPlainSource&) = delete;
  GzipOrPlainSource& operator=(const GzipOrPlainSource&) = delete;

  Result<std::size_t> Read(std::span<char> buffer) override;

 private:
  struct Inflater;

  Status Detect();
  Result<std::size_t> ReadPlain(std::span<char> buffer);
  Result<std::size_t> ReadCompressed(std::span<char> buffer);
  Status FillInput();
  Diagnostic Fail(Diagnostic reason);

  ByteSource& raw_;
  std::vector<char> input_;
  std::size_t inputPos_ = 0;  // input_[inputPos_, inputEnd_) is not passed on yet (plain bytes)
  std::size_t inputEnd_ = 0;
  bool detected_ = false;
  bool rawEnded_ = false;
  std::unique_ptr<Inflater> inflater_;  // on the heap: zlib keeps pointers to its stream
  std::optional<Diagnostic> failure_;
};

}  // namespace kelvane::bdf
