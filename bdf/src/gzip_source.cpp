#include "bdf/gzip_source.h"

#include <zlib.h>

#include <algorithm>
#include <limits>
#include <string>
#include <utility>

#include "bdf_messages.h"

namespace kelvane::bdf {
namespace {
constexpr std::size_t kInputSize = 1 << 18;
constexpr int kGzipOnly = 15 + 16;  // the largest window, gzip wrapper required

Diagnostic Reason(std::string text) { return Diagnostic{.text = std::move(text)}; }
}  // namespace

struct GzipOrPlainSource::Inflater {
  z_stream stream{};
  int started = inflateInit2(&stream, kGzipOnly);
  bool betweenMembers = false;  // the last member ended; another may follow

  Inflater() = default;
  Inflater(const Inflater&) = delete;
  Inflater& operator=(const Inflater&) = delete;
  ~Inflater() {
    if (started == Z_OK) inflateEnd(&stream);
  }
};

GzipOrPlainSource::GzipOrPlainSource(ByteSource& raw, std::uint64_t maxOutput)
    : raw_(raw), input_(kInputSize), maxOutput_(maxOutput) {}

GzipOrPlainSource::~GzipOrPlainSource() = default;

Result<std::size_t> GzipOrPlainSource::Read(std::span<char> buffer) {
  if (failure_) return *failure_;
  if (!detected_) {
    if (auto detected = Detect(); !detected) return Fail(std::move(detected).error());
  }
  return inflater_ ? ReadCompressed(buffer) : ReadPlain(buffer);
}

// Reads until there are two bytes to look at, however little each read gives.
Status GzipOrPlainSource::Detect() {
  detected_ = true;
  while (inputEnd_ < 2 && !rawEnded_) {
    auto got = raw_.Read(std::span(input_).subspan(inputEnd_));
    if (!got) return std::move(got).error();
    rawEnded_ = *got == 0;
    inputEnd_ += *got;
  }
  if (inputEnd_ < 2 || input_[0] != '\x1F' || input_[1] != '\x8B') return Ok();
  auto inflater = std::make_unique<Inflater>();
  if (inflater->started == Z_MEM_ERROR) return Reason("out of memory for gzip decompression");
  if (inflater->started != Z_OK) return Reason("cannot start gzip decompression");
  inflater->stream.next_in = reinterpret_cast<Bytef*>(input_.data());
  inflater->stream.avail_in = static_cast<uInt>(inputEnd_);
  inflater_ = std::move(inflater);
  return Ok();
}

std::optional<std::uint64_t> GzipOrPlainSource::BytesLeft() const {
  if (!detected_ || inflater_ || failure_) return std::nullopt;
  const std::uint64_t held = inputEnd_ - inputPos_;
  if (rawEnded_) return held;
  const auto coming = raw_.BytesLeft();
  if (!coming) return std::nullopt;
  return held + *coming;
}

Result<std::size_t> GzipOrPlainSource::ReadPlain(std::span<char> buffer) {
  if (inputPos_ < inputEnd_) {
    const std::size_t count = std::min(buffer.size(), inputEnd_ - inputPos_);
    std::copy_n(input_.data() + inputPos_, count, buffer.data());
    inputPos_ += count;
    return count;
  }
  if (rawEnded_) return std::size_t{0};
  return raw_.Read(buffer);
}

// Inflates until some bytes come out, the last member has ended, or it fails.
Result<std::size_t> GzipOrPlainSource::ReadCompressed(std::span<char> buffer) {
  z_stream& stream = inflater_->stream;
  // One byte more than may still come out, so that going past the limit shows.
  constexpr std::uint64_t kMaxRoom = std::numeric_limits<uInt>::max();
  const std::uint64_t allowed = std::min(maxOutput_ - output_, kMaxRoom - 1) + 1;
  const auto room = static_cast<uInt>(std::min<std::uint64_t>(buffer.size(), allowed));
  stream.next_out = reinterpret_cast<Bytef*>(buffer.data());
  stream.avail_out = room;
  while (room > 0 && stream.avail_out == room) {
    if (stream.avail_in == 0 && !rawEnded_) {
      if (auto filled = FillInput(); !filled) return Fail(std::move(filled).error());
    }
    if (inflater_->betweenMembers) {
      if (stream.avail_in > 0 && *stream.next_in == 0) {
        if (auto skipped = SkipPadding(); !skipped) return Fail(std::move(skipped).error());
      }
      if (stream.avail_in == 0) break;  // nothing but padding follows the last member
      inflateReset(&stream);
      inflater_->betweenMembers = false;
    }
    if (stream.avail_in == 0) return Fail(Reason("truncated gzip data"));
    const int status = inflate(&stream, Z_NO_FLUSH);
    if (status == Z_STREAM_END) {
      inflater_->betweenMembers = true;
    } else if (status == Z_MEM_ERROR) {
      return Fail(Reason("out of memory for gzip decompression"));
    } else if (status != Z_OK && !(status == Z_BUF_ERROR && stream.avail_in == 0)) {
      const char* message = stream.msg != nullptr ? stream.msg : zError(status);
      return Fail(Reason("corrupt gzip data (" + std::string(message) + ")"));
    }
  }
  const std::size_t produced = room - stream.avail_out;
  output_ += produced;
  if (output_ > maxOutput_) {
    dataRefused_ = true;
    return Fail(Reason(InflatesTooMuch(maxOutput_)));
  }
  return produced;
}

// Consumes the zero bytes after the last member through to the end of the
// data; anything else after them is a failure.
Status GzipOrPlainSource::SkipPadding() {
  z_stream& stream = inflater_->stream;
  for (;;) {
    const Bytef* const begin = stream.next_in;
    const Bytef* const end = begin + stream.avail_in;
    if (std::find_if(begin, end, [](Bytef b) { return b != 0; }) != end) {
      return Reason("corrupt gzip data (more data after zero padding)");
    }
    stream.avail_in = 0;
    if (rawEnded_) return Ok();
    if (auto filled = FillInput(); !filled) return filled;
  }
}

Status GzipOrPlainSource::FillInput() {
  auto got = raw_.Read(input_);
  if (!got) return std::move(got).error();
  rawEnded_ = *got == 0;
  inflater_->stream.next_in = reinterpret_cast<Bytef*>(input_.data());
  inflater_->stream.avail_in = static_cast<uInt>(*got);
  return Ok();
}

Diagnostic GzipOrPlainSource::Fail(Diagnostic reason) {
  failure_ = reason;
  return reason;
}

}  // namespace kelvane::bdf
