#include <QComboBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QTemporaryDir>
#include <QTest>

#include "ui/dialog_filter.h"

using kelvane::QtFilterFromPipeList;

class DialogFilterTest : public QObject {
  Q_OBJECT

 private slots:
  void ConvertsPipeList_data() {
    QTest::addColumn<QString>("pipe");
    QTest::addColumn<QString>("qt");
    QTest::newRow("the browse dialog's list")
        << QString::fromLatin1(kelvane::kBdfFileFilter)
        << QStringLiteral("Bdf files (*.bdf);;All Files (*.*)");
    QTest::newRow("single pair") << QStringLiteral("Fonts (*.bdf)|*.bdf")
                                 << QStringLiteral("Fonts (*.bdf)");
    QTest::newRow("patterns missing from description")
        << QStringLiteral("Fonts|*.bdf;*.pcf|Text|*.txt")
        << QStringLiteral("Fonts (*.bdf *.pcf);;Text (*.txt)");
    QTest::newRow("description naming other patterns")
        << QStringLiteral("Fonts (*.bdf)|*.pcf") << QStringLiteral("Fonts (*.bdf) (*.pcf)");
    QTest::newRow("description without patterns")
        << QStringLiteral("Fonts (*.bdf)") << QStringLiteral("Fonts (*.bdf)");
    QTest::newRow("pattern without description")
        << QStringLiteral("|*.bdf") << QStringLiteral("(*.bdf)");
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("empty pair in the middle")
        << QStringLiteral("A (*.a)|*.a|||B (*.b)|*.b") << QStringLiteral("A (*.a);;B (*.b)");
  }

  void ConvertsPipeList() {
    QFETCH(QString, pipe);
    QFETCH(QString, qt);
    QCOMPARE(QtFilterFromPipeList(pipe), qt);
  }

  void DialogEntriesKeepTextAndFilterByTrailingGroup_data() {
    QTest::addColumn<QString>("qt");
    QTest::addColumn<QStringList>("entries");
    QTest::newRow("the browse dialog's list")
        << QStringLiteral("Bdf files (*.bdf);;All Files (*.*)")
        << QStringList{"Bdf files (*.bdf) (*.bdf)", "All Files (*.*) (*)"};
    QTest::newRow("several patterns, one widened")
        << QStringLiteral("Fonts (*.bdf *.*)") << QStringList{"Fonts (*.bdf *.*) (*.bdf *)"};
    QTest::newRow("dot inside a pattern is kept")
        << QStringLiteral("Backups (*.*.bak)") << QStringList{"Backups (*.*.bak) (*.*.bak)"};
    QTest::newRow("no brackets matches all")
        << QStringLiteral("Anything") << QStringList{"Anything (*)"};
    QTest::newRow("empty") << QString() << QStringList{};
  }

  void DialogEntriesKeepTextAndFilterByTrailingGroup() {
    QFETCH(QString, qt);
    QFETCH(QStringList, entries);
    QCOMPARE(kelvane::DialogNameFilters(qt), entries);
  }

  // What the dialog makes of those entries: the text shown and the files listed.
  void QtDialogShowsEntryTextAndListsEveryFile() {
    QTemporaryDir dir;
    for (const char* name : {"k16.bdf", "README"}) {
      QFile file(dir.filePath(QLatin1String(name)));
      QVERIFY(file.open(QIODevice::WriteOnly));
    }
    QFileDialog dialog(nullptr, QString(), dir.path());
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setNameFilters(
        kelvane::DialogNameFilters(QStringLiteral("Bdf files (*.bdf);;All Files (*.*)")));
    auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    QVERIFY(types != nullptr);
    QCOMPARE(types->itemText(0), QStringLiteral("Bdf files (*.bdf)"));
    QCOMPARE(types->itemText(1), QStringLiteral("All Files (*.*)"));
    dialog.selectNameFilter(dialog.nameFilters().at(1));
    auto* model = dialog.findChild<QFileSystemModel*>();
    QVERIFY(model != nullptr);
    const QModelIndex root = model->index(dir.path());
    QTRY_COMPARE(model->rowCount(root), 2);
  }
};

QTEST_MAIN(DialogFilterTest)
#include "dialog_filter_test.moc"
