#include "bdf/byte_input.h"

#include <algorithm>

namespace kelvane::bdf {
namespace {
constexpr std::size_t kBufferSize = 1 << 18;
constexpr std::size_t kFirstBytes = 512;
}  // namespace

ByteInput::ByteInput(std::string bytes)
    : buffer_(bytes.begin(), bytes.end()),
      end_(buffer_.size()),
      firstBytes_(bytes.substr(0, kFirstBytes)) {}

ByteInput::ByteInput(ByteSource& source) : source_(&source), buffer_(kBufferSize) {}

std::optional<std::uint64_t> ByteInput::BytesLeft() const {
  if (source_ == nullptr || sourceEnded_) return end_ - pos_;
  const auto coming = source_->BytesLeft();
  if (!coming) return std::nullopt;
  return end_ - pos_ + *coming;
}

bool ByteInput::Refill() {
  if (source_ == nullptr || sourceEnded_ || readFailure_) return false;
  auto got = source_->Read(buffer_);
  pos_ = end_ = 0;
  if (!got) {
    readFailure_ = std::move(got).error();
    dataRefused_ = source_->DataRefused();
    return false;
  }
  end_ = *got;
  if (firstBytes_.size() < kFirstBytes) {
    firstBytes_.append(buffer_.data(), std::min(end_, kFirstBytes - firstBytes_.size()));
  }
  sourceEnded_ = end_ == 0;
  return end_ > 0;
}

}  // namespace kelvane::bdf
