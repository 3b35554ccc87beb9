// The font the preview window shows: a KVN file, or a font of another kind
// converted in memory with the conversion options, and the files read and written around
// it. Every file goes through the pipeline on a thread of its own, so a slow
// or endless file never holds the window; a newer load stops an older one.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>
#include <stop_token>
#include <string>
#include <vector>

#include "background_tasks.h"
#include "pipeline/conversion.h"
#include "pipeline/names.h"
#include "render/font_file.h"
#include "render/glyph_sheet.h"
#include "render/gray_image.h"

namespace kelvane {

// A diagnostic as the commands print it after their own name: "file: text",
// with the control of this window that would map a font's characters.
QString RefusalText(const Diagnostic& diagnostic);

// Whether the name says a font that is converted: it ends, in any case, in
// .bdf, .pcf, .ttf, .otf, .otb, .ttc, .otc, .woff, .woff2, .fnt, .fon, .hex,
// .psf or .psfu, each with .gz too.
bool HasConvertedFontName(const QString& path);

// One opened font and the order of its glyphs on the sheet, worked out once.
struct OpenedFont {
  std::unique_ptr<const LoadedFont> loaded;
  std::vector<SheetEntry> entries;
  // How sample text is encoded for this font: in the output code set chosen
  // for a converted font, else in kDefaultTextCodeSet.
  std::string sampleCharset{kDefaultTextCodeSet};
  std::string sampleTable = ConversionOptions{}.table;
};

// What a load in the background gives back.
struct LoadResult;

class FontDocument : public QObject {
  Q_OBJECT

 public:
  explicit FontDocument(QObject* parent = nullptr);
  // Stops whatever runs and waits for it.
  ~FontDocument() override;

  // Starts reading `path` (as the file system spells it) with the current options.
  void Open(const QString& path);
  // Takes new conversion options; a converted font is read again with them
  // once they have stayed unchanged for a moment.
  void SetOptions(const ConversionOptions& options);
  // Reads the font again now (with a pending options change applied).
  void Reload();
  // Converts the open font into `output` with the current options,
  // replacing the file as bdf2kvn does; ends with saved() or refused().
  void SaveKvn(const QString& output);
  // Draws a picture of the font shown and writes it to `output` as PNG,
  // replacing the file as bdf2kvn replaces its output; ends with saved() or
  // refused().
  void SavePng(const QString& output,
               std::function<Result<GrayImage>(const OpenedFont& font)> draw);
  // Reads a subset's characters from a UTF-8 text file; ends with
  // subsetRead() or refused(). A newer request stops an older one.
  void ReadSubset(const QString& path);

  const QString& path() const { return path_; }
  const ConversionOptions& options() const { return options_; }
  // The font shown, or null (nothing open, still loading, or refused).
  const std::shared_ptr<const OpenedFont>& font() const { return font_; }
  // Whether the open file is converted, so the conversion options apply.
  bool converts() const { return converts_; }
  bool busy() const { return loading_ || saving_; }
  // Nothing running, not even work whose outcome is no longer wanted, and no
  // options change waiting to be applied.
  bool settled() const { return tasks_.idle() && !debounce_.isActive(); }

 signals:
  // A new font (or none, after a refusal) replaces the one shown.
  void fontChanged();
  void busyChanged(bool busy);
  // Why a font, a file or a conversion was refused, in the commands' words.
  void refused(const QString& text);
  // What a save wrote.
  void saved(const QString& text);
  // The text of a subset file, checked as UTF-8.
  void subsetRead(const QString& text);

 private:
  void StartLoad();
  void FinishLoad(const LoadResult& result);
  void SetLoading(bool on);
  void SetSaving(bool on);

  QString path_;
  ConversionOptions options_;
  std::shared_ptr<const OpenedFont> font_;
  bool converts_ = false;
  bool loading_ = false;
  bool saving_ = false;
  QTimer debounce_;
  std::stop_source load_ = std::stop_source(std::nostopstate);
  std::stop_source subsetRead_ = std::stop_source(std::nostopstate);
  // Last, so that its threads have ended before anything else goes.
  BackgroundTasks tasks_;
};

}  // namespace kelvane
