#include "file_chooser.h"

#include <QDir>
#include <QFileDialog>

#include "dialog_filter.h"

namespace kelvane {

std::optional<QString> ChooseWithOpenDialog(QWidget* parent, const QString& qtFilter) {
  QFileDialog dialog(parent);
  dialog.setObjectName(QStringLiteral("cdlgBdfFile"));
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  // The bracketed patterns are hidden, so each entry reads as its own text.
  dialog.setOption(QFileDialog::HideNameFilterDetails);
  dialog.setNameFilters(DialogNameFilters(qtFilter));
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const QStringList files = dialog.selectedFiles();
  if (files.isEmpty()) return std::nullopt;
  return QDir::toNativeSeparators(files.first());
}

}  // namespace kelvane
