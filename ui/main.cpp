#include <QApplication>

#include "ui/app_identity.h"
#include "ui/frmkelvane.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  kelvane::SetApplicationIdentity();
  kelvane::frmkelvane window;
  window.show();
  return app.exec();
}
