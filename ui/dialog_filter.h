// Open-dialog filter lists.
#pragma once

#include <QString>
#include <QStringList>

namespace kelvane {

// The file types offered by the browse dialog, as description|pattern pairs:
// BDF fonts first, as the dialog has always opened, then every file, then
// every kind of font the pipeline reads (FONTX2 files are usually *.fnt too).
inline constexpr char kFontFileFilter[] =
    "Bdf files (*.bdf *.bdf.gz)|*.bdf;*.bdf.gz|All Files (*.*)|*.*|"
    "All fonts|*.bdf;*.bdf.gz;*.pcf;*.pcf.gz;*.ttf;*.otf;*.otb;*.ttc;*.otc;*.woff;*.woff2;"
    "*.fnt;*.fon;*.hex;*.psf;*.psf.gz;*.psfu;*.psfu.gz";

// Turns a "description|patterns|description|patterns" list into Qt's
// "description (patterns);;description (patterns)" form. A description that
// does not already end with its patterns in brackets gets them appended, since
// Qt reads the patterns from the brackets. Patterns separated by ";" come out
// separated by blanks. Empty entries are dropped.
QString QtFilterFromPipeList(const QString& pipeList);

// The entries of a Qt filter for a dialog that hides the bracketed patterns it
// filters by: each entry keeps its text and gets its patterns bracketed once
// more, with "*.*" widened to "*", so that "All Files (*.*)" also lists names
// without a dot, as it does on Windows.
QStringList DialogNameFilters(const QString& qtFilter);

}  // namespace kelvane
