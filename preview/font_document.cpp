#include "font_document.h"

#include <QFile>
#include <QFileInfo>
#include <optional>
#include <utility>

#include "pipeline/files.h"
#include "render/png_image.h"

namespace kelvane {
namespace {

constexpr int kDebounceMilliseconds = 300;

std::string FileName(const QString& path) { return QFile::encodeName(path).toStdString(); }

QString ShownName(const std::string& path) {
  return QFileInfo(QFile::decodeName(path.c_str())).fileName();
}

}  // namespace

QString RefusalText(const Diagnostic& diagnostic) {
  std::string words;
  switch (diagnostic.remedy) {
    case Remedy::kMapCharset:
      words = " (choose a code set to map it)";
      break;
    case Remedy::kMapMergedCharsets:
      words = " (choose a code set to map them)";
      break;
    case Remedy::kGivePixelSize:
      words = ": choose a pixel size";
      break;
    case Remedy::kChoosePixelSize:
      words = "; choose one as the pixel size";
      break;
    case Remedy::kChooseFace:
      words = "; choose one as the face";
      break;
    case Remedy::kNone:
      break;
  }
  const QString text = QString::fromStdString(WithRemedyWords(diagnostic, words));
  if (diagnostic.file.empty()) return text;
  return ShownName(diagnostic.file) + QStringLiteral(": ") + text;
}

bool HasConvertedFontName(const QString& path) {
  QString name = path;
  if (name.endsWith(QLatin1String(".gz"), Qt::CaseInsensitive)) name.chop(3);
  for (const char* ending : {".bdf", ".pcf", ".ttf", ".otf", ".otb", ".ttc", ".otc", ".woff",
                             ".woff2", ".fnt", ".fon", ".hex", ".psf", ".psfu"}) {
    if (name.endsWith(QLatin1String(ending), Qt::CaseInsensitive)) return true;
  }
  return false;
}

// What a load gives the GUI thread: a font, or why there is none and whether
// the file was read as a font to convert all the same.
struct LoadResult {
  std::shared_ptr<const OpenedFont> font;
  std::optional<Diagnostic> refusal;
  bool converted = false;
};

namespace {

LoadResult Load(const std::string& path, const ConversionOptions& options, std::stop_token stop) {
  LoadResult result;
  // A converter of its own: this load reads one file, not the next of a series.
  Converter converter;
  auto bytes = converter.LoadFont(path, options, InputPolicy::kRegularFilesOnly, std::move(stop));
  if (!bytes) {
    // Refused at a line of the font, or for want of an option: read as a font to convert.
    result.converted = bytes.error().line > 0 || bytes.error().remedy != Remedy::kNone;
    result.refusal = std::move(bytes).error();
    return result;
  }
  auto font = std::make_shared<OpenedFont>();
  if (bytes->converted) {
    if (options.charset) font->sampleCharset = *options.charset;
    font->sampleTable = options.table;
  }
  auto loaded = OpenFont(path, std::move(*bytes));
  if (!loaded) {
    result.refusal = std::move(loaded).error();
    return result;
  }
  font->entries = SheetOrder((*loaded)->font);
  font->loaded = std::move(*loaded);
  result.converted = font->loaded->converted;
  result.font = std::move(font);
  return result;
}

}  // namespace

FontDocument::FontDocument(QObject* parent) : QObject(parent) {
  debounce_.setSingleShot(true);
  debounce_.setInterval(kDebounceMilliseconds);
  connect(&debounce_, &QTimer::timeout, this, &FontDocument::StartLoad);
}

FontDocument::~FontDocument() = default;

void FontDocument::Open(const QString& path) {
  path_ = path;
  converts_ = false;
  debounce_.stop();
  StartLoad();
}

void FontDocument::SetOptions(const ConversionOptions& options) {
  options_ = options;
  if (!path_.isEmpty() && converts_) debounce_.start();
}

void FontDocument::Reload() {
  if (path_.isEmpty()) return;
  debounce_.stop();
  StartLoad();
}

void FontDocument::StartLoad() {
  load_.request_stop();  // its outcome would be replaced anyway
  SetLoading(true);
  load_ = tasks_.Run([path = FileName(path_), options = options_](
                         std::stop_token stop) { return Load(path, options, std::move(stop)); },
                     [this](const LoadResult& result) { FinishLoad(result); });
}

void FontDocument::FinishLoad(const LoadResult& result) {
  SetLoading(false);
  // A refusal after an options change keeps the options open to mend it, and
  // so does the refusal of a font whose name says it is converted (an outline
  // font wants a pixel size).
  converts_ = result.font ? result.converted
                          : (converts_ || result.converted || HasConvertedFontName(path_));
  font_ = result.font;
  emit fontChanged();
  if (result.refusal) emit refused(RefusalText(*result.refusal));
}

void FontDocument::SaveKvn(const QString& output) {
  if (path_.isEmpty() || !converts_ || saving_) return;
  SetSaving(true);
  ConversionRequest request{
      {FileName(path_)}, FileName(output), InputPolicy::kRegularFilesOnly, options_};
  tasks_.Run([request = std::move(request)](
                 std::stop_token stop) { return Converter().Convert(request, std::move(stop)); },
             [this](const Result<ConversionSummary>& result) {
               SetSaving(false);
               if (!result) return emit refused(RefusalText(result.error()));
               QString text = QStringLiteral("Wrote %1: %2 glyphs, %3 ranges, %4x%5 cell, %6 bytes")
                                  .arg(ShownName(result->outputPath))
                                  .arg(result->glyphCount)
                                  .arg(result->rangeCount)
                                  .arg(result->cellWidth)
                                  .arg(result->cellHeight)
                                  .arg(result->fileSize);
               for (const Warning& warning : result->warnings) {
                 text += QStringLiteral("\n") + QString::fromStdString(warning.text);
               }
               emit saved(text);
             });
}

void FontDocument::SavePng(const QString& output,
                           std::function<Result<GrayImage>(const OpenedFont& font)> draw) {
  if (!font_ || saving_) return;
  SetSaving(true);
  struct Size {
    int width, height;
  };
  tasks_.Run(
      [font = font_, output = FileName(output),
       draw = std::move(draw)](std::stop_token stop) -> Result<Size> {
        auto image = draw(*font);
        if (!image) return std::move(image).error();
        auto png = EncodePng(*image);
        if (!png) return std::move(png).error();
        if (stop.stop_requested()) return Diagnostic{};
        // The font shown is never replaced by its own picture.
        if (Status written = WriteFile(output, *png, {font->loaded->path}); !written) {
          return std::move(written).error();
        }
        return Size{image->width, image->height};
      },
      [this, output](const Result<Size>& result) {
        SetSaving(false);
        if (!result) return emit refused(RefusalText(result.error()));
        emit saved(QStringLiteral("Wrote %1: %2x%3")
                       .arg(QFileInfo(output).fileName())
                       .arg(result->width)
                       .arg(result->height));
      });
}

void FontDocument::ReadSubset(const QString& path) {
  subsetRead_.request_stop();
  subsetRead_ = tasks_.Run(
      [path = FileName(path)](std::stop_token) -> Result<std::string> {
        auto text = ReadTextFile(path, InputPolicy::kRegularFilesOnly);
        if (!text) return std::move(text).error();
        // The text must be UTF-8 as it is; the editor would quietly mend it.
        ConversionOptions check;
        check.chars = {{path, *text}};
        if (const Status checked = CheckOptions(check); !checked) return checked.error();
        return text;
      },
      [this](const Result<std::string>& text) {
        if (!text) return emit refused(RefusalText(text.error()));
        emit subsetRead(QString::fromStdString(*text));
      });
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

}  // namespace kelvane
