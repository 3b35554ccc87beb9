// The Japanese Gothic face the window's controls are drawn in.
#pragma once

#include <QFont>
#include <QString>
#include <QStringList>

namespace kelvane {

// Japanese Gothic faces in order of preference, Windows names first.
QStringList PreferredUiFamilies();

// The first of `preferred` found in `available` (ignoring case), spelled as in
// `available`; empty when none is there.
QString PickFontFamily(const QStringList& preferred, const QStringList& available);

// The preferred face at 9 points, normal weight, among the installed fonts;
// the system font at 9 points when no Japanese Gothic face is installed.
QFont JapaneseUiFont();

}  // namespace kelvane
