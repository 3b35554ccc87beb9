#include "sample_view.h"

#include <QPixmap>

namespace kelvane {

SampleView::SampleView(QWidget* parent) : QLabel(parent) {
  setAlignment(Qt::AlignLeft | Qt::AlignTop);
  setBackgroundRole(QPalette::Base);
  setAutoFillBackground(true);
}

void SampleView::SetImage(const QImage& image) {
  image_ = image;
  if (image.isNull()) {
    clear();
  } else {
    setPixmap(QPixmap::fromImage(image));
  }
  adjustSize();
}

}  // namespace kelvane
