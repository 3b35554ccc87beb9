#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QProcess>
#include <QScrollArea>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <deque>

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

QByteArray Bdf(const QByteArray& registry, const QByteArray& encoding, const QByteArray& glyphs,
               int count) {
  return "STARTFONT 2.1\nFONT f\nSIZE 4 75 75\nFONTBOUNDINGBOX 4 4 0 0\nSTARTPROPERTIES 2\n"
         "CHARSET_REGISTRY \"" +
         registry + "\"\nCHARSET_ENCODING \"" + encoding + "\"\nENDPROPERTIES\nCHARS " +
         QByteArray::number(count) + "\n" + glyphs + "ENDFONT\n";
}

// 'A' a diagonal from the top left, 'B' its top row, あ every pixel.
QByteArray SmallFont() {
  return Bdf("ISO10646", "1",
             Glyph(0x41, "80\n40\n20\n10\n") + Glyph(0x42, "F0\n00\n00\n00\n") +
                 Glyph(0x3042, "F0\nF0\nF0\nF0\n"),
             3);
}

// `count` glyphs from U+4E00 on.
QByteArray LargeFont(int count) {
  QByteArray glyphs;
  for (int i = 0; i < count; ++i) glyphs += Glyph(0x4E00 + i, "90\n60\n60\n90\n");
  return Bdf("ISO10646", "1", glyphs, count);
}

