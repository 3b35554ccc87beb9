// The command line both windows share: --help and --version are answered
// before the window's QApplication exists, so they work without a display.
// Every other argument is left to Qt and to the window, as before.
#pragma once

#include <QCommandLineParser>
#include <optional>

namespace kelvane {

// Adds --help and --version to `parser`, which already holds the window's own
// description, options and arguments. When argv asks for one of them, prints
// the help (with the options Qt takes) or "NAME VERSION" to standard output and
// returns the exit status 0; otherwise returns nothing and the window starts.
std::optional<int> AnswerHelpOrVersion(QCommandLineParser& parser, const char* name, int argc,
                                       char* argv[]);

}  // namespace kelvane
