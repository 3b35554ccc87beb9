#include "preview_window.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
#include <span>
#include <string_view>
#include <utility>

#include "pipeline/names.h"
#include "preview_images.h"

namespace kelvane {
namespace {

const char kTitle[] = "kelvane preview";
// KVN fonts and every kind the pipeline converts (FONTX2 files are usually *.fnt too).
const char kFontFilter[] =
    "Fonts (*.kvn *.bdf *.bdf.gz *.pcf *.pcf.gz *.ttf *.otf *.otb *.ttc *.otc *.woff *.woff2 "
    "*.fnt *.fon *.hex *.psf *.psf.gz *.psfu *.psfu.gz);;All files (*)";
const char kTextFilter[] = "Text files (*.txt);;All files (*)";
const char kKvnFilter[] = "KVN fonts (*.kvn);;All files (*)";
const char kPngFilter[] = "PNG images (*.png);;All files (*)";
const char kOwnCharset[] = "(font's own)";

QStringList Names(std::span<const std::string_view> names) {
  QStringList list;
  for (std::string_view name : names) {
    list << QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
  }
  return list;
}

QString DisplayName(const QString& path) { return QFileInfo(path).fileName(); }

// The path without its font endings, for the names Save offers.
QString BaseName(const QString& path) {
  QString base = QFile::decodeName(OutputPathFor(QFile::encodeName(path).toStdString()).c_str());
  base.chop(4);  // ".kvn"
  return base;
}

QAction* MakeAction(QObject* parent, const char* name, const QString& text) {
  auto* action = new QAction(text, parent);
  action->setObjectName(QLatin1String(name));
  return action;
}

// The hinting choices, in the order the list shows them.
constexpr std::pair<const char*, Hinting> kHintings[] = {
    {"native", Hinting::kNative}, {"auto", Hinting::kAuto}, {"none", Hinting::kNone}};

}  // namespace

PreviewDialogs SystemDialogs() {
  return {
      [](QWidget* parent, const QString& caption, const QString& filter) {
        return QFileDialog::getOpenFileName(parent, caption, QString(), filter);
      },
      [](QWidget* parent, const QString& caption, const QString& suggested, const QString& filter) {
        return QFileDialog::getSaveFileName(parent, caption, suggested, filter);
      }};
}

PreviewWindow::PreviewWindow(PreviewDialogs dialogs, QWidget* parent)
    : QMainWindow(parent), dialogs_(std::move(dialogs)) {
  setObjectName(QStringLiteral("frmkelvanePreview"));
  setWindowTitle(QLatin1String(kTitle));
  setAcceptDrops(true);
  BuildActions();

  sheet_ = new SheetWidget;
  sheet_->setObjectName(QStringLiteral("glyphSheet"));
  sheetArea_ = new QScrollArea;
  sheetArea_->setWidget(sheet_);
  sheetArea_->setBackgroundRole(QPalette::Base);

  sampleText_ = new QLineEdit;
  sampleText_->setObjectName(QStringLiteral("sampleText"));
  sampleText_->setPlaceholderText(QStringLiteral("Type a line of sample text"));
  sampleText_->setAcceptDrops(false);  // dropped files go to the window
  sampleView_ = new SampleView;
  sampleView_->setObjectName(QStringLiteral("sampleView"));
  auto* sampleArea = new QScrollArea;
  sampleArea->setWidget(sampleView_);
  sampleArea->setBackgroundRole(QPalette::Base);
  missingChars_ = new QLabel;
  missingChars_->setObjectName(QStringLiteral("missingChars"));
  missingChars_->setTextFormat(Qt::PlainText);
  missingChars_->setWordWrap(true);

  auto* sampleBox = new QWidget;
  auto* sampleLayout = new QVBoxLayout(sampleBox);
  sampleLayout->setContentsMargins(0, 0, 0, 0);
  sampleLayout->addWidget(sampleText_);
  sampleLayout->addWidget(sampleArea, 1);
  sampleLayout->addWidget(missingChars_);

  auto* split = new QSplitter(Qt::Vertical);
  split->addWidget(sheetArea_);
  split->addWidget(sampleBox);
  split->setStretchFactor(0, 1);
  split->setStretchFactor(1, 0);
  split->setSizes({480, 150});

  auto* central = new QWidget;
  auto* layout = new QHBoxLayout(central);
  layout->addWidget(split, 1);
  layout->addWidget(BuildOptions());
  setCentralWidget(central);
  BuildStatusBar();

  connect(zoomBox_, &QSpinBox::valueChanged, this, [this](int zoom) {
    sheet_->SetZoom(zoom);
    DrawSample();
  });
  connect(sampleText_, &QLineEdit::textChanged, this, &PreviewWindow::DrawSample);
  connect(sheet_, &SheetWidget::hovered, glyphInfo_, &QLabel::setText);
  connect(&document_, &FontDocument::fontChanged, this, &PreviewWindow::ShowFont);
  connect(&document_, &FontDocument::busyChanged, this, &PreviewWindow::ShowBusy);
  connect(&document_, &FontDocument::refused, this,
          [this](const QString& text) { ShowMessage(text, true); });
  connect(&document_, &FontDocument::saved, this,
          [this](const QString& text) { ShowMessage(text, false); });
  connect(&document_, &FontDocument::subsetRead, subsetText_, &QPlainTextEdit::setPlainText);
  UpdateEnabled();
  resize(900, 640);
}

void PreviewWindow::BuildActions() {
  actionOpen_ = MakeAction(this, "actionOpen", QStringLiteral("&Open…"));
  actionOpen_->setShortcut(QKeySequence::Open);
  actionSaveKvn_ = MakeAction(this, "actionSaveKvn", QStringLiteral("Save &KVN…"));
  actionSaveKvn_->setShortcut(QKeySequence::Save);
  actionSaveSheetPng_ = MakeAction(this, "actionSaveSheetPng", QStringLiteral("Save &Sheet PNG…"));
  actionSaveSamplePng_ =
      MakeAction(this, "actionSaveSamplePng", QStringLiteral("Save Sample &Line PNG…"));
  actionLoadSubset_ = MakeAction(this, "actionLoadSubset", QStringLiteral("Load…"));
  actionLoadSubset_->setToolTip(QStringLiteral("Keep only the characters of a UTF-8 text file"));
  auto* quit = MakeAction(this, "actionQuit", QStringLiteral("&Quit"));
  quit->setShortcut(QKeySequence::Quit);

  QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
  file->addAction(actionOpen_);
  file->addSeparator();
  file->addAction(actionSaveKvn_);
  file->addAction(actionSaveSheetPng_);
  file->addAction(actionSaveSamplePng_);
  file->addSeparator();
  file->addAction(quit);

  zoomBox_ = new QSpinBox;
  zoomBox_->setObjectName(QStringLiteral("zoomBox"));
  zoomBox_->setRange(1, 8);
  zoomBox_->setSuffix(QStringLiteral("x"));
  QToolBar* tools = addToolBar(QStringLiteral("Tools"));
  tools->setObjectName(QStringLiteral("toolBar"));
  tools->setMovable(false);
  tools->addAction(actionOpen_);
  tools->addAction(actionSaveKvn_);
  tools->addSeparator();
  tools->addWidget(new QLabel(QStringLiteral(" Zoom ")));
  tools->addWidget(zoomBox_);

  connect(actionOpen_, &QAction::triggered, this, &PreviewWindow::ChooseFont);
  connect(actionSaveKvn_, &QAction::triggered, this, &PreviewWindow::SaveKvn);
  connect(actionSaveSheetPng_, &QAction::triggered, this, &PreviewWindow::SaveSheetPng);
  connect(actionSaveSamplePng_, &QAction::triggered, this, &PreviewWindow::SaveSamplePng);
  connect(actionLoadSubset_, &QAction::triggered, this, &PreviewWindow::LoadSubset);
  connect(quit, &QAction::triggered, this, &QWidget::close);
}

QWidget* PreviewWindow::BuildOptions() {
  options_ = new QGroupBox(QStringLiteral("Conversion"));
  charsetBox_ = new QComboBox;
  charsetBox_->setObjectName(QStringLiteral("charsetBox"));
  charsetBox_->addItem(QLatin1String(kOwnCharset));
  charsetBox_->addItems(Names(OutputCodeSetNames()));
  charsetBox_->setToolTip(
      QStringLiteral("The code set the KVN font uses; the sample line is encoded in it too"));
  tableBox_ = new QComboBox;
  tableBox_->setObjectName(QStringLiteral("tableBox"));
  tableBox_->addItems(Names(JapaneseTableNames()));
  tableBox_->setToolTip(QStringLiteral("The Japanese table"));
  subsetText_ = new QPlainTextEdit;
  subsetText_->setObjectName(QStringLiteral("subsetText"));
  subsetText_->setPlaceholderText(QStringLiteral("All glyphs; or type the characters to keep"));
  auto* load = new QToolButton;
  load->setDefaultAction(actionLoadSubset_);

  // For fonts read through FreeType: a pixel size (0: none), a face, hinting, outlines.
  pixelSizeBox_ = new QSpinBox;
  pixelSizeBox_->setObjectName(QStringLiteral("pixelSizeBox"));
  pixelSizeBox_->setRange(0, 255);
  pixelSizeBox_->setSpecialValueText(QStringLiteral("none"));
  pixelSizeBox_->setToolTip(QStringLiteral(
      "Pixels per em: the strike of this size, or the size outlines are drawn at (as --size)"));
  faceBox_ = new QSpinBox;
  faceBox_->setObjectName(QStringLiteral("faceBox"));
  faceBox_->setRange(0, 9999);
  faceBox_->setToolTip(
      QStringLiteral("The face of a collection, counted from 0 (as --face); 0 in a .fon file: "
                     "the one of the pixel size"));
  hintingBox_ = new QComboBox;
  hintingBox_->setObjectName(QStringLiteral("hintingBox"));
  for (const auto& [name, hinting] : kHintings) hintingBox_->addItem(QLatin1String(name));
  hintingBox_->setToolTip(
      QStringLiteral("How outlines fit the pixel grid: the font's own instructions, FreeType's "
                     "auto-hinter, or not at all"));
  outlineBox_ = new QCheckBox(QStringLiteral("Draw the outlines"));
  outlineBox_->setObjectName(QStringLiteral("outlineBox"));
  outlineBox_->setToolTip(
      QStringLiteral("Draw the outlines even where the font has a strike of the pixel size"));

  auto* form = new QFormLayout(options_);
  form->addRow(QStringLiteral("Code set"), charsetBox_);
  form->addRow(QStringLiteral("Table"), tableBox_);
  form->addRow(QStringLiteral("Pixel size"), pixelSizeBox_);
  form->addRow(QStringLiteral("Face"), faceBox_);
  form->addRow(QStringLiteral("Hinting"), hintingBox_);
  form->addRow(outlineBox_);
  form->addRow(QStringLiteral("Subset"), load);
  form->addRow(subsetText_);
  options_->setMaximumWidth(260);

  connect(charsetBox_, &QComboBox::currentIndexChanged, this, &PreviewWindow::OptionsChanged);
  connect(tableBox_, &QComboBox::currentIndexChanged, this, &PreviewWindow::OptionsChanged);
  connect(pixelSizeBox_, &QSpinBox::valueChanged, this, &PreviewWindow::OptionsChanged);
  connect(faceBox_, &QSpinBox::valueChanged, this, &PreviewWindow::OptionsChanged);
  connect(hintingBox_, &QComboBox::currentIndexChanged, this, &PreviewWindow::OptionsChanged);
  connect(outlineBox_, &QCheckBox::toggled, this, &PreviewWindow::OptionsChanged);
  connect(subsetText_, &QPlainTextEdit::textChanged, this, &PreviewWindow::OptionsChanged);
  return options_;
}

void PreviewWindow::BuildStatusBar() {
  messageLabel_ = new QLabel;
  messageLabel_->setObjectName(QStringLiteral("messageLabel"));
  messageLabel_->setTextFormat(Qt::PlainText);
  glyphInfo_ = new QLabel;
  glyphInfo_->setObjectName(QStringLiteral("glyphInfo"));
  glyphInfo_->setTextFormat(Qt::PlainText);
  busyIndicator_ = new QProgressBar;
  busyIndicator_->setObjectName(QStringLiteral("busyIndicator"));
  busyIndicator_->setRange(0, 0);  // no end known: it just moves
  busyIndicator_->setMaximumWidth(120);
  busyIndicator_->setVisible(false);
  statusBar()->addWidget(messageLabel_, 1);
  statusBar()->addPermanentWidget(glyphInfo_);
  statusBar()->addPermanentWidget(busyIndicator_);
}

void PreviewWindow::OpenFile(const QString& path) {
  if (path.isEmpty()) return;
  setWindowTitle(QStringLiteral("%1 - %2").arg(DisplayName(path), QLatin1String(kTitle)));
  document_.Open(path);
}

void PreviewWindow::SetSampleText(const QString& text) { sampleText_->setText(text); }

bool PreviewWindow::SetCharset(const QString& name) {
  const int index = charsetBox_->findText(name);
  if (index < 0) return false;
  charsetBox_->setCurrentIndex(index);
  return true;
}

void PreviewWindow::SetZoom(int zoom) { zoomBox_->setValue(zoom); }

void PreviewWindow::ChooseFont() {
  OpenFile(dialogs_.openName(this, QStringLiteral("Open Font"), QLatin1String(kFontFilter)));
}

void PreviewWindow::LoadSubset() {
  const QString path =
      dialogs_.openName(this, QStringLiteral("Load Subset Text"), QLatin1String(kTextFilter));
  if (path.isEmpty()) return;
  document_.ReadSubset(path);
}

void PreviewWindow::SaveKvn() {
  const QString suggested =
      QFile::decodeName(OutputPathFor(QFile::encodeName(document_.path()).toStdString()).c_str());
  const QString path = dialogs_.saveName(this, QStringLiteral("Save KVN Font"), suggested,
                                         QLatin1String(kKvnFilter));
  if (path.isEmpty()) return;
  document_.SaveKvn(path);
}

void PreviewWindow::SaveSheetPng() {
  SavePng(QStringLiteral("Save Sheet as PNG"), QStringLiteral("-sheet.png"),
          [zoom = zoomBox_->value()](const OpenedFont& font) { return SheetPicture(font, zoom); });
}

void PreviewWindow::SaveSamplePng() {
  SavePng(QStringLiteral("Save Sample Line as PNG"), QStringLiteral("-sample.png"),
          [text = sampleText_->text().toStdString(), zoom = zoomBox_->value()](
              const OpenedFont& font) { return SampleLinePicture(font, text, zoom); });
}

void PreviewWindow::SavePng(const QString& caption, const QString& suffix,
                            std::function<Result<GrayImage>(const OpenedFont&)> draw) {
  if (!document_.font()) return;
  const QString path = dialogs_.saveName(this, caption, BaseName(document_.path()) + suffix,
                                         QLatin1String(kPngFilter));
  if (path.isEmpty()) return;
  document_.SavePng(path, std::move(draw));
}

void PreviewWindow::OptionsChanged() {
  ConversionOptions options;
  if (charsetBox_->currentIndex() > 0) options.charset = charsetBox_->currentText().toStdString();
  options.table = tableBox_->currentText().toStdString();
  const QString text = subsetText_->toPlainText();
  if (!text.isEmpty()) options.chars = {{{}, text.toUtf8().toStdString()}};
  if (pixelSizeBox_->value() > 0) options.pixelSize = pixelSizeBox_->value();
  if (faceBox_->value() > 0) options.face = faceBox_->value();
  options.hinting = kHintings[hintingBox_->currentIndex()].second;
  options.outline = outlineBox_->isChecked();
  document_.SetOptions(options);
}

void PreviewWindow::ShowFont() {
  const auto& font = document_.font();
  sheet_->SetFont(font);
  if (font) {
    const kvn_font& kvn = font->loaded->font;
    QString text =
        QStringLiteral("%1: %2 glyphs, %3x%4 cell%5")
            .arg(DisplayName(document_.path()))
            .arg(kvn.glyph_count)
            .arg(kvn.cell_width)
            .arg(kvn.cell_height)
            .arg(font->loaded->converted ? QStringLiteral(" (converted in memory)") : QString());
    for (const Warning& warning : font->loaded->warnings) {
      text += QStringLiteral("; ") + QString::fromStdString(warning.text);
    }
    ShowMessage(text, false);
  }
  DrawSample();
  UpdateEnabled();
}

void PreviewWindow::DrawSample() {
  const auto& font = document_.font();
  if (!font) {
    sampleView_->SetImage(QImage());
    missingChars_->clear();
    return;
  }
  const SampleLine sample =
      RenderSample(*font, sampleText_->text().toStdString(), zoomBox_->value());
  sampleView_->SetImage(sample.image);
  if (!sample.problem.isEmpty()) {
    missingChars_->setText(sample.problem);
  } else if (sample.missing.isEmpty()) {
    missingChars_->clear();
  } else {
    missingChars_->setText(QStringLiteral("No glyph (drawn as the default glyph): ") +
                           sample.missing.join(QStringLiteral(", ")));
  }
}

void PreviewWindow::ShowBusy(bool busy) {
  busyIndicator_->setVisible(busy);
  if (busy) {
    const QString path = document_.path();
    const bool converts = HasConvertedFontName(path) || document_.converts();
    ShowMessage((converts ? QStringLiteral("Converting %1 …") : QStringLiteral("Loading %1 …"))
                    .arg(DisplayName(path)),
                false);
  }
  UpdateEnabled();
}

void PreviewWindow::ShowMessage(const QString& text, bool problem) {
  messageLabel_->setText(text);
  messageLabel_->setStyleSheet(problem ? QStringLiteral("color: #b00000") : QString());
}

void PreviewWindow::UpdateEnabled() {
  const bool converts = document_.converts();
  const bool shown = document_.font() != nullptr;
  options_->setEnabled(converts);
  actionLoadSubset_->setEnabled(converts);
  actionSaveKvn_->setEnabled(converts && !document_.busy());
  actionSaveSheetPng_->setEnabled(shown);
  actionSaveSamplePng_->setEnabled(shown);
}

void PreviewWindow::dragEnterEvent(QDragEnterEvent* event) {
  const QMimeData* mime = event->mimeData();
  if (mime->hasUrls() && mime->urls().size() == 1 && mime->urls().first().isLocalFile()) {
    event->acceptProposedAction();
  }
}

void PreviewWindow::dropEvent(QDropEvent* event) {
  const QMimeData* mime = event->mimeData();
  if (!mime->hasUrls() || mime->urls().size() != 1 || !mime->urls().first().isLocalFile()) return;
  OpenFile(mime->urls().first().toLocalFile());
  event->acceptProposedAction();
}

}  // namespace kelvane
