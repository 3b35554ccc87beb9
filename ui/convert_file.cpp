#include "convert_file.h"

#include <memory>
#include <utility>

namespace kelvane {

namespace {

// What converts a font the window refuses.
std::string RemedyWords(Remedy remedy) {
  switch (remedy) {
    case Remedy::kMapCharset:
      return " (kelvane-preview or bdf2kvn --charset maps it)";
    case Remedy::kMapMergedCharsets:
      return " (kelvane-preview or bdf2kvn --charset maps them)";
    case Remedy::kGivePixelSize:
      return ": kelvane-preview or bdf2kvn --size converts it";
    case Remedy::kChoosePixelSize:
      return "; kelvane-preview or bdf2kvn --size chooses one";
    case Remedy::kChooseFace:
      return "; kelvane-preview or bdf2kvn --face chooses one";
    case Remedy::kNone:
      break;
  }
  return "";
}

}  // namespace

std::string RefusalText(const Diagnostic& diagnostic) {
  return WithRemedyWords(diagnostic, RemedyWords(diagnostic.remedy));
}

Result<ConversionSummary> ConvertFile(const std::string& inputPath, Converter& converter,
                                      std::stop_token stop) {
  const ConversionRequest request{
      {inputPath}, OutputPathFor(inputPath), InputPolicy::kRegularFilesOnly};
  return converter.Convert(request, std::move(stop));
}

BackgroundConversion::BackgroundConversion(ConversionHost& host, QObject* parent)
    : QObject(parent), host_(host) {}

BackgroundConversion::~BackgroundConversion() { Stop(); }

void BackgroundConversion::Start(const std::string& inputPath) {
  if (inputPath.empty() || busy_) return;
  busy_ = true;
  host_.SetBusy(true);
  if (worker_.joinable()) worker_.join();  // ended already: its outcome has been told
  const unsigned run = ++run_;
  worker_ = std::jthread([this, run, inputPath](std::stop_token stop) {
    auto result = std::make_shared<Result<ConversionSummary>>(
        ConvertFile(inputPath, converter_, std::move(stop)));
    // Queued to this object: dropped unread if it is gone by then.
    QMetaObject::invokeMethod(
        this, [this, run, result] { Finish(run, std::move(*result)); }, Qt::QueuedConnection);
  });
}

void BackgroundConversion::Stop() {
  if (!worker_.joinable()) return;
  worker_.request_stop();
  worker_.join();
  busy_ = false;
  ++run_;
}

void BackgroundConversion::Finish(unsigned run, Result<ConversionSummary> result) {
  if (run != run_ || !busy_) return;
  if (result) {
    host_.ShowDone(*result);
  } else {
    host_.ShowError(RefusalText(result.error()));
  }
  busy_ = false;
  host_.SetBusy(false);
}

}  // namespace kelvane
