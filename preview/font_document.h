// The font the preview window shows: a KVN file, or a BDF font converted in
// memory with the conversion options, loaded off the GUI thread. Newer
// requests win; a result that arrives for an older one is dropped.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>
#include <vector>

#include "pipeline/conversion.h"
#include "render/font_file.h"
#include "render/glyph_sheet.h"

namespace kelvane {

// A diagnostic as the commands print it after their own name: "file: text".
QString RefusalText(const Diagnostic& diagnostic);

// The code set a line of sample text is encoded in: the output code set
// chosen for a BDF font, else Shift_JIS.
std::string SampleCharset(const ConversionOptions& options, bool converted);

// One opened font and the order of its glyphs on the sheet, worked out once.
struct OpenedFont {
  std::unique_ptr<const LoadedFont> loaded;
  std::vector<SheetEntry> entries;
  // How sample text is encoded for this font: see SampleCharset.
  std::string sampleCharset = "shift_jis";
  std::string sampleTable = "cp932";
};

// What a load in the background gives back.
struct LoadResult;

class FontDocument : public QObject {
  Q_OBJECT

 public:
  explicit FontDocument(QObject* parent = nullptr);

  // Starts reading `path` (as the file system spells it) with the current options.
  void Open(const QString& path);
  // Takes new conversion options; a BDF font is read again with them once
  // they have stayed unchanged for the debounce interval.
  void SetOptions(const ConversionOptions& options);
  // Reads the font again now (with a pending options change applied).
  void Reload();
  // Converts the open BDF font into `output` with the current options,
  // replacing the file as bdf2kvn does; ends with saved() or refused().
  void SaveKvn(const QString& output);

  void SetDebounceInterval(int milliseconds) { debounce_.setInterval(milliseconds); }

  const QString& path() const { return path_; }
  const ConversionOptions& options() const { return options_; }
  // The font shown, or null (nothing open, still loading, or refused).
  const std::shared_ptr<const OpenedFont>& font() const { return font_; }
  // Whether the open file is read as BDF, so the conversion options apply.
  bool isBdf() const { return isBdf_; }
  bool busy() const { return loading_ || saving_; }
  // Nothing running and no options change waiting to be applied.
  bool settled() const { return !busy() && !debounce_.isActive(); }

 signals:
  // A new font (or none, after a refusal) replaces the one shown.
  void fontChanged();
  void busyChanged(bool busy);
  // Why a font or a conversion was refused, in the commands' words.
  void refused(const QString& text);
  // What Save KVN wrote.
  void saved(const QString& text);

 private:
  void StartLoad();
  void FinishLoad(unsigned generation, std::shared_ptr<LoadResult> result);
  void SetLoading(bool on);
  void SetSaving(bool on);

  QString path_;
  ConversionOptions options_;
  std::shared_ptr<const OpenedFont> font_;
  bool isBdf_ = false;
  bool loading_ = false;
  bool saving_ = false;
  unsigned generation_ = 0;  // of the newest load request
  QTimer debounce_;
};

}  // namespace kelvane
