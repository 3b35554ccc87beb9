#include "ui_font.h"

#include <QApplication>
#include <QFontDatabase>

namespace kelvane {
namespace {

constexpr int kUiPointSize = 9;

}  // namespace

QStringList PreferredUiFamilies() {
  return {QStringLiteral("MS Gothic"),        QStringLiteral("ＭＳ ゴシック"),
          QStringLiteral("IPAGothic"),        QStringLiteral("IPAゴシック"),
          QStringLiteral("Noto Sans CJK JP"), QStringLiteral("Noto Sans Mono CJK JP"),
          QStringLiteral("VL Gothic"),        QStringLiteral("TakaoGothic")};
}

QString PickFontFamily(const QStringList& preferred, const QStringList& available) {
  for (const QString& wanted : preferred) {
    for (const QString& family : available) {
      if (family.compare(wanted, Qt::CaseInsensitive) == 0) return family;
    }
  }
  return {};
}

QFont JapaneseUiFont() {
  const QString family = PickFontFamily(PreferredUiFamilies(), QFontDatabase::families());
  QFont font = family.isEmpty() ? QApplication::font() : QFont(family);
  font.setPointSize(kUiPointSize);
  font.setWeight(QFont::Normal);
  font.setItalic(false);
  return font;
}

}  // namespace kelvane
