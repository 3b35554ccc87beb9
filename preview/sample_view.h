// The picture of the sample line, pixel for pixel.
#pragma once

#include <QImage>
#include <QLabel>

namespace kelvane {

class SampleView : public QLabel {
  Q_OBJECT

 public:
  explicit SampleView(QWidget* parent = nullptr);

  void SetImage(const QImage& image);
  // What the view shows (null when nothing is drawn).
  const QImage& image() const { return image_; }

 private:
  QImage image_;
};

}  // namespace kelvane
