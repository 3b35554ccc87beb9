#include "main_window.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QMimeData>
#include <QUrl>
#include <limits>
#include <utility>

#include "dialog_filter.h"
#include "ui_font.h"

namespace kelvane {
namespace {

constexpr QSize kClientSize(331, 97);
const char kTitle[] = "kelvane";
const char kIdleCaption[] = "Convert";
const char kBusyCaption[] = "Processing ...";

// The file's path as bytes. A name is any bytes; the URL keeps those that are
// not UTF-8 percent-encoded, where toLocalFile() would turn them into U+FFFD.
std::string PathBytes(const QUrl& url) {
  if (!url.host().isEmpty()) return QFile::encodeName(url.toLocalFile()).toStdString();
  return QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()).toStdString();
}

void MakeButton(QPushButton& button, const char* name, const char* caption) {
  button.setObjectName(QLatin1String(name));
  button.setText(QLatin1String(caption));
  button.setAutoDefault(false);
  button.setDefault(false);
}

}  // namespace

MainWindow::MainWindow(FileChooser chooser, QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      chooser_(std::move(chooser)),
      txtBdfFile_(this),
      cmdBdfFile_(this),
      cmdConvert_(this) {
  setObjectName(QStringLiteral("frmkelvane"));
  setWindowTitle(QLatin1String(kTitle));
  setFont(JapaneseUiFont());
  setFixedSize(kClientSize);
  setAcceptDrops(true);
  LayOutControls();
  connect(&cmdBdfFile_, &QPushButton::clicked, this, &MainWindow::Browse);
  connect(&cmdConvert_, &QPushButton::clicked, this, &MainWindow::Convert);
  connect(&txtBdfFile_, &QLineEdit::returnPressed, this, &MainWindow::Convert);
}

void MainWindow::LayOutControls() {
  txtBdfFile_.setObjectName(QStringLiteral("txtBdfFile"));
  txtBdfFile_.setMaxLength(std::numeric_limits<int>::max());
  // Drops anywhere, the field included, go to the window, which takes file paths.
  txtBdfFile_.setAcceptDrops(false);
  txtBdfFile_.setGeometry(16, 8, 233, 18);
  MakeButton(cmdBdfFile_, "cmdBdfFile", "BDF");
  cmdBdfFile_.setGeometry(256, 8, 57, 17);
  MakeButton(cmdConvert_, "cmdConvert", kIdleCaption);
  cmdConvert_.setGeometry(16, 40, 297, 49);
  setTabOrder(&cmdBdfFile_, &cmdConvert_);
  setTabOrder(&cmdConvert_, &txtBdfFile_);
  cmdBdfFile_.setFocus();
}

void MainWindow::Browse() {
  if (auto path = chooser_(this, QtFilterFromPipeList(QLatin1String(kFontFileFilter)))) {
    txtBdfFile_.setText(*path);
  }
  QCoreApplication::processEvents();
}

void MainWindow::Convert() { conversion_.Start(PathToConvert()); }

std::string MainWindow::PathToConvert() const {
  const QString text = txtBdfFile_.text();
  if (dropped_ && text == dropped_->shown) return dropped_->path;
  return text.toStdString();
}

void MainWindow::SetBusy(bool on) {
  if (on) {
    setWindowTitle(QLatin1String(kTitle));
    setCursor(Qt::WaitCursor);
    // The field keeps its own I-beam cursor unless told otherwise.
    txtBdfFile_.setCursor(Qt::WaitCursor);
  } else {
    unsetCursor();
    txtBdfFile_.setCursor(Qt::IBeamCursor);
  }
  cmdConvert_.setText(QLatin1String(on ? kBusyCaption : kIdleCaption));
  // Painted now, so that a conversion that ends at once still shows it ran.
  cmdConvert_.repaint();
}

void MainWindow::ShowError(const std::string& text) {
  QMessageBox box(QMessageBox::Warning, QStringLiteral("Error"), QString(), QMessageBox::Ok, this);
  // Names from the font go into the text; they are not markup.
  box.setTextFormat(Qt::PlainText);
  box.setText(QString::fromStdString(text));
  box.exec();
}

void MainWindow::ShowDone(const ConversionSummary& summary) {
  const QString name = QFileInfo(QFile::decodeName(summary.outputPath.c_str())).fileName();
  // One arg() call, so that a "%1" in the name stays as it is.
  QString title = QStringLiteral("%1 - %2: %3 glyphs")
                      .arg(QLatin1String(kTitle), name, QString::number(summary.glyphCount));
  for (const Warning& warning : summary.warnings) {
    title += QStringLiteral("; ") + QString::fromStdString(warning.text);
  }
  setWindowTitle(title);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (conversion_.busy()) {
    conversion_.Stop();
    SetBusy(false);
  }
  QWidget::closeEvent(event);
}

std::optional<MainWindow::DroppedFile> MainWindow::SingleLocalFile(const QMimeData* mime) {
  if (mime == nullptr || !mime->hasUrls()) return std::nullopt;
  const QList<QUrl> urls = mime->urls();
  if (urls.size() != 1 || !urls.first().isLocalFile()) return std::nullopt;
  const QString shown = QDir::toNativeSeparators(urls.first().toLocalFile());
  if (shown.isEmpty()) return std::nullopt;
  return DroppedFile{shown, PathBytes(urls.first())};
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (SingleLocalFile(event->mimeData())) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
  auto file = SingleLocalFile(event->mimeData());
  if (!file) return;
  txtBdfFile_.setText(file->shown);
  dropped_ = std::move(file);
  event->acceptProposedAction();
}

}  // namespace kelvane
