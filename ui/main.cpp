#include <QApplication>

#include "app_identity.h"
#include "main_window.h"
#include "pipeline/conversion.h"

int main(int argc, char* argv[]) {
  kelvane::PrepareProcessForConversions();
  QApplication app(argc, argv);
  kelvane::SetApplicationIdentity();
  kelvane::MainWindow window;
  window.show();
  return app.exec();
}
