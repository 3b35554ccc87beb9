#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFontDatabase>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "dialog_filter.h"
#include "main_window.h"
#include "ui_font.h"

namespace {

// A font of `glyphs` glyphs under the given CHARSET_REGISTRY.
QByteArray Bdf(const QByteArray& registry, int glyphs = 1) {
  QByteArray bdf =
      "STARTFONT 2.1\nFONT -test-fixed\nSIZE 8 75 75\nFONTBOUNDINGBOX 8 8 0 0\n"
      "STARTPROPERTIES 1\nCHARSET_REGISTRY \"" +
      registry + "\"\nENDPROPERTIES\nCHARS " + QByteArray::number(glyphs) + "\n";
  for (int i = 0; i < glyphs; ++i) {
    bdf += "STARTCHAR g" + QByteArray::number(i) + "\nENCODING " + QByteArray::number(65 + i) +
           "\nSWIDTH 500 0\nDWIDTH 8 0\nBBX 8 8 0 0\nBITMAP\n18\n24\n42\n7E\n42\n42\n42\n00\n"
           "ENDCHAR\n";
  }
  return bdf + "ENDFONT\n";
}

void WriteFile(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
}

// What a message box shows, and the window behind it, in one line.
QString Describe(const QMessageBox& box, const kelvane::MainWindow& window,
                 const QPushButton& convert) {
  const bool okOnly = box.standardButtons() == QMessageBox::Ok && box.buttons().size() == 1;
  return QStringList{box.windowTitle(),
                     box.text(),
                     box.icon() == QMessageBox::Warning ? "warning" : "other icon",
                     okOnly ? "OK" : "other buttons",
                     box.textFormat() == Qt::PlainText ? "plain text" : "markup",
                     convert.text(),
                     window.cursor().shape() == Qt::WaitCursor ? "wait cursor" : "other cursor",
                     window.windowTitle()}
      .join(" | ");
}

// The one warning a refused conversion should show, described as above.
QString Warning(const QString& text) {
  return QStringList{"Error",          text,          "warning", "OK", "plain text",
                     "Processing ...", "wait cursor", "kelvane"}
      .join(" | ");
}

// One shown window over a scratch directory. It counts the window's cursor
// changes, and notes, then closes, each message box and Open dialog.
struct Fixture : QObject {
  QTemporaryDir dir;
  kelvane::MainWindow window;
  QLineEdit* field = window.findChild<QLineEdit*>("txtBdfFile");
  QPushButton* browse = window.findChild<QPushButton*>("cmdBdfFile");
  QPushButton* convert = window.findChild<QPushButton*>("cmdConvert");
  int cursorChanges = 0;
  QStringList boxes;
  QList<QSize> boxSizes;
  QStringList dialogs;  // name and filters of each Open dialog
  QString dialogPick;   // what the Open dialog picks; empty cancels it

  Fixture() {
    window.show();
    window.installEventFilter(this);
    startTimer(10);
  }
  ~Fixture() override {
    // QTemporaryDir goes by QString names, which cannot spell every file name.
    std::error_code ignored;
    std::filesystem::remove_all(QFile::encodeName(dir.path()).toStdString(), ignored);
  }
  QString Path(const QString& name) const { return dir.filePath(name); }
  bool eventFilter(QObject*, QEvent* event) override {
    cursorChanges += event->type() == QEvent::CursorChange;
    return false;
  }
  void timerEvent(QTimerEvent*) override {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr || !modal->isVisible()) return;
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
      boxes << Describe(*box, window, *convert);
      boxSizes << box->size();
      box->accept();
    } else if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
      dialogs << dialog->objectName() + ": " + dialog->nameFilters().join(";;");
      if (dialogPick.isEmpty()) {
        dialog->reject();
      } else {
        dialog->selectFile(dialogPick);
        static_cast<QDialog*>(dialog)->accept();  // as its Open button does
      }
    }
  }
  void Trigger(bool byReturn) {
    if (byReturn) {
      QTest::keyClick(field, Qt::Key_Return);
    } else {
      QTest::mouseClick(convert, Qt::LeftButton);
    }
  }
};

