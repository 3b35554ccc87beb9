#include "font_document.h"

#include <QFile>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QtConcurrent/QtConcurrentRun>
#include <filesystem>
#include <fstream>
#include <utility>

namespace kelvane {
namespace {

constexpr int kDebounceMilliseconds = 300;

// A file that is neither a regular file nor a directory (a FIFO, a device)
// could keep a reader waiting for ever, so it is refused before it is opened.
std::optional<Diagnostic> SpecialFileProblem(const std::string& path) {
  std::error_code error;
  const auto status = std::filesystem::status(path, error);
  if (error || !std::filesystem::exists(status)) return std::nullopt;  // the loader says why
  if (std::filesystem::is_regular_file(status) || std::filesystem::is_directory(status)) {
    return std::nullopt;
  }
  return Diagnostic{path, 0, "cannot read (not a regular file)"};
}

std::string FirstBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string start(16, '\0');
  in.read(start.data(), static_cast<std::streamsize>(start.size()));
  start.resize(static_cast<std::size_t>(std::max<std::streamsize>(0, in.gcount())));
  return start;
}

}  // namespace

QString RefusalText(const Diagnostic& diagnostic) {
  const QString text = QString::fromStdString(diagnostic.text);
  if (diagnostic.file.empty()) return text;
  const QString name = QFileInfo(QFile::decodeName(diagnostic.file.c_str())).fileName();
  return name + QStringLiteral(": ") + text;
}

std::string SampleCharset(const ConversionOptions& options, bool converted) {
  return converted && options.charset ? *options.charset : std::string("shift_jis");
}

// What a load gives the GUI thread.
struct LoadResult {
  std::shared_ptr<const OpenedFont> font;
  bool isBdf = false;
  std::optional<Diagnostic> refusal;
};

namespace {

std::shared_ptr<LoadResult> LoadInBackground(const std::string& path,
                                             const ConversionOptions& options);

}  // namespace

FontDocument::FontDocument(QObject* parent) : QObject(parent) {
  debounce_.setSingleShot(true);
  debounce_.setInterval(kDebounceMilliseconds);
  connect(&debounce_, &QTimer::timeout, this, &FontDocument::StartLoad);
}

void FontDocument::Open(const QString& path) {
  path_ = path;
  isBdf_ = false;
  debounce_.stop();
  StartLoad();
}

void FontDocument::SetOptions(const ConversionOptions& options) {
  options_ = options;
  if (!path_.isEmpty() && isBdf_) debounce_.start();
}

void FontDocument::Reload() {
  if (path_.isEmpty()) return;
  debounce_.stop();
  StartLoad();
}

void FontDocument::StartLoad() {
  const unsigned generation = ++generation_;
  SetLoading(true);
  auto* watcher = new QFutureWatcher<std::shared_ptr<LoadResult>>(this);
  connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, generation] {
    FinishLoad(generation, watcher->result());
    watcher->deleteLater();
  });
  // The work gets copies: it may outlive this request, or the document.
  watcher->setFuture(
      QtConcurrent::run([path = QFile::encodeName(path_).toStdString(), options = options_] {
        return LoadInBackground(path, options);
      }));
}

void FontDocument::FinishLoad(unsigned generation, std::shared_ptr<LoadResult> result) {
  if (generation != generation_) return;  // a newer request is on its way
  SetLoading(false);
  isBdf_ = result->isBdf;
  font_ = result->font;
  emit fontChanged();
  if (result->refusal) emit refused(RefusalText(*result->refusal));
}

void FontDocument::SaveKvn(const QString& output) {
  if (path_.isEmpty() || !isBdf_ || saving_) return;
  SetSaving(true);
  auto* watcher = new QFutureWatcher<Result<ConversionSummary>>(this);
  connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher] {
    SetSaving(false);
    const Result<ConversionSummary> result = watcher->result();
    watcher->deleteLater();
    if (!result) return emit refused(RefusalText(result.error()));
    QString text = QStringLiteral("Wrote %1: %2 glyphs, %3 ranges, %4x%5 cell, %6 bytes")
                       .arg(QFileInfo(QFile::decodeName(result->outputPath.c_str())).fileName())
                       .arg(result->glyphCount)
                       .arg(result->rangeCount)
                       .arg(result->cellWidth)
                       .arg(result->cellHeight)
                       .arg(result->fileSize);
    for (const std::string& warning : result->warnings) {
      text += QStringLiteral("\n") + QString::fromStdString(warning);
    }
    emit saved(text);
  });
  ConversionRequest request{{QFile::encodeName(path_).toStdString()},
                            QFile::encodeName(output).toStdString(),
                            InputPolicy::kRegularFilesOnly,
                            options_};
  watcher->setFuture(QtConcurrent::run([request = std::move(request)] {
    bdf::LineReaderState lineState;
    return Convert(request, lineState);
  }));
}

void FontDocument::SetLoading(bool on) {
  const bool was = busy();
  loading_ = on;
  if (busy() != was) emit busyChanged(busy());
}

void FontDocument::SetSaving(bool on) {
  const bool was = busy();
  saving_ = on;
  if (busy() != was) emit busyChanged(busy());
}

namespace {

std::shared_ptr<LoadResult> LoadInBackground(const std::string& path,
                                             const ConversionOptions& options) {
  auto result = std::make_shared<LoadResult>();
  result->isBdf = IsBdfInput(path, FirstBytes(path), false);
  if (auto problem = SpecialFileProblem(path)) {
    result->refusal = std::move(problem);
    return result;
  }
  if (const Status checked = CheckOptions(options); !checked) {
    result->refusal = checked.error();
    return result;
  }
  bdf::LineReaderState lineState;
  auto loaded = LoadFont(path, options, lineState);
  if (!loaded) {
    result->refusal = std::move(loaded).error();
    return result;
  }
  result->isBdf = (*loaded)->converted;
  auto font = std::make_shared<OpenedFont>();
  font->entries = SheetOrder((*loaded)->font);
  font->sampleCharset = SampleCharset(options, (*loaded)->converted);
  font->sampleTable = (*loaded)->converted ? options.table : std::string("cp932");
  font->loaded = std::move(*loaded);
  result->font = std::move(font);
  return result;
}

}  // namespace

}  // namespace kelvane
