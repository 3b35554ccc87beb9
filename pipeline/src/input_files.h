// The inputs of conversions, opened through the platform layer and read as
// byte sources that a stop request ends.
#pragma once

#include <stop_token>
#include <string>
#include <vector>

#include "bdf/byte_input.h"
#include "pipeline/conversion.h"
#include "platform/input_file.h"

namespace kelvane {

platform::InputKinds KindsFor(InputPolicy policy);

// Opens `path` ("-": standard input) as `policy` allows. Refused, worded for
// the user: what cannot be opened, and an input that is the file `output`
// names ("-" and "" name none).
Result<platform::InputFile> OpenInput(const std::string& path, InputPolicy policy,
                                      const std::string& output);

// An open input as a byte source: first `prefix` (bytes already read from
// it), then the rest of the file.
class InputSource : public bdf::ByteSource {
 public:
  InputSource(platform::InputFile& file, std::string prefix)
      : file_(file), prefix_(std::move(prefix)) {}
  Result<std::size_t> Read(std::span<char> buffer) override;
  std::optional<std::uint64_t> BytesLeft() const override;

 private:
  platform::InputFile& file_;
  std::string prefix_;
  std::size_t at_ = 0;
};

// Another source whose reads fail once a stop is requested. Put around the
// decompressed text, it is asked at every buffer of text, however much the
// compressed input inflates.
class StoppableSource : public bdf::ByteSource {
 public:
  StoppableSource(bdf::ByteSource& source, std::stop_token stop)
      : source_(source), stop_(std::move(stop)) {}
  Result<std::size_t> Read(std::span<char> buffer) override;
  bool DataRefused() const override { return source_.DataRefused(); }
  std::optional<std::uint64_t> BytesLeft() const override { return source_.BytesLeft(); }

 private:
  bdf::ByteSource& source_;
  std::stop_token stop_;
};

// The identities of the inputs that are regular files, for the output to avoid.
std::vector<platform::FileIdentity> IdentitiesOf(const std::vector<std::string>& paths);

}  // namespace kelvane