bool Write(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray Read(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool IsInk(const QImage& image, int x, int y) { return qGray(image.pixel(x, y)) == 0; }
bool IsPaper(const QImage& image, int x, int y) { return qGray(image.pixel(x, y)) == 255; }
bool IsRed(const QImage& image, int x, int y) {
  const QRgb p = image.pixel(x, y);
  return qRed(p) > 150 && qGreen(p) < 80 && qBlue(p) < 80;
}

// A shown window whose file dialogs answer with the names queued in `answers`.
struct Fixture {
  QTemporaryDir dir;
  std::deque<QString> answers;
  QStringList filters;
  kelvane::PreviewWindow window{kelvane::PreviewDialogs{
      [this](QWidget*, const QString&, const QString& filter) { return Answer(filter); },
      [this](QWidget*, const QString&, const QString&, const QString& filter) {
        return Answer(filter);
      }}};
  kelvane::FontDocument& document = window.document();
  QComboBox* charset = window.findChild<QComboBox*>("charsetBox");
  QComboBox* table = window.findChild<QComboBox*>("tableBox");
  QPlainTextEdit* subset = window.findChild<QPlainTextEdit*>("subsetText");
  QSpinBox* zoom = window.findChild<QSpinBox*>("zoomBox");
  QLineEdit* sample = window.findChild<QLineEdit*>("sampleText");
  kelvane::SampleView* sampleView = window.findChild<kelvane::SampleView*>("sampleView");
  kelvane::SheetWidget* sheet = window.findChild<kelvane::SheetWidget*>("glyphSheet");
  QLabel* message = window.findChild<QLabel*>("messageLabel");
  QLabel* missing = window.findChild<QLabel*>("missingChars");
  QLabel* info = window.findChild<QLabel*>("glyphInfo");

  Fixture() {
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
  }
  QString Answer(const QString& filter) {
    filters << filter;
    if (answers.empty()) return {};
    QString answer = answers.front();
    answers.pop_front();
    return answer;
  }
  QString Path(const QString& name) const { return dir.filePath(name); }
  QString WriteFont(const QString& name, const QByteArray& bytes) const {
    const QString path = Path(name);
    return Write(path, bytes) ? path : QString();
  }
  QAction* Action(const char* name) { return window.findChild<QAction*>(name); }
  // Waits until every load and pending options change is done.
  bool Settle() {
    return QTest::qWaitFor([this] { return document.settled(); }, 20000);
  }
  int GlyphCount() const {
    return document.font() ? document.font()->loaded->font.glyph_count : -1;
  }
};

}  // namespace

class PreviewWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void OpensBdfWithChosenCodeSet() {
    Fixture f;
    QVERIFY(f.window.SetCharset("unicode"));
    f.answers.push_back(f.WriteFont("small.bdf", SmallFont()));
    f.Action("actionOpen")->trigger();
    QCOMPARE(f.filters.value(0), QStringLiteral("Fonts (*.kvn *.bdf *.bdf.gz);;All files (*)"));
    QVERIFY(f.Settle());
    QCOMPARE(f.GlyphCount(), 3);
    QVERIFY(f.document.isBdf());
    QVERIFY(f.charset->isEnabled() && f.subset->isEnabled());
    QVERIFY(f.Action("actionSaveKvn")->isEnabled());
    QVERIFY(f.sheet->height() > 0);
  }

  void OpensGzippedBdf() {
    Fixture f;
    f.window.SetCharset("unicode");
    const QString plain = f.WriteFont("small.bdf", SmallFont());
    QCOMPARE(QProcess::execute(QStringLiteral("gzip"), {QStringLiteral("-k"), plain}), 0);
    f.window.OpenFile(plain + ".gz");
    QVERIFY(f.Settle());
    QCOMPARE(f.GlyphCount(), 3);
  }

  void OpensKvnAndEncodesSampleInShiftJis() {
    Fixture f;
    const QString bdf = f.WriteFont("small.bdf", SmallFont());
    kelvane::ConversionOptions options;
    options.charset = "shift_jis";
    kelvane::bdf::LineReaderState state;
    const std::string kvn = f.Path("small.kvn").toStdString();
    QVERIFY(kelvane::Convert(
                {{bdf.toStdString()}, kvn, kelvane::InputPolicy::kRegularFilesOnly, options}, state)
                .ok());
    // The options of the last BDF font do not carry over to a KVN font.
    f.window.SetCharset("iso8859-1");
    f.window.OpenFile(QString::fromStdString(kvn));
    QVERIFY(f.Settle());
    QCOMPARE(f.GlyphCount(), 3);
    QVERIFY(!f.document.isBdf());
    QVERIFY(!f.charset->isEnabled());
    QVERIFY(!f.Action("actionSaveKvn")->isEnabled());
    QVERIFY(f.Action("actionSaveSheetPng")->isEnabled());

    // あ is found by its Shift_JIS code 0x82A0: a full block after the diagonal A.
    f.sample->setText(QStringLiteral("Aあ"));
    const QImage image = f.sampleView->image();
    QCOMPARE(image.width(), 8);
    QVERIFY(IsInk(image, 0, 0) && IsInk(image, 3, 3) && IsPaper(image, 1, 0));
    for (int y = 0; y < 4; ++y) {
      for (int x = 4; x < 8; ++x) QVERIFY2(IsInk(image, x, y), qPrintable(QString::number(x)));
    }
    QVERIFY(f.missing->text().isEmpty());
  }

  void SampleLineIsDrawnAtTheZoom() {
    Fixture f;
    f.window.SetCharset("unicode");
    f.window.OpenFile(f.WriteFont("small.bdf", SmallFont()));
    QVERIFY(f.Settle());
    f.zoom->setValue(2);
    f.sample->setText(QStringLiteral("AB"));
    const QImage image = f.sampleView->image();
    QCOMPARE(image.width(), 16);
    QVERIFY(image.height() >= 8);
    // A: the diagonal, each font pixel 2x2.
    QVERIFY(IsInk(image, 0, 0) && IsInk(image, 1, 1) && IsPaper(image, 2, 0));
    QVERIFY(IsInk(image, 2, 2) && IsInk(image, 7, 7) && IsPaper(image, 0, 2));
    // B: its top row only.
    QVERIFY(IsInk(image, 8, 0) && IsInk(image, 15, 1) && IsPaper(image, 8, 2));
    // No mark under a character the font has.
    for (int x = 0; x < image.width(); ++x) QVERIFY(!IsRed(image, x, image.height() - 1));
    QVERIFY(f.missing->text().isEmpty());
  }

  void MissingCharactersAreMarkedAndListed() {
    Fixture f;
    f.window.SetCharset("unicode");
    f.window.OpenFile(f.WriteFont("small.bdf", SmallFont()));
    QVERIFY(f.Settle());
    f.sample->setText(QStringLiteral("AcB"));
    const QImage image = f.sampleView->image();
    QCOMPARE(image.width(), 12);
    const int mark = image.height() - 1;
    QVERIFY(!IsRed(image, 0, mark) && !IsRed(image, 3, mark));
    QVERIFY(IsRed(image, 4, mark) && IsRed(image, 7, mark));
    QVERIFY(!IsRed(image, 8, mark) && !IsRed(image, 11, mark));
    QVERIFY2(f.missing->text().contains(QStringLiteral("U+0063 c")), qPrintable(f.missing->text()));
    QVERIFY(!f.missing->text().contains(QStringLiteral("U+0041")));
  }

  void ZoomScalesTheSheet() {
    Fixture f;
    f.window.SetCharset("unicode");
    f.window.OpenFile(f.WriteFont("small.bdf", SmallFont()));
    QVERIFY(f.Settle());
    const QSize one = f.sheet->size();
    f.zoom->setValue(8);
    const QSize eight = f.sheet->size();
    // 16 cells a row, each 4 font pixels wide.
    QCOMPARE(eight.width() - one.width(), 16 * (4 * 8 - 4));
    QVERIFY(eight.height() >= 4 * 8 + 2);
  }

  void CodeSetChangesTheGlyphs() {
    Fixture f;
    f.window.SetCharset("unicode");
    f.window.OpenFile(f.WriteFont("small.bdf", SmallFont()));
    QVERIFY(f.Settle());
    QCOMPARE(f.GlyphCount(), 3);
    f.sample->setText(QStringLiteral("あ"));
    QVERIFY(f.missing->text().isEmpty());
    // ISO 8859-1 has no あ, so the glyph is left out and the sample misses it.
    f.charset->setCurrentText(QStringLiteral("iso8859-1"));
    QVERIFY(f.Settle());
    QCOMPARE(f.GlyphCount(), 2);
    QVERIFY(f.missing->text().contains(QStringLiteral("U+3042")));
    f.charset->setCurrentText(QStringLiteral("shift_jis"));
    QVERIFY(f.Settle());
    QCOMPARE(f.GlyphCount(), 3);
    QVERIFY(f.missing->text().isEmpty());
  }

  void SubsetKeepsItsCharacters() {
    Fixture f;
    f.window.SetCharset("unicode");
    f.window.OpenFile(f.WriteFont("small.bdf", SmallFont()));
    QVERIFY(f.Settle());
    f.subset->setPlainText(QStringLiteral("Bあ"));
    QVERIFY(f.Settle());
    QCOMPARE(f.GlyphCount(), 2);
    // Nothing of the font left: the refusal, and no font shown.
    f.subset->setPlainText(QStringLiteral("xyz"));
    QVERIFY(f.Settle());
    QCOMPARE(f.GlyphCount(), -1);
    QVERIFY2(f.message->text().contains(QStringLiteral("No glyph is left in the subset")),
             qPrintable(f.message->text()));
    QVERIFY(!f.Action("actionSaveSheetPng")->isEnabled());
  }

  void LoadedSubsetMustBeUtf8() {
    Fixture f;
    f.window.SetCharset("unicode");
    f.window.OpenFile(f.WriteFont("small.bdf", SmallFont()));
    QVERIFY(f.Settle());
    QVERIFY(Write(f.Path("bad.txt"), "A\xff"));
    f.answers.push_back(f.Path("bad.txt"));
    f.Action("actionLoadSubset")->trigger();
    QVERIFY2(f.message->text().contains(QStringLiteral("not UTF-8")),
             qPrintable(f.message->text()));
    QVERIFY(f.subset->toPlainText().isEmpty());

    QVERIFY(Write(f.Path("good.txt"), "A\xe3\x81\x82\n"));
    f.answers.push_back(f.Path("good.txt"));
    f.Action("actionLoadSubset")->trigger();
    QCOMPARE(f.subset->toPlainText(), QStringLiteral("Aあ\n"));
    QVERIFY(f.Settle());
    QCOMPARE(f.GlyphCount(), 2);
  }

  void SavedKvnIsWhatTheConverterWrites() {
    Fixture f;
    const QString bdf = f.WriteFont("small.bdf", SmallFont());
    f.window.SetCharset("shift_jis");
    f.window.OpenFile(bdf);
    QVERIFY(f.Settle());
    f.table->setCurrentText(QStringLiteral("jis"));
    f.subset->setPlainText(QStringLiteral("Aあ"));
    // Saved at once, before the new options were shown: the file still has them.
    QSignalSpy saved(&f.document, &kelvane::FontDocument::saved);
    f.answers.push_back(f.Path("out.kvn"));
    f.Action("actionSaveKvn")->trigger();
    QCOMPARE(f.filters.last(), QStringLiteral("KVN fonts (*.kvn);;All files (*)"));
    QVERIFY(saved.wait(20000) || saved.count() == 1);
    QVERIFY2(f.message->text().contains(QStringLiteral("out.kvn")), qPrintable(f.message->text()));

    kelvane::ConversionOptions options;
    options.charset = "shift_jis";
    options.table = "jis";
    options.charsText = "Aあ";
    kelvane::bdf::LineReaderState state;
    const std::string expected = f.Path("expected.kvn").toStdString();
    QVERIFY(
        kelvane::Convert(
            {{bdf.toStdString()}, expected, kelvane::InputPolicy::kFilesAndPipes, options}, state)
            .ok());
    const QByteArray written = Read(f.Path("out.kvn"));
    QVERIFY(!written.isEmpty());
    QCOMPARE(written, Read(QString::fromStdString(expected)));
  }

  void SavesSheetAndSamplePng() {
    Fixture f;
    f.window.SetCharset("unicode");
    f.window.OpenFile(f.WriteFont("small.bdf", SmallFont()));
    QVERIFY(f.Settle());
    f.zoom->setValue(3);
    f.sample->setText(QStringLiteral("AB"));

    f.answers.push_back(f.Path("sheet.png"));
    f.Action("actionSaveSheetPng")->trigger();
    const QImage sheet(f.Path("sheet.png"));
    QVERIFY(!sheet.isNull());
    const kvn_font& font = f.document.font()->loaded->font;
    const auto size = kelvane::SheetSizeFor(font, kelvane::SheetOrder(font), 3);
    QCOMPARE(sheet.size(), QSize(static_cast<int>(size.width), static_cast<int>(size.height)));

    f.answers.push_back(f.Path("sample.png"));
    f.Action("actionSaveSamplePng")->trigger();
    const QImage sample(f.Path("sample.png"));
    QCOMPARE(sample.size(), QSize(2 * 4 * 3, 4 * 3));
    QVERIFY(IsInk(sample, 0, 0) && IsPaper(sample, 3, 0) && IsInk(sample, 3, 3));
    QVERIFY(f.filters.last().startsWith(QStringLiteral("PNG images (*.png)")));
  }

  void RefusedFontsAreExplained() {
    Fixture f;
    // An ISO 10646 font has no codes of its own to keep.
    f.window.OpenFile(f.WriteFont("small.bdf", SmallFont()));
    QVERIFY(f.Settle());
    QCOMPARE(f.GlyphCount(), -1);
    QVERIFY2(f.message->text().startsWith(QStringLiteral("small.bdf: CHARSET is not support!")),
             qPrintable(f.message->text()));
    // The code set can still be chosen, and then the font converts.
    QVERIFY(f.charset->isEnabled());
    f.charset->setCurrentText(QStringLiteral("unicode"));
    QVERIFY(f.Settle());
    QCOMPARE(f.GlyphCount(), 3);

    QVERIFY(Write(f.Path("short.kvn"), QByteArray("\x01\x00\x00", 3)));
    f.window.OpenFile(f.Path("short.kvn"));
    QVERIFY(f.Settle());
    QCOMPARE(f.GlyphCount(), -1);
    QCOMPARE(f.message->text(),
             QStringLiteral("short.kvn: ") + kvn_status_text(KVN_SHORTER_THAN_HEADER));
    f.sample->setText(QStringLiteral("A"));
    QVERIFY(f.sampleView->image().isNull());

    f.window.OpenFile(f.Path("none.bdf"));
    QVERIFY(f.Settle());
    QVERIFY2(f.message->text().startsWith(QStringLiteral("none.bdf: ")),
             qPrintable(f.message->text()));
  }

  void NewerRequestWins() {
    Fixture f;
    f.window.SetCharset("unicode");
    const QString large = f.WriteFont("large.bdf", LargeFont(20000));
    const QString small = f.WriteFont("small.bdf", SmallFont());
    f.window.OpenFile(large);
    f.window.OpenFile(small);
    QVERIFY(f.Settle());
    QCOMPARE(f.GlyphCount(), 3);
    // The large font's conversion ends later; it must not replace the small one.
    QTest::qWait(1500);
    QCOMPARE(f.GlyphCount(), 3);
  }

  void LargeSheetPaintsOnlyWhatShows() {
    Fixture f;
    f.window.SetCharset("unicode");
    f.window.OpenFile(f.WriteFont("large.bdf", LargeFont(20000)));
    QVERIFY(f.Settle());
    QCOMPARE(f.GlyphCount(), 20000);
    QCOMPARE(f.sheet->EntryAt(QPoint(f.sheet->width() - 3, f.sheet->height() - 3)).value_or(0),
             std::size_t{19999});
    auto* area = f.window.findChild<QScrollArea*>();
    QVERIFY(area != nullptr);
    QVERIFY(f.sheet->height() > 10 * area->viewport()->height());
    f.sheet->repaint();
    QTRY_VERIFY(f.sheet->lastPaintedCells() > 0);
    const int rowStep = f.sheet->height() / (20000 / 16);
    QVERIFY2(f.sheet->lastPaintedCells() <= 16 * (area->viewport()->height() / rowStep + 2),
             qPrintable(QString::number(f.sheet->lastPaintedCells())));
  }

  void PointerShowsTheGlyph() {
    Fixture f;
    f.window.SetCharset("unicode");
    f.window.OpenFile(f.WriteFont("small.bdf", SmallFont()));
    QVERIFY(f.Settle());
    f.zoom->setValue(8);
    // The third cell of the first row: あ, after A and B.
    int x = 0;
    while (x < f.sheet->width() && f.sheet->EntryAt(QPoint(x, 5)) != std::size_t{2}) ++x;
    QVERIFY(x < f.sheet->width());
    QMouseEvent move(QEvent::MouseMove, QPointF(x + 2, 5), f.sheet->mapToGlobal(QPointF(x + 2, 5)),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(f.sheet, &move);
    QCOMPARE(f.info->text(), QStringLiteral("code 0x3042  index 2  advance 4"));
  }

  void DroppedFileOpens() {
    Fixture f;
    f.window.SetCharset("unicode");
    const QString path = f.WriteFont("small.bdf", SmallFont());
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(path)});
    QDragEnterEvent enter({8, 8}, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&f.window, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop({8, 8}, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&f.window, &drop);
    QVERIFY(f.Settle());
    QCOMPARE(f.GlyphCount(), 3);
    QCOMPARE(f.document.path(), path);
  }
};

QTEST_MAIN(PreviewWindowTest)
#include "preview_window_test.moc"
