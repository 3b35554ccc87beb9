#include "window_command_line.h"

#include <QCoreApplication>
#include <QStringList>
#include <cstdio>
#include <string>

#include "kelvane/version.h"

namespace kelvane {
namespace {

// The options every Qt window takes, which QApplication removes from the
// arguments before the window sees them.
constexpr const char* kQtOptions =
    "\nQt options (see the Qt documentation for the others):\n"
    "  -platform NAME            The windowing system: xcb, wayland, offscreen, ...\n"
    "  -display DISPLAY          The X display to open (xcb).\n"
    "  -style NAME               The widget style, such as Fusion.\n"
    "  -qwindowgeometry WxH+X+Y  The size and place of the window.\n"
    "  -reverse                  Lays the window out from right to left.\n";

// The help names the program as it is installed, wherever it is run from; the
// parser takes that name from a running application.
QString HelpText(const QCommandLineParser& parser, const char* name) {
  std::string program = name;
  int argc = 1;
  char* argv[] = {program.data(), nullptr};
  const QCoreApplication application(argc, argv);
  return parser.helpText();
}

}  // namespace

std::optional<int> AnswerHelpOrVersion(QCommandLineParser& parser, const char* name, int argc,
                                       char* argv[]) {
  const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                QStringLiteral("Show this help and exit."));
  const QCommandLineOption version(QStringLiteral("version"),
                                   QStringLiteral("Show the version and exit."));
  parser.addOptions({help, version});
  // Qt's own options are single-dash words (-platform, -stylesheet): read them
  // as unknown words, not as runs of one-letter options that might hold -h.
  parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
  QStringList arguments;
  for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
  parser.parse(arguments);  // options unknown here are Qt's or wrong; the window says which
  if (parser.isSet(help)) {
    std::fputs(qPrintable(HelpText(parser, name) + QString::fromUtf8(kQtOptions)), stdout);
    return 0;
  }
  if (parser.isSet(version)) {
    std::printf("%s %s\n", name, KELVANE_VERSION);
    return 0;
  }
  return std::nullopt;
}

}  // namespace kelvane
