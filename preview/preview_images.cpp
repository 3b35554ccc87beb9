#include "preview_images.h"

#include <QPainter>
#include <algorithm>
#include <set>

#include "render/glyph_sheet.h"
#include "render/text_render.h"

namespace kelvane {
namespace {

const QColor kMissingMark(220, 0, 0);

}  // namespace

QImage ToQImage(const GrayImage& image) {
  QImage out(image.width, image.height, QImage::Format_Grayscale8);
  for (int y = 0; y < image.height; ++y) {
    std::copy_n(image.pixels.data() + static_cast<std::size_t>(y) * image.width, image.width,
                out.scanLine(y));
  }
  return out;
}

int MarkHeight(int zoom) { return std::max(2, zoom); }

SampleLine RenderSample(const kvn_font& font, const std::string& text, const std::string& charset,
                        const std::string& table, int zoom) {
  SampleLine sample;
  auto picks = PickGlyphsForText(font, text, charset, table);
  if (!picks) {
    sample.problem = QString::fromStdString(picks.error().text);
    return sample;
  }
  const std::int64_t width = LineWidth(font, *picks) * zoom;
  const std::int64_t height = std::int64_t{font.cell_height} * zoom;
  if (const auto problem = ImageSizeProblem(width, height + MarkHeight(zoom))) {
    sample.problem = QString::fromStdString(*problem);
    return sample;
  }
  sample.line = ToQImage(RenderLine(font, *picks, zoom));
  sample.image =
      QImage(sample.line.width(), sample.line.height() + MarkHeight(zoom), QImage::Format_RGB32);
  sample.image.fill(Qt::white);
  QPainter painter(&sample.image);
  painter.drawImage(0, 0, sample.line);
  std::set<char32_t> told;
  int x = 0;
  for (const GlyphPick& pick : *picks) {
    const int advance = kvn_glyph_at(&font, pick.index).advance * zoom;
    if (!pick.found) {
      painter.fillRect(x, sample.line.height(), std::max(advance, zoom), MarkHeight(zoom),
                       kMissingMark);
      if (pick.character && told.insert(*pick.character).second) {
        sample.missing << QString::fromStdString(CharacterText(*pick.character));
      }
    }
    x += advance;
  }
  return sample;
}

Result<QImage> SheetImage(const OpenedFont& font, int zoom) {
  const kvn_font& kvn = font.loaded->font;
  const SheetSize size = SheetSizeFor(kvn, font.entries, zoom);
  if (const auto problem = ImageSizeProblem(size.width, size.height)) {
    return Diagnostic{font.loaded->path, 0, *problem};
  }
  return ToQImage(DrawSheet(kvn, font.entries, zoom));
}

}  // namespace kelvane
