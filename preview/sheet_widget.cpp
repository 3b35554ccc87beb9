#include "sheet_widget.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>

#include "render/gray_image.h"

namespace kelvane {
namespace {

QColor Gray(std::uint8_t shade) { return {shade, shade, shade}; }

QRect RectOf(const SheetBox& box) {
  return {static_cast<int>(box.x), static_cast<int>(box.y), box.width, box.height};
}

}  // namespace

QString GlyphInfoText(const OpenedFont& font, std::size_t entry) {
  const SheetEntry& e = font.entries.at(entry);
  const kvn_glyph glyph = kvn_glyph_at(&font.loaded->font, e.index);
  const QString code =
      e.code ? QString::fromStdString(CodeText(*e.code)) : QStringLiteral("(none)");
  return QStringLiteral("code %1  index %2  advance %3").arg(code).arg(e.index).arg(glyph.advance);
}

QImage GlyphImage(const kvn_font& font, std::uint16_t index) {
  QImage image(font.cell_width, font.cell_height, QImage::Format_Grayscale8);
  const kvn_glyph glyph = kvn_glyph_at(&font, index);
  for (int y = 0; y < font.cell_height; ++y) {
    uchar* line = image.scanLine(y);
    for (int x = 0; x < font.cell_width; ++x) line[x] = InkAt(font, glyph, x, y) ? kInk : kPaper;
  }
  return image;
}

SheetWidget::SheetWidget(QWidget* parent) : QWidget(parent) {
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
  UpdateLayout();
}

void SheetWidget::SetFont(std::shared_ptr<const OpenedFont> font) {
  font_ = std::move(font);
  UpdateLayout();
  emit hovered(QString());
}

void SheetWidget::SetZoom(int zoom) {
  zoom_ = std::clamp(zoom, 1, 8);
  UpdateLayout();
}

void SheetWidget::UpdateLayout() {
  const SheetLayout::LabelSize labels{fontMetrics().horizontalAdvance(QStringLiteral("0x0000")),
                                      fontMetrics().height()};
  layout_ = font_ ? SheetLayout(font_->loaded->font, font_->entries, zoom_, labels) : SheetLayout();
  setFixedSize(sizeHint());
  updateGeometry();
  update();
}

void SheetWidget::changeEvent(QEvent* event) {
  if (event->type() == QEvent::FontChange) UpdateLayout();
  QWidget::changeEvent(event);
}

QSize SheetWidget::sizeHint() const {
  if (!font_) return {0, 0};
  return {static_cast<int>(std::min<std::int64_t>(layout_.width(), QWIDGETSIZE_MAX)),
          static_cast<int>(std::min<std::int64_t>(layout_.height(), QWIDGETSIZE_MAX))};
}

std::optional<std::size_t> SheetWidget::EntryAt(QPoint point) const {
  if (!font_) return std::nullopt;
  return layout_.EntryAtPixel(point.x(), point.y());
}

void SheetWidget::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  const QRect area = event->rect();
  painter.fillRect(area, palette().base());
  lastPaintedCells_ = 0;
  if (!font_) return;
  // Glyphs are scaled pixel by pixel, never smoothed.
  painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
  const kvn_font& font = font_->loaded->font;
  const std::int64_t firstRow = std::max<std::int64_t>(0, layout_.RowAt(area.top()));
  const std::int64_t lastRow = std::min(layout_.rows() - 1, layout_.RowAt(area.bottom()));
  painter.setPen(Gray(kSheetLabelShade));
  for (std::int64_t row = firstRow; row <= lastRow; ++row) {
    painter.fillRect(RectOf(layout_.RowBand(row)), Gray(kSheetGridShade));
    for (int column = 0; column < SheetLayout::kColumns; ++column) {
      const QRect cell = RectOf(layout_.Cell(row, column));
      const auto entry = layout_.EntryAt(row, column);
      if (!entry) {
        painter.fillRect(cell, Gray(kSheetEmptyCellShade));
        continue;
      }
      painter.fillRect(cell, Gray(kPaper));
      const SheetEntry& shown = font_->entries[*entry];
      painter.drawImage(QRect(cell.topLeft(), QSize(cell.width(), font.cell_height * zoom_)),
                        GlyphImage(font, shown.index));
      ++lastPaintedCells_;
      if (column == 0) {
        painter.drawText(RectOf(layout_.Label(row)), Qt::AlignRight | Qt::AlignVCenter,
                         QString::fromStdString(RowLabel(shown)));
      }
    }
  }
}

void SheetWidget::mouseMoveEvent(QMouseEvent* event) {
  const auto entry = EntryAt(event->position().toPoint());
  emit hovered(entry ? GlyphInfoText(*font_, *entry) : QString());
}

void SheetWidget::leaveEvent(QEvent*) { emit hovered(QString()); }

}  // namespace kelvane
