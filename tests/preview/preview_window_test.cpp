#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QFutureWatcher>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QScrollArea>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

#include "pipeline/conversion.h"
#include "preview_window.h"
#include "render/glyph_sheet.h"

namespace {

// One BDF glyph of a 4x4 cell, its rows given in hexadecimal.
QByteArray Glyph(int encoding, const char* rows) {
  return "STARTCHAR g" + QByteArray::number(encoding) + "\nENCODING " +
         QByteArray::number(encoding) + "\nSWIDTH 500 0\nDWIDTH 4 0\nBBX 4 4 0 0\nBITMAP\n" +
         QByteArray(rows) + "ENDCHAR\n";
}

// An ISO 10646 font of `count` glyphs.
QByteArray Bdf(const QByteArray& glyphs, int count) {
  return "STARTFONT 2.1\nFONT f\nSIZE 4 75 75\nFONTBOUNDINGBOX 4 4 0 0\nSTARTPROPERTIES 2\n"
         "CHARSET_REGISTRY \"ISO10646\"\nCHARSET_ENCODING \"1\"\nENDPROPERTIES\nCHARS " +
         QByteArray::number(count) + "\n" + glyphs + "ENDFONT\n";
}

// 'A' a diagonal from the top left, 'B' its top row, あ every pixel.
QByteArray SmallFont() {
  return Bdf(Glyph(0x41, "80\n40\n20\n10\n") + Glyph(0x42, "F0\n00\n00\n00\n") +
                 Glyph(0x3042, "F0\nF0\nF0\nF0\n"),
             3);
}

bool Write(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray Read(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// What the converter writes for `bdf` with `options`.
bool Convert(const QString& bdf, const QString& kvn, const kelvane::ConversionOptions& options) {
  const kelvane::ConversionRequest request{
      {bdf.toStdString()}, kvn.toStdString(), kelvane::InputPolicy::kRegularFilesOnly, options};
  kelvane::bdf::LineReaderState state;
  return kelvane::Convert(request, state).ok();
}

// The image row by row, each ended by '\n': '#' ink, '.' paper, 'r' the red mark, '?' else.
QString Grid(const QImage& image) {
  static const QList<QRgb> kColors{qRgb(0, 0, 0), qRgb(255, 255, 255), qRgb(220, 0, 0)};
  QString grid;
  for (int y = 0; y < image.height(); ++y, grid += '\n') {
    for (int x = 0; x < image.width(); ++x) grid += "?#.r"[kColors.indexOf(image.pixel(x, y)) + 1];
  }
  return grid;
}

// A shown window whose file dialogs answer with the names queued in `answers`.
struct Fixture {
  QTemporaryDir dir;
  QStringList answers;
  kelvane::PreviewWindow window{kelvane::PreviewDialogs{
      [this](QWidget*, const QString&, const QString&) { return Answer(); },
      [this](QWidget*, const QString&, const QString&, const QString&) { return Answer(); }}};
  kelvane::FontDocument& document = window.document();
  QComboBox* charset = window.findChild<QComboBox*>("charsetBox");
  QPlainTextEdit* subset = window.findChild<QPlainTextEdit*>("subsetText");
  QSpinBox* zoom = window.findChild<QSpinBox*>("zoomBox");
  QLineEdit* sample = window.findChild<QLineEdit*>("sampleText");
  kelvane::SampleView* sampleView = window.findChild<kelvane::SampleView*>("sampleView");
  kelvane::SheetWidget* sheet = window.findChild<kelvane::SheetWidget*>("glyphSheet");
  QLabel* message = window.findChild<QLabel*>("messageLabel");
  QLabel* missing = window.findChild<QLabel*>("missingChars");

  Fixture() {
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
  }
  QString Answer() { return answers.isEmpty() ? QString() : answers.takeFirst(); }
  QString Path(const QString& name) const { return dir.filePath(name); }
  QString WriteFont(const QString& name, const QByteArray& bytes) const {
    return Write(Path(name), bytes) ? Path(name) : QString();
  }
  QAction* Action(const char* name) { return window.findChild<QAction*>(name); }
  // Waits until every load and pending options change is done.
  bool Settle() {
    return QTest::qWaitFor([this] { return document.settled(); }, 20000);
  }
  // The small font with codes in Unicode, opened and shown.
  bool OpenSmall() {
    window.SetCharset("unicode");
    window.OpenFile(WriteFont("small.bdf", SmallFont()));
    return Settle() && GlyphCount() == 3;
  }
  int GlyphCount() const {
    return document.font() ? document.font()->loaded->font.glyph_count : -1;
  }
  // The characters the sample line lacks, as listed below it.
  QString Missing() const { return missing->text().section(QStringLiteral(": "), 1); }
};

}  // namespace

class PreviewWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void OpensEachKindOfFont_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("bdf");
    QTest::newRow("bdf") << "small.bdf" << true;
    QTest::newRow("bdf.gz") << "small.bdf.gz" << true;
    QTest::newRow("kvn") << "small.kvn" << false;
  }
  void OpensEachKindOfFont() {
    QFETCH(QString, name);
    QFETCH(bool, bdf);
    Fixture f;
    const QString plain = f.WriteFont("small.bdf", SmallFont());
    if (name.endsWith(".gz")) {
      QCOMPARE(QProcess::execute(QStringLiteral("gzip"), {QStringLiteral("-k"), plain}), 0);
    } else if (name.endsWith(".kvn")) {
      kelvane::ConversionOptions options;
      options.charset = "shift_jis";
      QVERIFY(Convert(plain, f.Path(name), options));
    }
    // The code set chosen for BDF fonts does not apply to a KVN font.
    QVERIFY(f.window.SetCharset("unicode"));
    f.answers << f.Path(name);
    f.Action("actionOpen")->trigger();
    QVERIFY(f.Settle());
    QCOMPARE(f.GlyphCount(), 3);
    QCOMPARE(f.document.isBdf(), bdf);
    QCOMPARE(f.charset->isEnabled(), bdf);
    QCOMPARE(f.Action("actionSaveKvn")->isEnabled(), bdf);
    // あ is found by its code: U+3042 in the BDF font, Shift_JIS 0x82A0 in the KVN font.
    f.sample->setText(QStringLiteral("Aあ"));
    QCOMPARE(f.missing->text(), QString());
  }

