#include <QApplication>
#include <QCommandLineParser>

#include "app_identity.h"
#include "kelvane/version.h"
#include "main_window.h"
#include "pipeline/conversion.h"
#include "window_command_line.h"

int main(int argc, char* argv[]) {
  kelvane::PrepareProcessForConversions();
  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral(
      "Converts a bitmap font into a KVN font file beside it: type its path, browse to it or "
      "drop it onto the window, and press Convert (fonts/k16.bdf gives fonts/k16.kvn). The "
      "window converts the fonts that need no option; bdf2kvn and kelvane-preview convert the "
      "others."));
  if (const auto answered = kelvane::AnswerHelpOrVersion(parser, KELVANE_NAME, argc, argv)) {
    return *answered;
  }
  QApplication app(argc, argv);
  kelvane::SetApplicationIdentity();
  kelvane::MainWindow window;
  window.show();
  return app.exec();
}
