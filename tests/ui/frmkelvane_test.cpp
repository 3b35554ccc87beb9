#include <QApplication>
#include <QFontDatabase>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <optional>

#include "ui/dialog_filter.h"
#include "ui/frmkelvane.h"
#include "ui/ui_font.h"

namespace {

QByteArray Bdf(const char* registry) {
  return QByteArray(
             "STARTFONT 2.1\nFONT -test-fixed\nSIZE 8 75 75\nFONTBOUNDINGBOX 8 8 0 0\n"
             "STARTPROPERTIES 1\nCHARSET_REGISTRY \"") +
         registry +
         "\"\nENDPROPERTIES\nCHARS 1\nSTARTCHAR A\nENCODING 65\nSWIDTH 500 0\nDWIDTH 8 0\n"
         "BBX 8 8 0 0\nBITMAP\n18\n24\n42\n7E\n42\n42\n42\n00\nENDCHAR\nENDFONT\n";
}

void WriteFile(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
}

// One shown window over a scratch directory, with a stand-in for the Open dialog.
// It counts the window's cursor changes and notes, then closes, each message box.
struct Fixture : QObject {
  std::optional<QString> answer;
  QString filterSeen;
  QTemporaryDir dir;
  kelvane::frmkelvane window{[this](QWidget*, const QString& filter) {
    filterSeen = filter;
    return answer;
  }};
  QLineEdit* field = window.findChild<QLineEdit*>("txtBdfFile");
  QPushButton* browse = window.findChild<QPushButton*>("cmdBdfFile");
  QPushButton* convert = window.findChild<QPushButton*>("cmdConvert");
  int cursorChanges = 0;
  QStringList boxes;

  Fixture() {
    window.show();
    window.installEventFilter(this);
    startTimer(10);
  }
  QString Path(const QString& name) const { return dir.filePath(name); }
  bool eventFilter(QObject*, QEvent* event) override {
    cursorChanges += event->type() == QEvent::CursorChange;
    return false;
  }
  void timerEvent(QTimerEvent*) override {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr || !box->isVisible()) return;
    boxes << QStringLiteral("%1|%2|icon %3|%4|cursor %5")
                 .arg(box->windowTitle(), box->text())
                 .arg(box->icon())
                 .arg(convert->text())
                 .arg(window.cursor().shape());
    box->accept();
  }
};

}  // namespace

class FrmkelvaneTest : public QObject {
  Q_OBJECT

 private slots:
  void Window() {
    Fixture f;
    QCOMPARE(f.window.windowTitle(), QStringLiteral("kelvane"));
    QCOMPARE(f.window.minimumSize(), QSize(331, 97));
    QCOMPARE(f.window.maximumSize(), QSize(331, 97));
    QCOMPARE(f.window.windowType(), Qt::Dialog);
    QVERIFY(
        !(f.window.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
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
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("text");
    QTest::newRow("path field") << "txtBdfFile" << QRect(16, 8, 233, 18) << QString();
    QTest::newRow("browse") << "cmdBdfFile" << QRect(256, 8, 57, 17) << "BDF";
    QTest::newRow("convert") << "cmdConvert" << QRect(16, 40, 297, 49) << "Convert";
  }

  void Controls() {
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    QFETCH(QString, text);
    Fixture f;
    auto* widget = f.window.findChild<QWidget*>(name);
    QVERIFY(widget != nullptr);
    QCOMPARE(widget->geometry(), geometry);
    QCOMPARE(widget->property("text").toString(), text);
    if (auto* button = qobject_cast<QPushButton*>(widget)) {
      QVERIFY(!button->isDefault() && !button->autoDefault());
    }
  }

  void ConvertWithEmptyFieldDoesNothing() {
    Fixture f;
    QTest::mouseClick(f.convert, Qt::LeftButton);
    QTest::qWait(50);
    QCOMPARE(f.boxes, QStringList());
    QCOMPARE(f.cursorChanges, 0);
    QVERIFY(QDir(f.dir.path()).isEmpty());
  }

  void ConvertWritesFont_data() {
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("output");
    QTest::newRow("plain name") << "k8.bdf"
                                << "k8.kvn";
    QTest::newRow("trailing blank kept") << "k8.bdf "
                                         << "k8.kvn";
    QTest::newRow("Japanese name") << "東京ゴシック8.bdf"
                                   << "東京ゴシック8.kvn";
  }

  void ConvertWritesFont() {
    QFETCH(QString, input);
    QFETCH(QString, output);
    Fixture f;
    // Under the trimmed name lies a font that would be refused.
    WriteFile(f.Path(input.trimmed()), Bdf("ISO10646"));
    WriteFile(f.Path(input), Bdf("ISO8859"));
    f.field->setText(f.Path(input));
    QTest::mouseClick(f.convert, Qt::LeftButton);
    QCOMPARE(f.boxes, QStringList());
    QVERIFY(QFileInfo(f.Path(output)).size() > 0);
    QCOMPARE(f.convert->text(), QStringLiteral("Convert"));
  }

  void UnsupportedCharsetShowsWarningWhileBusy() {
    Fixture f;
    WriteFile(f.Path("bad.bdf"), Bdf("ISO10646"));
    f.field->setText(f.Path("bad.bdf"));
    QTest::mouseClick(f.convert, Qt::LeftButton);
    QCOMPARE(f.boxes, QStringList(QStringLiteral("Error|CHARSET is not support! [ISO10646]|icon %1|"
                                                 "Processing ...|cursor %2")
                                      .arg(QMessageBox::Warning)
                                      .arg(Qt::WaitCursor)));
    QCOMPARE(f.convert->text(), QStringLiteral("Convert"));
    QCOMPARE(f.window.cursor().shape(), Qt::ArrowCursor);
  }

  void Browse_data() {
    QTest::addColumn<std::optional<QString>>("answer");
    QTest::addColumn<QString>("fieldAfter");
    QTest::newRow("picked") << std::optional<QString>("/fonts/東京/k16.bdf")
                            << "/fonts/東京/k16.bdf";
    QTest::newRow("cancelled") << std::optional<QString>() << "typed before";
  }

  void Browse() {
    QFETCH(std::optional<QString>, answer);
    QFETCH(QString, fieldAfter);
    Fixture f;
    f.answer = answer;
    f.field->setText(QStringLiteral("typed before"));
    QTest::mouseClick(f.browse, Qt::LeftButton);
    QCOMPARE(f.filterSeen, QStringLiteral("Bdf files (*.bdf);;All Files (*.*)"));
    QCOMPARE(f.field->text(), fieldAfter);
  }

  void DropOfOneLocalFileFillsField() {
    Fixture f;
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile("/fonts/日本/k12.bdf")});
    QDragEnterEvent enter({8, 8}, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&f.window, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop({8, 8}, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&f.window, &drop);
    QCOMPARE(f.field->text(), QStringLiteral("/fonts/日本/k12.bdf"));
  }

  void PicksFirstAvailableFontFamily_data() {
    QTest::addColumn<QStringList>("available");
    QTest::addColumn<QString>("picked");
    QTest::newRow("first choice") << QStringList{"DejaVu Sans", "MS Gothic", "IPAGothic"}
                                  << "MS Gothic";
    QTest::newRow("later choice") << QStringList{"Noto Sans CJK JP", "IPAGothic"} << "IPAGothic";
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

QTEST_MAIN(FrmkelvaneTest)
#include "frmkelvane_test.moc"
