// The program's one window: a path field, a browse button and a convert button.
#pragma once

#include <QLineEdit>
#include <QPushButton>
#include <QWidget>
#include <string>

#include "conversion/bdf_readers.h"
#include "conversion/convert_file.h"
#include "ui/file_chooser.h"

class QDragEnterEvent;
class QDropEvent;

namespace kelvane {

class frmkelvane : public QWidget, public ConversionHost {
  Q_OBJECT

 public:
  explicit frmkelvane(FileChooser chooser = ChooseWithOpenDialog, QWidget* parent = nullptr);

  void SetBusy(bool on) override;
  void ShowError(const std::string& text) override;

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void LayOutControls();
  void Browse();
  void Convert();

  FileChooser chooser_;
  LineReaderState lineState_;
  QLineEdit txtBdfFile_;
  QPushButton cmdBdfFile_;
  QPushButton cmdConvert_;
};

}  // namespace kelvane
