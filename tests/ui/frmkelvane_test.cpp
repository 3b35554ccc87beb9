#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <optional>

#include "modal_box_watcher.h"
#include "ui/frmkelvane.h"

using kelvane::frmkelvane;

namespace {

const QByteArray kGlyphRows("\x18\x24\x42\x7E\x42\x42\x42\x00", 8);

QByteArray Bdf(const QByteArray& registryLine, const QByteArray& boxLine) {
  return "STARTFONT 2.1\nFONT -test-fixed\nSIZE 8 75 75\n" + boxLine + "STARTPROPERTIES 1\n" +
         registryLine +
         "ENDPROPERTIES\nCHARS 1\nSTARTCHAR A\nENCODING 65\nSWIDTH 500 0\nDWIDTH 8 0\n"
         "BBX 8 8 0 0\nBITMAP\n18\n24\n42\n7E\n42\n42\n42\n00\nENDCHAR\nENDFONT\n";
}
const QByteArray kBox("FONTBOUNDINGBOX 8 8 0 0\n");
const QByteArray kGoodBdf = Bdf("CHARSET_REGISTRY \"ISO8859\"\n", kBox);
const QByteArray kUnicodeBdf = Bdf("CHARSET_REGISTRY \"ISO10646\"\n", kBox);
const QByteArray kBoxlessBdf = Bdf("CHARSET_REGISTRY \"ISO8859\"\n", "");

void WriteFile(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
  QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray ReadFile(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList FilesIn(const QTemporaryDir& dir) {
  return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

class CursorChangeCounter : public QObject {
 public:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::CursorChange) ++count;
    return false;
  }
  int count = 0;
};

struct ChooserCall {
  QWidget* parent = nullptr;
  QString filter;
  bool earlierEventRan = false;
};

// A stand-in for the Open dialog: records each call and answers `answer`.
struct FakeChooser {
  std::optional<QString> answer;
  QList<ChooserCall> calls;
  bool pendingEventRan = false;

  kelvane::FileChooser Get() {
    return [this](QWidget* parent, const QString& filter) {
      calls.append({parent, filter, false});
      // Posted now; the window must have handled it by the time the click returns.
      QTimer::singleShot(0, [this] { pendingEventRan = true; });
      return answer;
    };
  }
};

// One shown window over a scratch directory.
struct Fixture {
  FakeChooser chooser;
  QTemporaryDir dir;
  frmkelvane window{chooser.Get()};
  QLineEdit* field = window.findChild<QLineEdit*>("txtBdfFile");
  QPushButton* browse = window.findChild<QPushButton*>("cmdBdfFile");
  QPushButton* convert = window.findChild<QPushButton*>("cmdConvert");

  Fixture() { window.show(); }
  QString Path(const QString& name) const { return dir.filePath(name); }
};

}  // namespace

class FrmkelvaneTest : public QObject {
  Q_OBJECT

 private slots:
  void WindowCaptionSizeAndFrame() {
    Fixture f;
    QVERIFY(QTest::qWaitForWindowExposed(&f.window));
    QCOMPARE(f.window.objectName(), QStringLiteral("frmkelvane"));
    QCOMPARE(f.window.windowTitle(), QStringLiteral("kelvane"));
    QCOMPARE(f.window.size(), QSize(331, 97));
    QCOMPARE(f.window.minimumSize(), QSize(331, 97));
    QCOMPARE(f.window.maximumSize(), QSize(331, 97));
    const Qt::WindowFlags flags = f.window.windowFlags();
    QCOMPARE(f.window.windowType(), Qt::Dialog);
    QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QVERIFY(flags & Qt::WindowTitleHint);
  }

  void Controls_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("text");
    QTest::newRow("path field") << "txtBdfFile" << QRect(16, 8, 233, 18) << QString();
    QTest::newRow("browse button") << "cmdBdfFile" << QRect(256, 8, 57, 17) << "BDF";
    QTest::newRow("convert button") << "cmdConvert" << QRect(16, 40, 297, 49) << "Convert";
  }

  void Controls() {
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    QFETCH(QString, text);
    Fixture f;
    auto* widget = f.window.findChild<QWidget*>(name);
    QVERIFY(widget != nullptr);
    QCOMPARE(widget->parentWidget(), &f.window);
    QVERIFY(widget->isVisible());
    QCOMPARE(widget->geometry(), geometry);
    QCOMPARE(widget->property("text").toString(), text);
    QCOMPARE(widget->font(), f.window.font());
    QCOMPARE(widget->font().pointSize(), 9);
    if (auto* button = qobject_cast<QPushButton*>(widget)) {
      QVERIFY(!button->isDefault());
      QVERIFY(!button->autoDefault());
    }
  }

