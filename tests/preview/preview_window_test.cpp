#include <sys/stat.h>

#include <QAction>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QScrollArea>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "pipeline/conversion.h"
#include "preview_window.h"
#include "render/glyph_sheet.h"
#include "slow_input.h"
#include "writer_cases.h"

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

// What the converter writes for `bdf` with `options`.
bool Convert(const QString& bdf, const QString& kvn, const kelvane::ConversionOptions& options) {
  const kelvane::ConversionRequest request{
      {bdf.toStdString()}, kvn.toStdString(), kelvane::InputPolicy::kRegularFilesOnly, options};
  return kelvane::Converter().Convert(request).ok();
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
    QFile file(Path(name));
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() ? Path(name)
                                                                                : QString();
  }
  QAction* Action(const char* name) { return window.findChild<QAction*>(name); }
  // Waits until all work and any pending options change is done.
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
    QTest::newRow("kvn") << "small.kvn" << false;
  }
  void OpensEachKindOfFont() {
    QFETCH(QString, name);
    QFETCH(bool, bdf);
    Fixture f;
    const QString plain = f.WriteFont("small.bdf", SmallFont());
    if (!bdf) {
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
    QCOMPARE(f.document.converts(), bdf);
    QCOMPARE(f.charset->isEnabled(), bdf);
    QCOMPARE(f.Action("actionSaveKvn")->isEnabled(), bdf);
    // あ is found by its code: U+3042 in the BDF font, Shift_JIS 0x82A0 in the KVN font.
    f.sample->setText(QStringLiteral("Aあ"));
    QCOMPARE(f.missing->text(), QString());
  }

  // A font with no size of its own to show is refused until a pixel size is
  // chosen, and then converted with it.
  void PixelSizeOpensFontsThatNeedOne_data() {
    QTest::addColumn<QString>("font");
    QTest::addColumn<int>("size");
    QTest::addColumn<QString>("refusal");
    QTest::addColumn<QString>("shown");
    QTest::newRow("outlines") << "grid.ttf" << 8 << "grid.ttf: File is not support ! (an outline"
                              << "grid.ttf: 8 glyphs, 6x10 cell (converted in memory)";
    QTest::newRow("strikes") << "sizes.otb" << 16 << "sizes.otb: File is not support ! (its sizes"
                             << "sizes.otb: 8 glyphs, 12x20 cell (converted in memory)";
  }
  void PixelSizeOpensFontsThatNeedOne() {
    QFETCH(QString, font);
    QFETCH(int, size);
    QFETCH(QString, refusal);
    QFETCH(QString, shown);
    Fixture f;
    QVERIFY(QFile::copy(QStringLiteral(TYPEFACE_FONTS "/") + font, f.Path(font)));
    QVERIFY(f.window.SetCharset("unicode"));
    f.answers << f.Path(font);
    f.Action("actionOpen")->trigger();
    QVERIFY(f.Settle());
    QCOMPARE(f.GlyphCount(), -1);
    QVERIFY2(f.message->text().startsWith(refusal), qPrintable(f.message->text()));
    auto* pixelSize = f.window.findChild<QSpinBox*>("pixelSizeBox");
    QVERIFY(pixelSize != nullptr && pixelSize->isEnabled());
    pixelSize->setValue(size);
    QVERIFY(f.Settle());
    QCOMPARE(f.message->text(), shown);
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
    options.chars = {{{}, "Aあ"}};
    QVERIFY(Convert(f.Path("small.bdf"), f.Path("expected.kvn"), options));
    QVERIFY(kelvane::test::ReadBytes(f.Path("out.kvn").toStdString()) ==
            kelvane::test::ReadBytes(f.Path("expected.kvn").toStdString()));
  }

  void ZoomScalesTheSheetAndTheSamplePng() {
    Fixture f;
    QVERIFY(f.OpenSmall());
    const QSize one = f.sheet->size();
    f.zoom->setValue(8);
    // 16 cells a row, each 4 font pixels wide, and the labels' margins of 2 x zoom each side.
    QCOMPARE(f.sheet->width() - one.width(), 16 * (4 * 8 - 4) + 4 * (8 - 1));
    QVERIFY(f.sheet->height() >= 4 * 8 + 2);

    // The sample line alone, without the strip of marks.
    f.answers << f.Path("sample.png");
    f.sample->setText(QStringLiteral("AB"));
    f.Action("actionSaveSamplePng")->trigger();
    QVERIFY(f.Settle());
    QCOMPARE(QImage(f.Path("sample.png")).size(), QSize(2 * 4 * 8, 4 * 8));
  }

  void RefusedFontsAreExplained_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("subset");
    QTest::addColumn<QString>("text");
    // An ISO 10646 font has no codes of its own to keep.
    QTest::newRow("no code set")
        << "small.bdf" << SmallFont() << ""
        << "small.bdf: CHARSET is not support! [ISO10646] (choose a code set to map it)";
    QTest::newRow("empty subset") << "small.bdf" << SmallFont() << "xyz"
                                  << "small.bdf: No glyph is left in the subset";
    QTest::newRow("short kvn") << "short.kvn" << QByteArray("\x01\x00\x00", 3) << ""
                               << "short.kvn: " + QString(kvn_status_text(KVN_SHORTER_THAN_HEADER));
  }
  void RefusedFontsAreExplained() {
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, subset);
    QFETCH(QString, text);
    Fixture f;
    QVERIFY(!f.WriteFont(name, bytes).isEmpty());
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

  // Save Sheet PNG replaces files as every writer does.
  void SheetPngIsWrittenAsEveryWriterWrites_data() {
    QTest::addColumn<int>("index");
    const auto cases = kelvane::test::WriterCases();
    for (std::size_t i = 0; i < cases.size(); ++i) {
      if (!cases[i].readsStandardInput) {
        QTest::newRow(cases[i].name.c_str()) << static_cast<int>(i);
      }
    }
  }
  void SheetPngIsWrittenAsEveryWriterWrites() {
    QFETCH(int, index);
    const kelvane::test::WriterCase c = kelvane::test::WriterCases().at(index);
    Fixture f;
    QVERIFY(f.OpenSmall());
    const std::filesystem::path dir = QFile::encodeName(f.dir.path()).toStdString();
    const std::string output = c.prepare(dir, "small.bdf");
    if (output.empty()) QSKIP("needs root");
    const auto before = kelvane::test::TakeSnapshot(dir);
    f.answers << QFile::decodeName((dir / output).c_str());
    f.Action("actionSaveSheetPng")->trigger();
    const bool settled = f.Settle();
    const auto after = kelvane::test::TakeSnapshot(dir);
    const QSize written = QImage(QFile::decodeName((dir / output).c_str()), "PNG").size();
    const auto& told = testing::UnitTest::GetInstance()->ad_hoc_test_result();
    const int failures = told.total_part_count();
    c.check(dir);
    QCOMPARE(told.total_part_count(), failures);
    QVERIFY(settled);
    if (c.refusal.empty()) {
      QVERIFY2(f.message->text().startsWith("Wrote "), qPrintable(f.message->text()));
      const kvn_font& font = f.document.font()->loaded->font;
      const auto size = kelvane::SheetSizeFor(font, kelvane::SheetOrder(font), 1);
      QCOMPARE(written, QSize(static_cast<int>(size.width), static_cast<int>(size.height)));
    } else {
      QVERIFY2(f.message->text().contains(QString::fromStdString(c.refusal)),
               qPrintable(f.message->text()));
      QVERIFY(after == before);
    }
  }

  // Files that are no regular files are refused at once, whether opened as
  // a font or loaded as a subset: nothing waits on a FIFO or reads /dev/zero.
  void UnreadableFilesAreRefusedAtOnce_data() {
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("file");
    QTest::newRow("font fifo") << "actionOpen"
                               << "fifo";
    QTest::newRow("font device") << "actionOpen"
                                 << "/dev/zero";
    QTest::newRow("subset fifo") << "actionLoadSubset"
                                 << "fifo";
  }
  void UnreadableFilesAreRefusedAtOnce() {
    QFETCH(QString, action);
    QFETCH(QString, file);
    Fixture f;
    QVERIFY(f.OpenSmall());
    const QString path = file.startsWith('/') ? file : f.Path(file);
    QCOMPARE(mkfifo(QFile::encodeName(f.Path("fifo")).constData(), 0600), 0);
    f.answers << path;
    f.Action(action.toLatin1().constData())->trigger();
    QVERIFY(QTest::qWaitFor([&] { return f.message->text().contains("Cannot open file!"); }, 1000));
    const QRegularExpression refusal(
        QStringLiteral("^%1: Cannot open file! \\[.+\\] \\(.+\\)$")
            .arg(QRegularExpression::escape(QFileInfo(path).fileName())));
    QVERIFY2(refusal.match(f.message->text()).hasMatch(), qPrintable(f.message->text()));
    QVERIFY(f.Settle());
    QCOMPARE(f.GlyphCount(), action == "actionOpen" ? -1 : 3);
    QCOMPARE(f.subset->toPlainText(), QString());
  }

  // Closing the window while a font loads stops the load and waits for it.
  void ClosingStopsALoad() {
    QTemporaryDir dir;
    const std::string slow = QFile::encodeName(dir.filePath("slow.bdf.gz")).toStdString();
    QVERIFY(kelvane::test::WriteSlowBdf(slow));
    auto f = std::make_unique<Fixture>();
    f->window.OpenFile(QFile::decodeName(slow.c_str()));
    QVERIFY(QTest::qWaitFor([&] { return kelvane::test::OpenCount(slow) > 0; }, 5000));
    QVERIFY(f->document.busy());
    QElapsedTimer timer;
    timer.start();
    f.reset();
    // Stopped: read to its end, the file takes many seconds.
    QVERIFY2(timer.elapsed() < 5000, qPrintable(QString::number(timer.elapsed())));
    QCOMPARE(kelvane::test::OpenCount(slow), 0);
  }
};

QTEST_MAIN(PreviewWindowTest)
#include "preview_window_test.moc"
