// Files the command writes: made whole under a temporary name beside the
// target and renamed over it, so a failed or interrupted write never leaves a
// half-written file under the name asked for.
#pragma once

#include <cstdio>
#include <string>

#include "font/result.h"

namespace kelvane {

class OutputFile {
 public:
  // Starts writing `path` ("-": standard output). Refused: the input itself,
  // an existing file that is not a regular file or cannot be written, and a
  // symbolic link that belongs to another user. Errors name `path` as their file.
  static Result<OutputFile> Begin(const std::string& path, const std::string& inputPath);

  OutputFile(OutputFile&& other) noexcept;
  OutputFile& operator=(OutputFile&&) = delete;
  ~OutputFile();  // removes the temporary file unless committed

  std::FILE* stream() const { return stream_; }
  // Flushes and closes the file and puts it in place.
  Status Commit();

 private:
  OutputFile(std::FILE* stream, std::string path, std::string target, std::string temporary)
      : stream_(stream),
        path_(std::move(path)),
        target_(std::move(target)),
        temporary_(std::move(temporary)) {}

  std::FILE* stream_ = nullptr;
  std::string path_;       // as the user gave it
  std::string target_;     // the file to replace (a link's target); empty for standard output
  std::string temporary_;  // written until Commit
};

}  // namespace kelvane