  void SampleLineIsDrawnPixelForPixel() {
    Fixture f;
    QVERIFY(f.OpenSmall());
    // Each font pixel a 2x2 square: A's diagonal, then B's top row; no marks below.
    f.zoom->setValue(2);
    f.sample->setText(QStringLiteral("AB"));
    QCOMPARE(Grid(f.sampleView->image()),
             QStringLiteral("##......########\n##......########\n..##............\n"
                            "..##............\n....##..........\n....##..........\n"
                            "......##........\n......##........\n................\n"
                            "................\n"));
    QCOMPARE(f.Missing(), QString());
    // c is drawn as the default glyph (the first, A), marked below and listed.
    f.zoom->setValue(1);
    f.sample->setText(QStringLiteral("AcB"));
    QCOMPARE(Grid(f.sampleView->image()),
             QStringLiteral("#...#...####\n.#...#......\n..#...#.....\n...#...#....\n"
                            "....rrrr....\n....rrrr....\n"));
    QCOMPARE(f.Missing(), QStringLiteral("U+0063 c"));
  }

  // Conversion options on the small font, with "Aあ" as the sample line.
  void OptionsChangeTheGlyphs_data() {
    QTest::addColumn<QString>("charset");
    QTest::addColumn<QString>("subset");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("missing");
    QTest::newRow("iso8859-1 has no あ") << "iso8859-1" << QString() << 2 << "U+3042 あ";
    QTest::newRow("shift_jis") << "shift_jis" << QString() << 3 << QString();
    QTest::newRow("subset") << "unicode" << QStringLiteral("Bあ") << 2 << "U+0041 A";
  }
  void OptionsChangeTheGlyphs() {
    QFETCH(QString, charset);
    QFETCH(QString, subset);
    QFETCH(int, count);
    QFETCH(QString, missing);
    Fixture f;
    QVERIFY(f.OpenSmall());
    f.sample->setText(QStringLiteral("Aあ"));
    QCOMPARE(f.Missing(), QString());
    f.charset->setCurrentText(charset);
    f.subset->setPlainText(subset);
    QVERIFY(f.Settle());
    QCOMPARE(f.GlyphCount(), count);
    QCOMPARE(f.Missing(), missing);
  }

  void SavedKvnIsWhatTheConverterWrites() {
    Fixture f;
    QVERIFY(f.OpenSmall());
    f.charset->setCurrentText(QStringLiteral("shift_jis"));
    f.window.findChild<QComboBox*>("tableBox")->setCurrentText(QStringLiteral("jis"));
    f.subset->setPlainText(QStringLiteral("Aあ"));
    // Saved at once, before the new options were shown: the file still has them.
    f.answers << f.Path("out.kvn");
    f.Action("actionSaveKvn")->trigger();
    QVERIFY(f.Settle());
    kelvane::ConversionOptions options;
    options.charset = "shift_jis";
    options.table = "jis";
    options.charsText = "Aあ";
    QVERIFY(Convert(f.Path("small.bdf"), f.Path("expected.kvn"), options));
    QCOMPARE(Read(f.Path("out.kvn")), Read(f.Path("expected.kvn")));
  }

