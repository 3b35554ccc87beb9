// How the window asks the user for a BDF file.
#pragma once

#include <QString>
#include <functional>
#include <optional>

class QWidget;

namespace kelvane {

// Shows an Open-file dialog over `parent` offering the files that `qtFilter`
// lists; returns the chosen file's full path, or nullopt when none was chosen.
using FileChooser = std::function<std::optional<QString>(QWidget* parent, const QString& qtFilter)>;

// The platform's Open dialog (object name cdlgBdfFile): no title of its own, no
// initial directory, file name or default extension.
std::optional<QString> ChooseWithOpenDialog(QWidget* parent, const QString& qtFilter);

}  // namespace kelvane
