// The program's one window: a path field, a browse button and a convert button.
#pragma once

#include <QLineEdit>
#include <QPushButton>
#include <QString>
#include <QWidget>
#include <optional>
#include <string>

#include "convert_file.h"
#include "file_chooser.h"

class QCloseEvent;
class QDragEnterEvent;
class QDropEvent;
class QMimeData;

namespace kelvane {

class MainWindow : public QWidget, public ConversionHost {
  Q_OBJECT

 public:
  explicit MainWindow(FileChooser chooser = ChooseWithOpenDialog, QWidget* parent = nullptr);

  // Busy also puts back the plain title, dropping the last conversion's result.
  void SetBusy(bool on) override;
  void ShowError(const std::string& text) override;
  // Tells the written file, its glyph count and any warnings in the title.
  void ShowDone(const ConversionSummary& summary) override;

 protected:
  // Stops a running conversion and waits for it: nothing is written.
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  // A local file a drag brings: the text the field shows for it, and its path
  // as the bytes the file system knows it by, which need not be UTF-8.
  struct DroppedFile {
    QString shown;
    std::string path;
  };
  // The one local file the drag carries, if it carries exactly one.
  static std::optional<DroppedFile> SingleLocalFile(const QMimeData* mime);

  void LayOutControls();
  void Browse();
  void Convert();
  // The field's path as the file system spells it.
  std::string PathToConvert() const;

  FileChooser chooser_;
  // The last file dropped, used while the field still shows it.
  std::optional<DroppedFile> dropped_;
  QLineEdit txtBdfFile_;
  QPushButton cmdBdfFile_;
  QPushButton cmdConvert_;
  BackgroundConversion conversion_{*this};
};

}  // namespace kelvane
