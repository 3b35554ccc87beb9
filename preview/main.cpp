// kelvane-preview: look at a KVN font, or a font of another kind converted in
// memory, through the device reader, try a line of text in it, and convert it
// with the options.
#include <QApplication>
#include <QCommandLineParser>
#include <cstdio>

#include "kelvane/version.h"
#include "pipeline/conversion.h"
#include "pipeline/names.h"
#include "preview_window.h"
#include "window_command_line.h"

int main(int argc, char* argv[]) {
  kelvane::PrepareProcessForConversions();
  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral(
      "Shows a KVN font, or a font converted in memory (BDF, PCF, TrueType, OpenType, Windows, "
      "FONTX2, Unifont .hex, PSF; gzip-compressed too), as the device reader finds its glyphs: "
      "every glyph on a sheet, and a line of sample text drawn with it. The pixel size, face and "
      "hinting of outline fonts and collections are chosen in the window."));
  const QCommandLineOption sample(QStringLiteral("sample"),
                                  QStringLiteral("Start with TEXT as the sample line."),
                                  QStringLiteral("TEXT"));
  const QCommandLineOption charset(
      QStringLiteral("charset"),
      QStringLiteral("For a font converted in memory: convert into this code set (%1).")
          .arg(QString::fromStdString(kelvane::CodeSetNameSummary())),
      QStringLiteral("NAME"));
  const QCommandLineOption zoom(QStringLiteral("zoom"),
                                QStringLiteral("Start at this zoom, 1 to 8."), QStringLiteral("N"));
  parser.addOptions({sample, charset, zoom});
  parser.addPositionalArgument(
      QStringLiteral("FILE"),
      QStringLiteral("The font to open: a KVN font or any font bdf2kvn reads."),
      QStringLiteral("[FILE]"));
  if (const auto answered = kelvane::AnswerHelpOrVersion(parser, "kelvane-preview", argc, argv)) {
    return *answered;
  }

  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("kelvane-preview"));
  QApplication::setApplicationVersion(QStringLiteral(KELVANE_VERSION));
  parser.process(app);

  kelvane::PreviewWindow window;
  if (parser.isSet(charset) && !window.SetCharset(parser.value(charset))) {
    std::fprintf(stderr, "kelvane-preview: --charset %s: unknown code set\n",
                 qPrintable(parser.value(charset)));
    return 2;
  }
  if (parser.isSet(zoom)) {
    bool ok = false;
    const int value = parser.value(zoom).toInt(&ok);
    if (!ok || value < 1 || value > 8) {
      std::fprintf(stderr, "kelvane-preview: --zoom %s: not a zoom from 1 to 8\n",
                   qPrintable(parser.value(zoom)));
      return 2;
    }
    window.SetZoom(value);
  }
  if (parser.isSet(sample)) window.SetSampleText(parser.value(sample));
  const QStringList files = parser.positionalArguments();
  if (files.size() > 1) {
    std::fprintf(stderr, "kelvane-preview: one FILE at most\n");
    return 2;
  }
  if (!files.isEmpty()) window.OpenFile(files.first());
  window.show();
  return app.exec();
}
