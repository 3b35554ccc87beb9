// Closes the next message box a test's action opens, after noting what it showed.
#pragma once

#include <QCursor>
#include <QMessageBox>
#include <QString>
#include <QTimer>
#include <optional>

class QWidget;

struct SeenBox {
  QString title;
  QString text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QMessageBox::StandardButtons buttons;
  bool modal = false;
  // The window's state while the box was up.
  QString convertCaption;
  Qt::CursorShape windowCursor = Qt::ArrowCursor;
  Qt::CursorShape fieldCursor = Qt::ArrowCursor;
};

class ModalBoxWatcher {
 public:
  explicit ModalBoxWatcher(QWidget& window);

  // The boxes seen so far, each closed with its OK button.
  const QList<SeenBox>& seen() const { return seen_; }

 private:
  void Poll();

  QWidget& window_;
  QTimer timer_;
  QList<SeenBox> seen_;
};
