#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QTest>

#include "ui/ui_font.h"

using kelvane::PickFontFamily;

class UiFontTest : public QObject {
  Q_OBJECT

 private slots:
  void PicksFirstAvailable_data() {
    QTest::addColumn<QStringList>("preferred");
    QTest::addColumn<QStringList>("available");
    QTest::addColumn<QString>("picked");
    const QStringList preferred{"MS Gothic", "IPAGothic", "Noto Sans CJK JP"};
    QTest::newRow("first choice") << preferred << QStringList{"DejaVu Sans", "MS Gothic"}
                                  << "MS Gothic";
    QTest::newRow("order of preference wins over order installed")
        << preferred << QStringList{"Noto Sans CJK JP", "IPAGothic"} << "IPAGothic";
    QTest::newRow("last fallback")
        << preferred << QStringList{"Noto Sans CJK JP"} << "Noto Sans CJK JP";
    QTest::newRow("case differs, installed spelling kept")
        << preferred << QStringList{"ipagothic"} << "ipagothic";
    QTest::newRow("none installed") << preferred << QStringList{"DejaVu Sans"} << QString();
    QTest::newRow("nothing installed") << preferred << QStringList{} << QString();
    QTest::newRow("prefix is not a match")
        << preferred << QStringList{"IPAGothic Bold"} << QString();
  }

  void PicksFirstAvailable() {
    QFETCH(QStringList, preferred);
    QFETCH(QStringList, available);
    QFETCH(QString, picked);
    QCOMPARE(PickFontFamily(preferred, available), picked);
  }

  void UiFontIsNinePointNormal() {
    const QFont font = kelvane::JapaneseUiFont();
    QCOMPARE(font.pointSize(), 9);
    QCOMPARE(font.weight(), QFont::Normal);
    QVERIFY(!font.italic());
    const QString expected =
        PickFontFamily(kelvane::PreferredUiFamilies(), QFontDatabase::families());
    if (expected.isEmpty()) QSKIP("no Japanese Gothic face installed");
    QCOMPARE(QFontInfo(font).family(), expected);
    QVERIFY(QFontMetrics(font).inFontUcs4(U'日'));
    QVERIFY(QFontMetrics(font).inFontUcs4(U'ゴ'));
  }
};

QTEST_MAIN(UiFontTest)
#include "ui_font_test.moc"
