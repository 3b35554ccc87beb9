#include "sheet_widget.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>

#include "render/gray_image.h"

namespace kelvane {
namespace {

const QColor kGrid(160, 160, 160);
const QColor kEmptyCell(224, 224, 224);
const QColor kLabel(64, 64, 64);

QString RowLabel(const SheetEntry& first) {
  return first.code ? QString::fromStdString(CodeText(*first.code)) : QStringLiteral("----");
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
  UpdateSize();
}

void SheetWidget::SetFont(std::shared_ptr<const OpenedFont> font) {
  font_ = std::move(font);
  layout_ = font_ ? SheetLayout(font_->entries) : SheetLayout();
  UpdateSize();
  update();
  emit hovered(QString());
}

void SheetWidget::SetZoom(int zoom) {
  zoom_ = std::clamp(zoom, 1, 8);
  UpdateSize();
  update();
}

int SheetWidget::LabelWidth() const { return fontMetrics().horizontalAdvance("0x0000") + 8; }

int SheetWidget::CellWidth() const { return font_ ? font_->loaded->font.cell_width * zoom_ : 0; }

int SheetWidget::RowHeight() const {
  if (!font_) return 0;
  return std::max(font_->loaded->font.cell_height * zoom_, fontMetrics().height());
}

QSize SheetWidget::sizeHint() const {
  if (!font_) return {0, 0};
  const std::int64_t width =
      LabelWidth() + std::int64_t{SheetLayout::kColumns} * (CellWidth() + 1) + 1;
  const std::int64_t height = layout_.rows() * (RowHeight() + 1) + 1;
  return {static_cast<int>(std::min<std::int64_t>(width, QWIDGETSIZE_MAX)),
          static_cast<int>(std::min<std::int64_t>(height, QWIDGETSIZE_MAX))};
}

void SheetWidget::UpdateSize() {
  const QSize size = sizeHint();
  setFixedSize(size);
  updateGeometry();
}

std::optional<std::size_t> SheetWidget::EntryAt(QPoint point) const {
  if (!font_) return std::nullopt;
  const int x = point.x() - LabelWidth() - 1;
  if (x < 0 || point.y() < 0) return std::nullopt;
  const int column = x / (CellWidth() + 1);
  if (x % (CellWidth() + 1) == CellWidth()) return std::nullopt;  // on a grid line
  const std::int64_t row = point.y() / (RowHeight() + 1);
  return layout_.EntryAt(row, column);
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
  const int labelWidth = LabelWidth(), cellWidth = CellWidth(), rowHeight = RowHeight();
  const int step = cellWidth + 1, rowStep = rowHeight + 1;
  const int gridRight = labelWidth + SheetLayout::kColumns * step;
  const std::int64_t firstRow = std::max(0, area.top() / rowStep);
  const std::int64_t lastRow = std::min<std::int64_t>(layout_.rows() - 1, area.bottom() / rowStep);
  painter.setPen(kLabel);
  for (std::int64_t row = firstRow; row <= lastRow; ++row) {
    const int top = static_cast<int>(row * rowStep);
    painter.fillRect(labelWidth, top, gridRight - labelWidth + 1, rowStep + 1, kGrid);
    for (int column = 0; column < SheetLayout::kColumns; ++column) {
      const QRect cell(labelWidth + 1 + column * step, top + 1, cellWidth, rowHeight);
      const auto entry = layout_.EntryAt(row, column);
      if (!entry) {
        painter.fillRect(cell, kEmptyCell);
        continue;
      }
      painter.fillRect(cell, Qt::white);
      const std::uint16_t index = font_->entries[*entry].index;
      painter.drawImage(QRect(cell.topLeft(), QSize(cellWidth, font.cell_height * zoom_)),
                        GlyphImage(font, index));
      ++lastPaintedCells_;
      if (column == 0) {
        painter.drawText(QRect(0, top + 1, labelWidth - 4, rowHeight),
                         Qt::AlignRight | Qt::AlignVCenter, RowLabel(font_->entries[*entry]));
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
