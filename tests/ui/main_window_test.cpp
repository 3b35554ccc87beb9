#include <sys/stat.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QFontDatabase>
#include <QMessageBox>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>
#include <optional>

#include "dialog_filter.h"
#include "main_window.h"
#include "slow_input.h"
#include "ui_font.h"

namespace {

// Writes a font of `glyphs` glyphs under the given CHARSET_REGISTRY, each
// glyph's two rows `rise` pixels above the baseline of its 8x8 box.
bool WriteBdf(const QString& path, const QByteArray& registry, int glyphs = 1, int rise = 0) {
  QByteArray bdf =
      "STARTFONT 2.1\nFONT f\nSIZE 8 75 75\nFONTBOUNDINGBOX 8 8 0 0\nSTARTPROPERTIES 1\n";
  bdf += "CHARSET_REGISTRY \"" + registry + "\"\nENDPROPERTIES\nCHARS " +
         QByteArray::number(glyphs) + "\n";
  for (int i = 0; i < glyphs; ++i)
    bdf += "STARTCHAR g\nENCODING " + QByteArray::number(65 + i) +
           "\nSWIDTH 500 0\nDWIDTH 8 0\nBBX 8 2 0 " + QByteArray::number(rise) +
           "\nBITMAP\n7E\n42\nENDCHAR\n";
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(bdf + "ENDFONT\n") > 0;
}

const char* Cursor(const QWidget& w) { return w.cursor().shape() == Qt::WaitCursor ? "wait" : "-"; }

// One shown window over a scratch directory, whose file chooser offers `pick`.
// It notes the window's state each time the Convert button is painted, and
// notes, then closes, each message box. Its timer ticks while the event loop runs.
struct Fixture : QObject {
  QTemporaryDir dir;
  std::optional<QString> pick;  // none cancels the chooser
  QStringList painted, boxes, filters;
  int ticks = 0;
  kelvane::MainWindow window{[this](QWidget*, const QString& filter) {
    filters << filter;
    return pick;
  }};
  QLineEdit* field = window.findChild<QLineEdit*>("txtBdfFile");
  QPushButton* convert = window.findChild<QPushButton*>("cmdConvert");

