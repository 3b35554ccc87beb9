#include "modal_box_watcher.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>

ModalBoxWatcher::ModalBoxWatcher(QWidget& window) : window_(window) {
  timer_.setInterval(10);
  QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
  timer_.start();
}

void ModalBoxWatcher::Poll() {
  auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
  if (box == nullptr || !box->isVisible()) return;
  SeenBox seen;
  seen.title = box->windowTitle();
  seen.text = box->text();
  seen.icon = box->icon();
  seen.buttons = box->standardButtons();
  seen.modal = box->isModal();
  seen.convertCaption = window_.findChild<QPushButton*>("cmdConvert")->text();
  seen.windowCursor = window_.cursor().shape();
  seen.fieldCursor = window_.findChild<QLineEdit*>("txtBdfFile")->cursor().shape();
  seen_.append(seen);
  if (QAbstractButton* ok = box->button(QMessageBox::Ok)) {
    ok->click();
  } else {
    box->reject();
  }
}
