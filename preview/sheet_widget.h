// Every glyph of a font in a grid, painted row by row as far as it shows, so
// that a font of 65,000 glyphs scrolls as easily as one of ten.
#pragma once

#include <QImage>
#include <QString>
#include <QWidget>
#include <memory>

#include "font_document.h"
#include "render/sheet_layout.h"

namespace kelvane {

// "code 0x82A0  index 5  advance 16" for one entry of the sheet.
QString GlyphInfoText(const OpenedFont& font, std::size_t entry);

// A glyph's cell at one pixel a font pixel: black ink on white.
QImage GlyphImage(const kvn_font& font, std::uint16_t index);

class SheetWidget : public QWidget {
  Q_OBJECT

 public:
  explicit SheetWidget(QWidget* parent = nullptr);

  // Shows `font` (null: nothing); the widget keeps it alive while it shows it.
  void SetFont(std::shared_ptr<const OpenedFont> font);
  void SetZoom(int zoom);

  QSize sizeHint() const override;
  // The entry under a point of the widget, if any.
  std::optional<std::size_t> EntryAt(QPoint point) const;
  // How many glyph cells the last paint drew.
  int lastPaintedCells() const { return lastPaintedCells_; }

 signals:
  // The glyph under the pointer, described; empty when there is none.
  void hovered(const QString& info);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  // Lays the sheet out again for the font, the zoom and the widget's font.
  void UpdateLayout();

  std::shared_ptr<const OpenedFont> font_;
  SheetLayout layout_;
  int zoom_ = 1;
  int lastPaintedCells_ = 0;
};

}  // namespace kelvane