#ifndef _WIN32
// The file-system bytes of a path in `dir`; on POSIX any bytes but "/" and NUL.
std::string NativePath(const QTemporaryDir& dir, const std::string& name) {
  return QFile::encodeName(dir.path()).toStdString() + "/" + name;
}

// A drag and drop of the one local file whose path is these bytes.
void DropLocalFile(QWidget& target, const std::string& path) {
  QMimeData mime;
  const QByteArray bytes(path.data(), static_cast<qsizetype>(path.size()));
  mime.setUrls({QUrl::fromEncoded("file://" + bytes.toPercentEncoding("/"))});
  QDragEnterEvent enter({8, 8}, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&target, &enter);
  QVERIFY(enter.isAccepted());
  QDropEvent drop({8, 8}, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&target, &drop);
}

// While it lives, opens the writing end of a FIFO, without waiting, whenever
// someone has the reading end open, and counts how often it did. A reader that
// opened the FIFO is stuck until a writer comes; this lets it go, so a test of
// that fault fails instead of hanging.
class FifoWriterWatch {
 public:
  explicit FifoWriterWatch(std::string path)
      : thread_([this, path = std::move(path)](std::stop_token stop) {
          while (!stop.stop_requested()) {
            const int fd = open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            if (fd >= 0) {
              ++readersSeen_;
              close(fd);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
          }
        }) {}
  int ReadersSeen() const { return readersSeen_; }

 private:
  std::atomic<int> readersSeen_{0};
  std::jthread thread_;
};
#endif

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void Window() {
    Fixture f;
    QCOMPARE(f.window.objectName(), QStringLiteral("frmkelvane"));
    QCOMPARE(f.window.windowTitle(), QStringLiteral("kelvane"));
    QCOMPARE(f.window.minimumSize(), f.window.maximumSize());
    QCOMPARE(f.window.windowType(), Qt::Dialog);
    QVERIFY(
        !(f.window.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    // Every control is wholly inside the window, and none covers another.
    const QList<QWidget*> controls{f.field, f.browse, f.convert};
    for (QWidget* control : controls) {
      QVERIFY(f.window.rect().contains(control->geometry()));
      for (QWidget* other : controls) {
        QVERIFY(control == other || !control->geometry().intersects(other->geometry()));
      }
    }
    // Typing order and focus at start.
    f.window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&f.window));
    for (QWidget* next : QList<QWidget*>{f.browse, f.convert, f.field, f.browse}) {
      QCOMPARE(QApplication::focusWidget(), next);
      QTest::keyClick(next, Qt::Key_Tab);
    }
    const QString longPath = QString(40000, QLatin1Char('d'));
    f.field->setText(longPath);
    QCOMPARE(f.field->text(), longPath);
  }

