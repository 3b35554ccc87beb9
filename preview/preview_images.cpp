#include "preview_images.h"

#include <QPainter>
#include <algorithm>
#include <set>

#include "pipeline/names.h"
#include "render/glyph_sheet.h"
#include "render/text_render.h"

namespace kelvane {
namespace {

const QColor kMissingMark(220, 0, 0);

// The glyphs of the text and the line they make, `extraHeight` pixels taller
// for marks below it, or why the line cannot be drawn.
Result<std::vector<GlyphPick>> PicksFor(const OpenedFont& font, const std::string& text, int zoom,
                                        int extraHeight) {
  const kvn_font& kvn = font.loaded->font;
  auto picks = PickGlyphsForText(kvn, text, font.sampleCharset, font.sampleTable);
  if (!picks) return picks;
  const std::int64_t width = LineWidth(kvn, *picks) * zoom;
  const std::int64_t height = std::int64_t{kvn.cell_height} * zoom + extraHeight;
  if (const auto problem = ImageSizeProblem(width, height)) return Diagnostic{.text = *problem};
  return picks;
}

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

SampleLine RenderSample(const OpenedFont& font, const std::string& text, int zoom) {
  SampleLine sample;
  const auto picks = PicksFor(font, text, zoom, MarkHeight(zoom));
  if (!picks) {
    sample.problem = QString::fromStdString(picks.error().text);
    return sample;
  }
  const kvn_font& kvn = font.loaded->font;
  const QImage line = ToQImage(RenderLine(kvn, *picks, zoom));
  sample.image = QImage(line.width(), line.height() + MarkHeight(zoom), QImage::Format_RGB32);
  sample.image.fill(Qt::white);
  QPainter painter(&sample.image);
  painter.drawImage(0, 0, line);
  std::set<char32_t> told;
  int x = 0;
  for (const GlyphPick& pick : *picks) {
    const int advance = kvn_glyph_at(&kvn, pick.index).advance * zoom;
    if (!pick.found) {
      painter.fillRect(x, line.height(), std::max(advance, zoom), MarkHeight(zoom), kMissingMark);
      if (pick.character && told.insert(*pick.character).second) {
        sample.missing << QString::fromStdString(DescribeCharacter(*pick.character));
      }
    }
    x += advance;
  }
  return sample;
}

Result<GrayImage> SampleLinePicture(const OpenedFont& font, const std::string& text, int zoom) {
  const auto picks = PicksFor(font, text, zoom, 0);
  if (!picks) return picks.error();
  return RenderLine(font.loaded->font, *picks, zoom);
}

Result<GrayImage> SheetPicture(const OpenedFont& font, int zoom) {
  const kvn_font& kvn = font.loaded->font;
  const SheetSize size = SheetSizeFor(kvn, font.entries, zoom);
  if (const auto problem = ImageSizeProblem(size.width, size.height)) {
    return Diagnostic{font.loaded->path, 0, *problem};
  }
  return DrawSheet(kvn, font.entries, zoom);
}

}  // namespace kelvane