  void ZoomScalesTheSheetAndThePngs() {
    Fixture f;
    QVERIFY(f.OpenSmall());
    const QSize one = f.sheet->size();
    f.zoom->setValue(8);
    // 16 cells a row, each 4 font pixels wide.
    QCOMPARE(f.sheet->width() - one.width(), 16 * (4 * 8 - 4));
    QVERIFY(f.sheet->height() >= 4 * 8 + 2);

    f.answers << f.Path("sheet.png") << f.Path("sample.png");
    f.Action("actionSaveSheetPng")->trigger();
    const kvn_font& font = f.document.font()->loaded->font;
    const auto size = kelvane::SheetSizeFor(font, kelvane::SheetOrder(font), 8);
    QCOMPARE(QImage(f.Path("sheet.png")).size(),
             QSize(static_cast<int>(size.width), static_cast<int>(size.height)));
    // The sample line alone, without the strip of marks.
    f.sample->setText(QStringLiteral("AB"));
    f.Action("actionSaveSamplePng")->trigger();
    QCOMPARE(QImage(f.Path("sample.png")).size(), QSize(2 * 4 * 8, 4 * 8));
  }

  void RefusedFontsAreExplained_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("subset");
    QTest::addColumn<QString>("text");
    // An ISO 10646 font has no codes of its own to keep.
    QTest::newRow("no code set") << "small.bdf" << SmallFont() << ""
                                 << "small.bdf: CHARSET is not support!";
    QTest::newRow("empty subset") << "small.bdf" << SmallFont() << "xyz"
                                  << "small.bdf: No glyph is left in the subset";
    QTest::newRow("short kvn") << "short.kvn" << QByteArray("\x01\x00\x00", 3) << ""
                               << "short.kvn: " + QString(kvn_status_text(KVN_SHORTER_THAN_HEADER));
    QTest::newRow("no file") << "none.bdf" << QByteArray() << QString() << "none.bdf: ";
  }
  void RefusedFontsAreExplained() {
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, subset);
    QFETCH(QString, text);
    Fixture f;
    if (!bytes.isEmpty()) QVERIFY(Write(f.Path(name), bytes));
    if (!subset.isEmpty()) {
      f.window.SetCharset("unicode");
      f.subset->setPlainText(subset);
    }
    f.window.OpenFile(f.Path(name));
    QVERIFY(f.Settle());
    QCOMPARE(f.GlyphCount(), -1);
    QVERIFY2(f.message->text().startsWith(text), qPrintable(f.message->text()));
    QVERIFY(!f.Action("actionSaveSheetPng")->isEnabled());
    f.sample->setText(QStringLiteral("A"));
    QVERIFY(f.sampleView->image().isNull());
  }

  void LargeFontLoadsAndPaintsOnlyWhatShows() {
    Fixture f;
    f.window.SetCharset("unicode");
    QByteArray glyphs;  // 20,000 from U+4E00 on
    for (int i = 0; i < 20000; ++i) glyphs += Glyph(0x4E00 + i, "90\n60\n60\n90\n");
    const QString large = f.WriteFont("large.bdf", Bdf(glyphs, 20000));
    // A newer request wins: the large font's load ends later, but the small font stays.
    f.window.OpenFile(large);
    f.window.OpenFile(f.WriteFont("small.bdf", SmallFont()));
    QVERIFY(f.Settle());
    QTRY_VERIFY_WITH_TIMEOUT(f.document.findChildren<QFutureWatcherBase*>().isEmpty(), 20000);
    QCOMPARE(f.GlyphCount(), 3);

    f.window.OpenFile(large);
    QVERIFY(f.Settle());
    QCOMPARE(f.GlyphCount(), 20000);
    auto* area = f.window.findChild<QScrollArea*>();
    QVERIFY(f.sheet->height() > 10 * area->viewport()->height());
    f.sheet->repaint();
    QTRY_VERIFY(f.sheet->lastPaintedCells() > 0);
    const int rowStep = f.sheet->height() / (20000 / 16);
    QVERIFY2(f.sheet->lastPaintedCells() <= 16 * (area->viewport()->height() / rowStep + 2),
             qPrintable(QString::number(f.sheet->lastPaintedCells())));
  }
};

QTEST_MAIN(PreviewWindowTest)
#include "preview_window_test.moc"
