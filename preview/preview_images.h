// The pictures the preview draws through the render code of `kvn`: a line of
// sample text, with marks under the characters the font lacks, and the sheet.
#pragma once

#include <QImage>
#include <QString>
#include <QStringList>
#include <string>

#include "font_document.h"
#include "render/gray_image.h"

namespace kelvane {

// The gray image as a QImage of the same pixels.
QImage ToQImage(const GrayImage& image);

struct SampleLine {
  QImage image;         // the line, then a strip with a red bar under each missing glyph
  QStringList missing;  // "U+3042 あ" for each character without a glyph, once each
  QString problem;      // why nothing could be drawn, or empty
};

// Height of the strip of marks below a line drawn at `zoom`.
int MarkHeight(int zoom);

// Draws UTF-8 `text` for the screen as `kvn render` does, encoded as the
// font's sample text is, each font pixel a zoom x zoom square.
SampleLine RenderSample(const OpenedFont& font, const std::string& text, int zoom);

// The line alone, as `kvn render --scale` draws it, or why it cannot be drawn.
Result<GrayImage> SampleLinePicture(const OpenedFont& font, const std::string& text, int zoom);

// The sheet as `kvn sheet --scale` draws it, or why it cannot be drawn.
Result<GrayImage> SheetPicture(const OpenedFont& font, int zoom);

}  // namespace kelvane