  void TabOrderStartsAtBrowse() {
    Fixture f;
    QApplication::setActiveWindow(&f.window);
    QVERIFY(QTest::qWaitForWindowActive(&f.window));
    QCOMPARE(QApplication::focusWidget(), f.browse);
    const QList<QWidget*> order{f.convert, f.field, f.browse};
    for (QWidget* next : order) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      QCOMPARE(QApplication::focusWidget(), next);
    }
  }

  void EnterAndEscapeAreNotDefaultKeys() {
    Fixture f;
    QApplication::setActiveWindow(&f.window);
    QVERIFY(QTest::qWaitForWindowActive(&f.window));
    WriteFile(f.Path("a.bdf"), kGoodBdf);
    f.field->setText(f.Path("a.bdf"));
    f.field->setFocus();
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
      QTest::keyClick(f.field, key);
      QTest::keyClick(f.browse, key);
    }
    QVERIFY(!QFile::exists(f.Path("a.kvn")));
    QVERIFY(f.chooser.calls.isEmpty());
    QVERIFY(f.window.isVisible());
  }

  void FieldTakesLongTextTypingAndPasting() {
    Fixture f;
    const QString longPath = "/" + QString(40000, QLatin1Char('d')) + "/f.bdf";
    f.field->setText(longPath);
    QCOMPARE(f.field->text(), longPath);
    f.field->clear();
    QTest::keyClicks(f.field, "/tmp/x.bdf");
    QCOMPARE(f.field->text(), QStringLiteral("/tmp/x.bdf"));
    QGuiApplication::clipboard()->setText(QStringLiteral("/フォント/k16.bdf"));
    f.field->clear();
    f.field->paste();
    QCOMPARE(f.field->text(), QStringLiteral("/フォント/k16.bdf"));
  }

  void ConvertWithEmptyFieldDoesNothing() {
    Fixture f;
    CursorChangeCounter cursorChanges;
    f.window.installEventFilter(&cursorChanges);
    ModalBoxWatcher boxes(f.window);
    QTest::mouseClick(f.convert, Qt::LeftButton);
    QTest::qWait(50);
    QVERIFY(boxes.seen().isEmpty());
    QCOMPARE(cursorChanges.count, 0);
    QCOMPARE(f.convert->text(), QStringLiteral("Convert"));
    QVERIFY(FilesIn(f.dir).isEmpty());
  }

  void ConvertWritesFont_data() {
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("decoy");
    QTest::addColumn<QString>("output");
    QTest::newRow("plain name") << "k8.bdf" << QString() << "k8.kvn";
    // An unsupported font under the trimmed name shows a box if the blank is lost.
    QTest::newRow("trailing blank kept") << "k8.bdf "
                                         << "k8.bdf"
                                         << "k8.kvn";
    QTest::newRow("Japanese name") << "東京ゴシック8.bdf" << QString() << "東京ゴシック8.kvn";
  }

  void ConvertWritesFont() {
    QFETCH(QString, input);
    QFETCH(QString, decoy);
    QFETCH(QString, output);
    Fixture f;
    WriteFile(f.Path(input), kGoodBdf);
    if (!decoy.isEmpty()) WriteFile(f.Path(decoy), kUnicodeBdf);
    CursorChangeCounter cursorChanges;
    f.window.installEventFilter(&cursorChanges);
    ModalBoxWatcher boxes(f.window);

    f.field->setText(f.Path(input));
    QTest::mouseClick(f.convert, Qt::LeftButton);

    QVERIFY(boxes.seen().isEmpty());
    QVERIFY(ReadFile(f.Path(output)).endsWith(kGlyphRows));
    QCOMPARE(f.field->text(), f.Path(input));
    QCOMPARE(f.convert->text(), QStringLiteral("Convert"));
    QVERIFY(cursorChanges.count > 0);  // the wait cursor was shown and taken back
    QCOMPARE(f.window.cursor().shape(), Qt::ArrowCursor);
    QCOMPARE(f.field->cursor().shape(), Qt::IBeamCursor);
  }

  void RefusedFontShowsWarningWhileBusy_data() {
    QTest::addColumn<QByteArray>("bdf");
    QTest::addColumn<QString>("message");
    QTest::newRow("unsupported charset")
        << kUnicodeBdf << QStringLiteral("CHARSET is not support! [ISO10646]");
    QTest::newRow("no bounding box") << kBoxlessBdf << QStringLiteral("File is not support !");
  }

  void RefusedFontShowsWarningWhileBusy() {
    QFETCH(QByteArray, bdf);
    QFETCH(QString, message);
    Fixture f;
    WriteFile(f.Path("bad.bdf"), bdf);
    ModalBoxWatcher boxes(f.window);

    f.field->setText(f.Path("bad.bdf"));
    QTest::mouseClick(f.convert, Qt::LeftButton);

    QCOMPARE(boxes.seen().size(), 1);
    const SeenBox& box = boxes.seen().first();
    QCOMPARE(box.title, QStringLiteral("Error"));
    QCOMPARE(box.text, message);
    QCOMPARE(box.icon, QMessageBox::Warning);
    QCOMPARE(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QVERIFY(box.modal);
    QCOMPARE(box.convertCaption, QStringLiteral("Processing ..."));
    QCOMPARE(box.windowCursor, Qt::WaitCursor);
    QCOMPARE(box.fieldCursor, Qt::WaitCursor);

    QCOMPARE(f.convert->text(), QStringLiteral("Convert"));
    QCOMPARE(f.window.cursor().shape(), Qt::ArrowCursor);
    QCOMPARE(f.field->cursor().shape(), Qt::IBeamCursor);
    QCOMPARE(FilesIn(f.dir), QStringList{"bad.bdf"});
  }

  void Browse_data() {
    QTest::addColumn<std::optional<QString>>("answer");
    QTest::addColumn<QString>("fieldAfter");
    QTest::newRow("file chosen") << std::optional<QString>("/fonts/東京/k16.bdf")
                                 << "/fonts/東京/k16.bdf";
    QTest::newRow("cancelled") << std::optional<QString>() << "typed before";
  }

  void Browse() {
    QFETCH(std::optional<QString>, answer);
    QFETCH(QString, fieldAfter);
    Fixture f;
    f.chooser.answer = answer;
    f.field->setText(QStringLiteral("typed before"));

    QTest::mouseClick(f.browse, Qt::LeftButton);

    QCOMPARE(f.chooser.calls.size(), 1);
    QCOMPARE(f.chooser.calls.first().parent, &f.window);
    QCOMPARE(f.chooser.calls.first().filter, QStringLiteral("Bdf files (*.bdf);;All Files (*.*)"));
    QVERIFY(f.chooser.pendingEventRan);
    QCOMPARE(f.field->text(), fieldAfter);
  }

  void Drop_data() {
    QTest::addColumn<QList<QUrl>>("urls");
    QTest::addColumn<bool>("accepted");
    const QUrl local = QUrl::fromLocalFile("/fonts/日本/k12.bdf");
    QTest::newRow("one local file") << QList<QUrl>{local} << true;
    QTest::newRow("two files") << QList<QUrl>{local, QUrl::fromLocalFile("/fonts/k16.bdf")}
                               << false;
    QTest::newRow("remote file") << QList<QUrl>{QUrl("https://example.org/k12.bdf")} << false;
    QTest::newRow("no url") << QList<QUrl>{} << false;
  }

  void Drop() {
    QFETCH(QList<QUrl>, urls);
    QFETCH(bool, accepted);
    Fixture f;
    f.field->setText(QStringLiteral("before"));
    QMimeData mime;
    mime.setUrls(urls);
    mime.setText(QStringLiteral("plain text"));
    const QPoint at = f.field->geometry().center();

    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&f.window, &enter);
    QCOMPARE(enter.isAccepted(), accepted);
    QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&f.window, &drop);

    QCOMPARE(f.field->text(), accepted ? urls.first().toLocalFile() : QStringLiteral("before"));
    QVERIFY(!f.field->acceptDrops());
  }

  void ClosingWindowEndsEventLoop() {
    Fixture f;
    QVERIFY(QTest::qWaitForWindowExposed(&f.window));
    QSignalSpy lastClosed(qApp, &QGuiApplication::lastWindowClosed);
    QTimer::singleShot(0, &f.window, &QWidget::close);
    QTimer giveUp;
    giveUp.setSingleShot(true);
    QObject::connect(&giveUp, &QTimer::timeout, [] { QCoreApplication::exit(99); });
    giveUp.start(5000);
    QCOMPARE(QApplication::exec(), 0);
    QCOMPARE(lastClosed.size(), 1);
    QVERIFY(!f.window.isVisible());
  }
};

QTEST_MAIN(FrmkelvaneTest)
#include "frmkelvane_test.moc"
