#include "ui/frmkelvane.h"

#include <QCoreApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMessageBox>
#include <QMimeData>
#include <QUrl>
#include <limits>

#include "ui/dialog_filter.h"
#include "ui/ui_font.h"

namespace kelvane {
namespace {

constexpr QSize kClientSize(331, 97);
const char kIdleCaption[] = "Convert";
const char kBusyCaption[] = "Processing ...";

// The path of the one local file the drag carries, or empty.
QString SingleLocalFile(const QMimeData* mime) {
  if (mime == nullptr || !mime->hasUrls()) return {};
  const QList<QUrl> urls = mime->urls();
  if (urls.size() != 1 || !urls.first().isLocalFile()) return {};
  return QDir::toNativeSeparators(urls.first().toLocalFile());
}

void MakeButton(QPushButton& button, const char* name, const char* caption) {
  button.setObjectName(QLatin1String(name));
  button.setText(QLatin1String(caption));
  button.setAutoDefault(false);
  button.setDefault(false);
}

}  // namespace

frmkelvane::frmkelvane(FileChooser chooser, QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      chooser_(std::move(chooser)),
      txtBdfFile_(this),
      cmdBdfFile_(this),
      cmdConvert_(this) {
  setObjectName(QStringLiteral("frmkelvane"));
  setWindowTitle(QStringLiteral("kelvane"));
  setFont(JapaneseUiFont());
  setFixedSize(kClientSize);
  setAcceptDrops(true);
  LayOutControls();
  connect(&cmdBdfFile_, &QPushButton::clicked, this, &frmkelvane::Browse);
  connect(&cmdConvert_, &QPushButton::clicked, this, &frmkelvane::Convert);
}

void frmkelvane::LayOutControls() {
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

void frmkelvane::Browse() {
  if (auto path = chooser_(this, QtFilterFromPipeList(QLatin1String(kBdfFileFilter)))) {
    txtBdfFile_.setText(*path);
  }
  QCoreApplication::processEvents();
}

void frmkelvane::Convert() { ConvertFile(txtBdfFile_.text().toStdString(), *this, lineState_); }

void frmkelvane::SetBusy(bool on) {
  if (on) {
    setCursor(Qt::WaitCursor);
    // The field keeps its own I-beam cursor unless told otherwise.
    txtBdfFile_.setCursor(Qt::WaitCursor);
  } else {
    unsetCursor();
    txtBdfFile_.setCursor(Qt::IBeamCursor);
  }
  cmdConvert_.setText(QLatin1String(on ? kBusyCaption : kIdleCaption));
  // The conversion holds the event loop, so paint the new caption now.
  cmdConvert_.repaint();
}

void frmkelvane::ShowError(const std::string& text) {
  QMessageBox box(QMessageBox::Warning, QStringLiteral("Error"), QString::fromStdString(text),
                  QMessageBox::Ok, this);
  box.exec();
}

void frmkelvane::dragEnterEvent(QDragEnterEvent* event) {
  if (!SingleLocalFile(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void frmkelvane::dropEvent(QDropEvent* event) {
  const QString path = SingleLocalFile(event->mimeData());
  if (path.isEmpty()) return;
  txtBdfFile_.setText(path);
  event->acceptProposedAction();
}

}  // namespace kelvane