  Fixture() {
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    convert->installEventFilter(this);
    startTimer(10);
  }
  ~Fixture() override {
    // QTemporaryDir goes by QString names, which cannot spell every file name.
    std::error_code ignored;
    std::filesystem::remove_all(QFile::encodeName(dir.path()).toStdString(), ignored);
  }
  QString Path(const QString& name) const { return dir.filePath(name); }
  // Caption | window/field cursor | title.
  QString State() const {
    return QStringLiteral("%1 | %2/%3 | %4")
        .arg(convert->text(), Cursor(window), Cursor(*field), window.windowTitle());
  }
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) painted << State();
    return false;
  }
  void timerEvent(QTimerEvent*) override {
    ++ticks;
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr || !box->isVisible()) return;
    const bool warningOk = box->icon() == QMessageBox::Warning &&
                           box->standardButtons() == QMessageBox::Ok && box->buttons().size() == 1;
    const bool small = box->width() < 2000 && box->height() < 2000;
    boxes << box->windowTitle() + " | " + box->text() +
                 (warningOk ? " | warning, OK" : " | other") +
                 (box->textFormat() == Qt::PlainText ? " | plain text" : " | markup") +
                 (small ? " | small | " : " | oversized | ") + State();
    box->accept();
  }
  // Converts what the field holds, from the Convert button or by Enter in the field.
  void Convert(const QString& path, bool byEnter) {
    if (!path.isNull()) field->setText(path);
    painted.clear();
    if (byEnter) return QTest::keyClick(field, Qt::Key_Return);
    QTest::mouseClick(convert, Qt::LeftButton);
  }
  // Waits until the conversion has ended and its outcome is shown.
  bool Settle() const {
    return QTest::qWaitFor([this] { return convert->text() == "Convert"; }, 20000);
  }
  // Drags the URLs over the window and drops them, even when the drag was
  // refused; returns whether it was accepted.
  bool Drop(const QList<QUrl>& urls) {
    QMimeData mime;
    mime.setUrls(urls);
    QDragEnterEvent enter({8, 8}, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    enter.ignore();
    QCoreApplication::sendEvent(&window, &enter);
    QDropEvent drop({8, 8}, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &drop);
    return enter.isAccepted();
  }
};

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void ConvertWritesFontBeside_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("glyphs");
    QTest::addColumn<int>("rise");
    QTest::addColumn<QString>("warnings");  // told after the glyph count
    QTest::newRow("plain") << "k8" << 1 << 0 << "";
    QTest::newRow("Japanese") << "東京ゴシック8" << 3 << 0 << "";
    QTest::newRow("percent sign") << "50%3" << 2 << 0 << "";
    QTest::newRow("pixels cut")
        << "k8" << 2 << 7
        << "; 2 glyphs have pixels outside FONTBOUNDINGBOX 8 8 0 0; those pixels were cut";
  }

  void ConvertWritesFontBeside() {
    QFETCH(QString, name);
    QFETCH(int, glyphs);
    QFETCH(int, rise);
    QFETCH(QString, warnings);
    Fixture f;
    QVERIFY(WriteBdf(f.Path(name + ".bdf"), "ISO8859", glyphs, rise));
    const QString done =
        QStringLiteral("kelvane - %1.kvn: %2 glyphs").arg(name, QString::number(glyphs)) + warnings;
    for (bool byEnter : {false, true}) {
      QFile::remove(f.Path(name + ".kvn"));
      f.Convert(f.Path(name + ".bdf"), byEnter);
      QVERIFY(f.Settle());
      QCOMPARE(f.boxes, QStringList());
      QVERIFY(QFileInfo(f.Path(name + ".kvn")).size() > 0);
      // Painted busy while converting, under the plain title even after a conversion.
      QVERIFY(f.painted.contains("Processing ... | wait/wait | kelvane"));
      QCOMPARE(f.State(), "Convert | -/- | " + done);
    }
  }

  void RefusalShowsLiteralText_data() {
    QTest::addColumn<QByteArray>("registry");  // none: a FIFO with no writer instead of a font
    QTest::addColumn<QString>("text");  // %1 stands for the input's path, %2 for the registry
    // A character set that an output code set maps is named with the remedy.
    QTest::newRow("charset") << QByteArray("ISO10646")
                             << "CHARSET is not support! [%2] (kelvane-preview or bdf2kvn "
                                "--charset maps it)";
    QTest::newRow("huge image markup")
        << QByteArray("<img src=x width=99999 height=99999>") << "CHARSET is not support! [%2]";
    QTest::newRow("FIFO") << QByteArray() << "Cannot open file! [%1] (not a regular file)";
  }

  void RefusalShowsLiteralText() {
    QFETCH(QByteArray, registry);
    QFETCH(QString, text);
    Fixture f;
    const QString path = f.Path("in.bdf");
    if (!registry.isNull()) QVERIFY(WriteBdf(path, registry));
    if (registry.isNull()) QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    f.Convert(path, false);
    QVERIFY(f.Settle());
    QCOMPARE(f.boxes, QStringList("Error | " + text.replace("%1", path).replace("%2", registry) +
                                  " | warning, OK | plain text | small | Processing ... | "
                                  "wait/wait | kelvane"));
  }

  // Fonts that need an option are refused, naming what converts them; nothing is written.
  void RefusesFontsThatNeedOptions_data() {
    QTest::addColumn<QString>("font");
    QTest::addColumn<QString>("text");
    QTest::newRow("outline") << "grid.ttf"
                             << "File is not support ! (an outline font: kelvane-preview or "
                                "bdf2kvn --size converts it)";
    QTest::newRow("sizes") << "sizes.otb"
                           << "File is not support ! (its sizes are 8, 16 pixels; "
                              "kelvane-preview or bdf2kvn --size chooses one)";
  }
  void RefusesFontsThatNeedOptions() {
    QFETCH(QString, font);
    QFETCH(QString, text);
    Fixture f;
    QVERIFY(QFile::copy(QStringLiteral(TYPEFACE_FONTS "/") + font, f.Path(font)));
    f.Convert(f.Path(font), false);
    QVERIFY(f.Settle());
    QCOMPARE(f.boxes.size(), 1);
    QCOMPARE(QDir(f.dir.path()).entryList(QDir::Files), QStringList(font));
    QCOMPARE(f.boxes.first().section(QStringLiteral(" | "), 1, 1), text);
  }

  void Drops() {
    Fixture f;
    // A dropped file named by bytes that are not UTF-8.
    const std::string dir = QFile::encodeName(f.dir.path()).toStdString() + "/";
    QVERIFY(WriteBdf(f.Path("k8.bdf"), "ISO8859"));
    std::filesystem::copy_file(dir + "k8.bdf", dir + "f\xff.bdf");
    const QByteArray dropped = QByteArray::fromStdString(dir + "f\xff.bdf");
    QVERIFY(f.Drop({QUrl::fromEncoded("file://" + dropped.toPercentEncoding("/"))}));
    f.Convert(QString(), false);
    QVERIFY(f.Settle());
    QCOMPARE(f.boxes, QStringList());
    QVERIFY(std::filesystem::file_size(dir + "f\xff.kvn") > 0);
    // Once edited, the field's own text is converted, not the dropped file.
    f.Convert(f.Path("k8.bdf"), false);
    QVERIFY(f.Settle());
    QCOMPARE(f.boxes, QStringList());
    QVERIFY(QFileInfo::exists(f.Path("k8.kvn")));
    f.field->setText(QStringLiteral("typed"));
    QVERIFY(!f.Drop({QUrl::fromLocalFile("/fonts/a.bdf"), QUrl::fromLocalFile("/fonts/b.bdf")}));
    QVERIFY(!f.Drop({QUrl(QStringLiteral("https://example.com/k12.bdf"))}));
    QCOMPARE(f.field->text(), QStringLiteral("typed"));
  }

  // A long conversion leaves the window answering and refuses a second one;
  // closing the window stops it, and nothing is written.
  void LongConversionEndsWithTheWindow() {
    Fixture f;
    const std::string slow = QFile::encodeName(f.Path("slow.bdf.gz")).toStdString();
    QVERIFY(kelvane::test::WriteSlowBdf(slow));
    QVERIFY(WriteBdf(f.Path("k8.bdf"), "ISO8859"));
    f.Convert(f.Path("slow.bdf.gz"), false);
    QVERIFY(QTest::qWaitFor([&] { return kelvane::test::OpenCount(slow) > 0; }, 5000));
    const int ticks = f.ticks;
    QTest::qWait(200);
    QVERIFY(f.ticks > ticks + 5);
    QVERIFY(f.painted.contains("Processing ... | wait/wait | kelvane"));
    f.Convert(f.Path("k8.bdf"), false);
    QTest::qWait(100);
    QCOMPARE(f.State(), "Processing ... | wait/wait | kelvane");

    QElapsedTimer timer;
    timer.start();
    f.window.close();
    // Stopped and waited for: read to its end, the file takes many seconds.
    QVERIFY2(timer.elapsed() < 5000, qPrintable(QString::number(timer.elapsed())));
    QCOMPARE(kelvane::test::OpenCount(slow), 0);
    QTest::qWait(100);  // an outcome on its way would be shown now
    QCOMPARE(QDir(f.dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList({"k8.bdf", "slow.bdf.gz"}));
    QCOMPARE(f.State(), "Convert | -/- | kelvane");
    QCOMPARE(f.boxes, QStringList());
  }

  void BrowseFillsFieldFromChooser() {
    Fixture f;
    f.field->setText(QStringLiteral("typed"));
    auto* browse = f.window.findChild<QPushButton*>("cmdBdfFile");
    QTest::mouseClick(browse, Qt::LeftButton);  // cancelled
    QCOMPARE(f.field->text(), QStringLiteral("typed"));
    f.pick = QStringLiteral("/fonts/東京ゴシック.bdf");
    QTest::mouseClick(browse, Qt::LeftButton);
    QCOMPARE(f.field->text(), *f.pick);
    // The first two entries as they have always been, then every kind of font read.
    const QString fonts =
        "(*.bdf *.bdf.gz *.pcf *.pcf.gz *.ttf *.otf *.otb *.ttc *.otc *.woff *.woff2 *.fnt *.fon "
        "*.hex *.psf *.psf.gz *.psfu *.psfu.gz)";
    QCOMPARE(f.filters,
             QStringList(2, "Bdf files (*.bdf *.bdf.gz);;All Files (*.*);;All fonts " + fonts));
    // The dialog shows each entry with its patterns again, "*.*" widened to "*" for dotless names.
    QCOMPARE(kelvane::DialogNameFilters(f.filters.first()),
             QStringList({"Bdf files (*.bdf *.bdf.gz) (*.bdf *.bdf.gz)", "All Files (*.*) (*)",
                          "All fonts " + fonts + " " + fonts}));
  }

  // Also run alone with no fonts installed, where the system font must serve.
  void UiFont() {
    QCOMPARE(kelvane::PickFontFamily({"MS Gothic", "IPAGothic"}, {"ipagothic", "ms gothic"}),
             QStringLiteral("ms gothic"));
    const QString wanted =
        kelvane::PickFontFamily(kelvane::PreferredUiFamilies(), QFontDatabase::families());
    if (qEnvironmentVariableIsSet("KELVANE_TEST_NO_FONTS")) QVERIFY(wanted.isEmpty());
    QCOMPARE(kelvane::JapaneseUiFont().family(),
             wanted.isEmpty() ? QApplication::font().family() : wanted);
  }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