  void Controls_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::newRow("path field") << "txtBdfFile" << QString();
    QTest::newRow("browse") << "cmdBdfFile"
                            << "BDF";
    QTest::newRow("convert") << "cmdConvert"
                             << "Convert";
  }

  void Controls() {
    QFETCH(QString, name);
    QFETCH(QString, text);
    Fixture f;
    auto* widget = f.window.findChild<QWidget*>(name);
    QVERIFY(widget != nullptr);
    QCOMPARE(widget->property("text").toString(), text);
    if (auto* button = qobject_cast<QPushButton*>(widget)) {
      QVERIFY(!button->isDefault() && !button->autoDefault());
    }
  }

  void EmptyFieldDoesNothing_data() {
    QTest::addColumn<bool>("byReturn");
    QTest::newRow("Convert clicked") << false;
    QTest::newRow("Return in the field") << true;
  }

  void EmptyFieldDoesNothing() {
    QFETCH(bool, byReturn);
    Fixture f;
    f.Trigger(byReturn);
    QTest::qWait(50);
    QCOMPARE(f.boxes, QStringList());
    QCOMPARE(f.cursorChanges, 0);
    QCOMPARE(f.window.windowTitle(), QStringLiteral("kelvane"));
    QVERIFY(QDir(f.dir.path()).isEmpty());
  }

  void ConvertWritesFont_data() {
    QTest::addColumn<QString>("input");
    QTest::addColumn<int>("glyphs");
    QTest::addColumn<bool>("byReturn");
    QTest::addColumn<QString>("output");
    QTest::addColumn<QString>("title");
    QTest::newRow("plain name") << "k8.bdf" << 1 << false << "k8.kvn"
                                << "kelvane - k8.kvn: 1 glyphs";
    QTest::newRow("Return in the field") << "k8.bdf" << 2 << true << "k8.kvn"
                                         << "kelvane - k8.kvn: 2 glyphs";
    QTest::newRow("trailing blank kept") << "k8.bdf " << 1 << false << "k8.kvn"
                                         << "kelvane - k8.kvn: 1 glyphs";
    QTest::newRow("Japanese name") << "東京ゴシック8.bdf" << 3 << false << "東京ゴシック8.kvn"
                                   << "kelvane - 東京ゴシック8.kvn: 3 glyphs";
    QTest::newRow("no extension, dotted folder") << "v1.2/k16" << 4 << false << "v1.2/k16.kvn"
                                                 << "kelvane - k16.kvn: 4 glyphs";
    QTest::newRow("percent sign in name") << "50%3.bdf" << 2 << true << "50%3.kvn"
                                          << "kelvane - 50%3.kvn: 2 glyphs";
  }

  void ConvertWritesFont() {
    QFETCH(QString, input);
    QFETCH(int, glyphs);
    QFETCH(bool, byReturn);
    QFETCH(QString, output);
    QFETCH(QString, title);
    Fixture f;
    QVERIFY(QDir(f.dir.path()).mkpath(QFileInfo(f.Path(input)).path()));
    // Under the trimmed name lies a font that would be refused.
    WriteFile(f.Path(input.trimmed()), Bdf("ISO10646"));
    WriteFile(f.Path(input), Bdf("ISO8859", glyphs));
    f.field->setText(f.Path(input));
    f.Trigger(byReturn);
    QCOMPARE(f.boxes, QStringList());
    QVERIFY(QFileInfo(f.Path(output)).size() > 0);
    QCOMPARE(f.convert->text(), QStringLiteral("Convert"));
    QCOMPARE(f.window.cursor().shape(), Qt::ArrowCursor);
    QCOMPARE(f.window.windowTitle(), title);

    // The next conversion starts under the plain title again.
    WriteFile(f.Path("bad.bdf"), Bdf("ISO10646"));
    f.field->setText(f.Path("bad.bdf"));
    f.Trigger(byReturn);
    QCOMPARE(f.boxes, QStringList(Warning("CHARSET is not support! [ISO10646]")));
    QCOMPARE(f.window.windowTitle(), QStringLiteral("kelvane"));
  }

  void RefusedCharsetShowsNameAsText_data() {
    QTest::addColumn<QByteArray>("registry");
    QTest::newRow("plain") << QByteArray("ISO10646");
    QTest::newRow("heading markup") << QByteArray("<h1>Converted OK</h1>");
    QTest::newRow("huge image markup") << QByteArray("<img src=x width=99999 height=99999>");
  }

  void RefusedCharsetShowsNameAsText() {
    QFETCH(QByteArray, registry);
    Fixture f;
    WriteFile(f.Path("bad.bdf"), Bdf(registry));
    f.field->setText(f.Path("bad.bdf"));
    QTest::mouseClick(f.convert, Qt::LeftButton);
    QCOMPARE(f.boxSizes.size(), 1);
    QVERIFY2(f.boxSizes.first().width() < 2000 && f.boxSizes.first().height() < 2000,
             qPrintable(QStringLiteral("box of %1x%2")
                            .arg(f.boxSizes.first().width())
                            .arg(f.boxSizes.first().height())));
    QCOMPARE(f.boxes,
             QStringList(Warning("CHARSET is not support! [" + QString::fromUtf8(registry) + "]")));
    QCOMPARE(f.convert->text(), QStringLiteral("Convert"));
    QCOMPARE(f.window.cursor().shape(), Qt::ArrowCursor);
    QVERIFY(!QFileInfo::exists(f.Path("bad.kvn")));
  }

  void FifoIsRefusedWithoutWaiting() {
#ifdef _WIN32
    QSKIP("No FIFOs in the file system on Windows");
#else
    Fixture f;
    const QString fifo = f.Path("pipe.bdf");
    QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    FifoWriterWatch watch(QFile::encodeName(fifo).toStdString());
    f.field->setText(fifo);
    QTest::mouseClick(f.convert, Qt::LeftButton);
    QCOMPARE(watch.ReadersSeen(), 0);
    QCOMPARE(f.boxes,
             QStringList(Warning("Cannot open file! [" + fifo + "] (not a regular file)")));
    QCOMPARE(f.convert->text(), QStringLiteral("Convert"));
#endif
  }

  void Browse_data() {
    QTest::addColumn<bool>("pick");
    QTest::newRow("file picked") << true;
    QTest::newRow("cancelled") << false;
  }

  void Browse() {
    QFETCH(bool, pick);
    Fixture f;
    const QString font = f.Path("東京ゴシック.bdf");
    WriteFile(font, Bdf("ISO8859"));
    if (pick) f.dialogPick = font;
    f.field->setText(QStringLiteral("typed before"));
    QTest::mouseClick(f.browse, Qt::LeftButton);
    QCOMPARE(f.dialogs, QStringList("cdlgBdfFile: Bdf files (*.bdf) (*.bdf);;All Files (*.*) (*)"));
    QCOMPARE(f.field->text(), pick ? QDir::toNativeSeparators(font) : "typed before");
  }

  void DialogFilters_data() {
    QTest::addColumn<QString>("pipeList");
    QTest::addColumn<QString>("qtFilter");
    QTest::addColumn<QStringList>("dialogFilters");
    QTest::newRow("the window's list")
        << kelvane::kBdfFileFilter << "Bdf files (*.bdf);;All Files (*.*)"
        << QStringList{"Bdf files (*.bdf) (*.bdf)", "All Files (*.*) (*)"};
    QTest::newRow("patterns not in the description")
        << "Fonts|*.bdf;*.pcf"
        << "Fonts (*.bdf *.pcf)" << QStringList{"Fonts (*.bdf *.pcf) (*.bdf *.pcf)"};
    QTest::newRow("empty entries dropped") << "|*.bdf||"
                                           << "(*.bdf)" << QStringList{"(*.bdf) (*.bdf)"};
  }

  void DialogFilters() {
    QFETCH(QString, pipeList);
    QFETCH(QString, qtFilter);
    QFETCH(QStringList, dialogFilters);
    QCOMPARE(kelvane::QtFilterFromPipeList(pipeList), qtFilter);
    QCOMPARE(kelvane::DialogNameFilters(qtFilter), dialogFilters);
  }

  void Drag_data() {
    QTest::addColumn<QList<QUrl>>("urls");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QString>("fieldAfter");
    QTest::newRow("one local file") << QList<QUrl>{QUrl::fromLocalFile("/fonts/日本/k12.bdf")}
                                    << true << QDir::toNativeSeparators("/fonts/日本/k12.bdf");
    QTest::newRow("two local files")
        << QList<QUrl>{QUrl::fromLocalFile("/fonts/a.bdf"), QUrl::fromLocalFile("/fonts/b.bdf")}
        << false << "typed before";
    QTest::newRow("web address") << QList<QUrl>{QUrl("https://example.com/k12.bdf")} << false
                                 << "typed before";
  }

  void Drag() {
    QFETCH(QList<QUrl>, urls);
    QFETCH(bool, accepted);
    QFETCH(QString, fieldAfter);
    Fixture f;
    f.field->setText(QStringLiteral("typed before"));
    QMimeData mime;
    mime.setUrls(urls);
    QDragEnterEvent enter({8, 8}, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    enter.ignore();
    QCoreApplication::sendEvent(&f.window, &enter);
    QCOMPARE(enter.isAccepted(), accepted);
    QDropEvent drop({8, 8}, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&f.window, &drop);
    QCOMPARE(f.field->text(), fieldAfter);
  }

  void DroppedFileConverts_data() {
    QTest::addColumn<std::string>("name");
    QTest::addColumn<bool>("editedAfterDrop");
    QTest::addColumn<std::string>("written");
    QTest::addColumn<std::string>("notWritten");
    QTest::newRow("name not UTF-8")
        << std::string("f\xff.bdf") << false << std::string("f\xff.kvn") << std::string("k8.kvn");
    QTest::newRow("Japanese name, blank and #")
        << std::string("東京 #1.bdf") << false << std::string("東京 #1.kvn")
        << std::string("k8.kvn");
    QTest::newRow("field edited after the drop")
        << std::string("f\xff.bdf") << true << std::string("k8.kvn") << std::string("f\xff.kvn");
  }

  void DroppedFileConverts() {
#ifdef _WIN32
    QSKIP("Paths are dropped as POSIX bytes here");
#else
    QFETCH(std::string, name);
    QFETCH(bool, editedAfterDrop);
    QFETCH(std::string, written);
    QFETCH(std::string, notWritten);
    Fixture f;
    const std::string dropped = NativePath(f.dir, name);
    const QByteArray font = Bdf("ISO8859");
    std::ofstream(dropped, std::ios::binary).write(font.constData(), font.size());
    WriteFile(f.Path("k8.bdf"), font);
    DropLocalFile(f.window, dropped);
    QVERIFY(f.field->text().endsWith(QStringLiteral(".bdf")));
    if (editedAfterDrop) f.field->setText(f.Path("k8.bdf"));
    QTest::mouseClick(f.convert, Qt::LeftButton);
    QCOMPARE(f.boxes, QStringList());
    std::error_code error;
    const auto size = std::filesystem::file_size(NativePath(f.dir, written), error);
    QVERIFY(!error && size > 0);
    QVERIFY(!std::filesystem::exists(NativePath(f.dir, notWritten)));
#endif
  }

  void PicksFirstAvailableFontFamily_data() {
    QTest::addColumn<QStringList>("available");
    QTest::addColumn<QString>("picked");
    QTest::newRow("first choice") << QStringList{"DejaVu Sans", "MS Gothic", "IPAGothic"}
                                  << "MS Gothic";
    QTest::newRow("later choice") << QStringList{"Noto Sans CJK JP", "IPAGothic"} << "IPAGothic";
    QTest::newRow("other case") << QStringList{"ipagothic"} << "ipagothic";
    QTest::newRow("none") << QStringList{"DejaVu Sans"} << QString();
  }

  void PicksFirstAvailableFontFamily() {
    QFETCH(QStringList, available);
    QFETCH(QString, picked);
    QCOMPARE(kelvane::PickFontFamily({"MS Gothic", "IPAGothic", "Noto Sans CJK JP"}, available),
             picked);
  }

  void UiFont() {
    const QString wanted =
        kelvane::PickFontFamily(kelvane::PreferredUiFamilies(), QFontDatabase::families());
    if (qEnvironmentVariableIsSet("KELVANE_TEST_NO_FONTS")) QVERIFY(wanted.isEmpty());
    QCOMPARE(kelvane::JapaneseUiFont().family(),
             wanted.isEmpty() ? QApplication::font().family() : wanted);
  }

  void ClosingWindowEndsEventLoop() {
    Fixture f;
    QTimer::singleShot(0, &f.window, &QWidget::close);
    QTimer::singleShot(5000, &f.window, [] { QCoreApplication::exit(99); });
    QCOMPARE(QApplication::exec(), 0);
  }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
