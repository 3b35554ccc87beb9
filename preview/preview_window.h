// The preview window: a font's glyph sheet, a line of sample text drawn with
// it, the conversion options for a font converted in memory, and saving. It only wires
// widgets to the document and the drawing functions.
#pragma once

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScrollArea>
#include <QSpinBox>
#include <functional>

#include "font_document.h"
#include "sample_view.h"
#include "sheet_widget.h"

class QDragEnterEvent;
class QDropEvent;
class QGroupBox;

namespace kelvane {

// How the window asks for file names; empty: cancelled.
struct PreviewDialogs {
  std::function<QString(QWidget* parent, const QString& caption, const QString& filter)> openName;
  std::function<QString(QWidget* parent, const QString& caption, const QString& suggested,
                        const QString& filter)>
      saveName;
};

// The platform's file dialogs.
PreviewDialogs SystemDialogs();

class PreviewWindow : public QMainWindow {
  Q_OBJECT

 public:
  explicit PreviewWindow(PreviewDialogs dialogs = SystemDialogs(), QWidget* parent = nullptr);

  void OpenFile(const QString& path);
  void SetSampleText(const QString& text);
  // Chooses an output code set by name; false when the list has no such entry.
  bool SetCharset(const QString& name);
  void SetZoom(int zoom);

  FontDocument& document() { return document_; }

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void BuildActions();
  QWidget* BuildOptions();
  void BuildStatusBar();

  void ChooseFont();
  void LoadSubset();
  void SaveKvn();
  void SaveSheetPng();
  void SaveSamplePng();
  // Asks where to write a picture of the font shown, named after the font
  // with `suffix`, and has the document draw and write it.
  void SavePng(const QString& caption, const QString& suffix,
               std::function<Result<GrayImage>(const OpenedFont&)> draw);

  void OptionsChanged();
  void ShowFont();
  void DrawSample();
  void ShowBusy(bool busy);
  void ShowMessage(const QString& text, bool problem);
  void UpdateEnabled();

  PreviewDialogs dialogs_;
  FontDocument document_;

  QAction* actionOpen_;
  QAction* actionSaveKvn_;
  QAction* actionSaveSheetPng_;
  QAction* actionSaveSamplePng_;
  QAction* actionLoadSubset_;

  QSpinBox* zoomBox_;
  SheetWidget* sheet_;
  QScrollArea* sheetArea_;
  QLineEdit* sampleText_;
  SampleView* sampleView_;
  QLabel* missingChars_;
  QGroupBox* options_;
  QComboBox* charsetBox_;
  QComboBox* tableBox_;
  QSpinBox* pixelSizeBox_;
  QSpinBox* faceBox_;
  QComboBox* hintingBox_;
  QCheckBox* outlineBox_;
  QPlainTextEdit* subsetText_;
  QLabel* messageLabel_;
  QLabel* glyphInfo_;
  QProgressBar* busyIndicator_;
};

}  // namespace kelvane
