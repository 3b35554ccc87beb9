// The conversion as the window runs it: one font file in, converted without
// options, the KVN file beside it out, or one refusal shown to the user. The
// work runs on a thread of its own so that the window keeps answering; what
// it gives is told on the GUI thread.
#pragma once

#include <QObject>
#include <stop_token>
#include <string>
#include <thread>

#include "pipeline/conversion.h"

namespace kelvane {

// How a conversion reaches its caller, always on the GUI thread.
class ConversionHost {
 public:
  virtual ~ConversionHost() = default;
  // On at the start of the work, off at its end.
  virtual void SetBusy(bool on) = 0;
  // Shows a refusal and returns when the user has acknowledged it.
  virtual void ShowError(const std::string& text) = 0;
  // Told what a successful conversion wrote; nothing by default.
  virtual void ShowDone(const ConversionSummary&) {}
};

// A refusal in the words the window shows, naming what converts a font the
// window cannot: kelvane-preview or bdf2kvn with the option the font needs.
std::string RefusalText(const Diagnostic& diagnostic);

// Converts the regular file at inputPath (as the file system spells it) into
// the KVN file beside it, named by OutputPathFor, on the calling thread.
Result<ConversionSummary> ConvertFile(const std::string& inputPath, Converter& converter,
                                      std::stop_token stop = {});

// Runs ConvertFile on a thread of its own, one conversion at a time, with one
// converter for its lifetime; tells `host` on the thread it was made on.
class BackgroundConversion : public QObject {
 public:
  explicit BackgroundConversion(ConversionHost& host, QObject* parent = nullptr);
  // Stops the conversion, if one runs, and waits for it.
  ~BackgroundConversion() override;

  // Starts converting `inputPath`: the host is told busy now, and the outcome
  // and not busy when the work ends. An empty path, or a conversion already
  // running, does nothing.
  void Start(const std::string& inputPath);
  // Asks the running conversion to stop and waits until its thread has ended;
  // its outcome is not told. The host is not told either.
  void Stop();
  bool busy() const { return busy_; }

 private:
  void Finish(unsigned run, Result<ConversionSummary> result);

  ConversionHost& host_;
  Converter converter_;  // used by one conversion at a time, on its thread
  bool busy_ = false;
  unsigned run_ = 0;  // of the newest conversion, so that a stopped one's outcome is dropped
  std::jthread worker_;
};

}  // namespace kelvane
