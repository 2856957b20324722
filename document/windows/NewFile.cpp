#include "document/windows/NewFile.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QStyle>

#include "document/DataTable.h"
#include "document/ProjectSession.h"
#include "document/TextFile.h"
#include "model/DateTime.h"
#include "model/NumberFormat.h"
#include "ui/ErrorText.h"
#include "ui/MaskEdit.h"
#include "ui/Platform.h"
#include "ui/TextBytes.h"

namespace zamo {

namespace {

const QString kDataFilter = QStringLiteral(
    "Zamo-Data-Files and Tables (*.dat *.csv *.tsv *.txt);;Zamo-Data-Files (*.dat);;Tables (*.csv *.tsv *.txt);;"
    "All Files (*)");
const QString kNoFile = QStringLiteral("*.dat");

QLineEdit* Field(QWidget* parent, const QString& name, const std::string& value) {
  auto* field = new QLineEdit(FromBytes(value), parent);
  field->setObjectName(name);
  return field;
}

// A sunken panel that shows a path too long for it with its start left out, so that the file
// name stays visible; its text stays the whole path.
class PathPanel : public QLabel {
 public:
  using QLabel::QLabel;

 protected:
  void paintEvent(QPaintEvent* event) override {
    // The frame alone: QLabel would draw the whole text over the elided one.
    QFrame::paintEvent(event);  // NOLINT(bugprone-parent-virtual-call)
    QPainter painter(this);
    const QRect area = contentsRect().adjusted(2, 0, -2, 0);
    painter.drawText(area, Qt::AlignLeft | Qt::AlignVCenter,
                     fontMetrics().elidedText(text(), Qt::ElideLeft, area.width()));
  }
};

QLabel* FilePanel(QWidget* parent, const QString& name) {
  auto* panel = new PathPanel(kNoFile, parent);
  panel->setObjectName(name);
  panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  // A long path must not widen the fixed dialog, nor squeeze the buttons beside it: the panel
  // shows what fits and the whole path as its tip.
  panel->setMinimumWidth(80);
  panel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  return panel;
}

QHBoxLayout* ButtonPair(QPushButton* load, QPushButton* paste) {
  auto* pair = new QHBoxLayout;
  pair->setSpacing(4);
  pair->addWidget(load);
  pair->addWidget(paste);
  return pair;
}

// The typed text of a masked field: mask literals and blank places left out.
QString Typed(const MaskEdit* field) {
  QString typed;
  for (const QChar c : field->text()) {
    if (c.isDigit() || c == QLatin1Char('-') || c == QLatin1Char('+')) typed += c;
    if (c == QLatin1Char('.') && !typed.isEmpty()) typed += c;
  }
  return typed.endsWith(QLatin1Char('.')) ? typed.chopped(1) : typed;
}

}  // namespace

TNewFileForm::TNewFileForm(ProjectSession& session, Platform& platform, std::function<bool()> savePrompt,
                           std::function<void()> saveAs, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      session_(session),
      platform_(platform),
      savePrompt_(std::move(savePrompt)),
      saveAs_(std::move(saveAs)) {
  setObjectName(QStringLiteral("NewFileForm"));
  setAttribute(Qt::WA_DeleteOnClose);
  setModal(false);
  setWindowTitle(QStringLiteral("Import Zamo-Data-File"));
  setFixedSize(668, 284);

  const KineticProject& project = session_.Project();
  title_ = Field(this, QStringLiteral("Titel"), project.Title);
  author_ = Field(this, QStringLiteral("Author"), project.Author.empty() ? std::string("Zamo users") : project.Author);
  leftName_ = Field(this, QStringLiteral("LeftName"), project.LeftReactantName);
  rightName_ = Field(this, QStringLiteral("RightName"), project.RightReactantName);
  leftFile_ = FilePanel(this, QStringLiteral("LeftFileName"));
  rightFile_ = FilePanel(this, QStringLiteral("RightFileName"));
  // Up to two optional digits, one required digit, ".", two optional decimals.
  temperature_ = new MaskEdit(QStringLiteral("TemperatureValue"), QStringLiteral("009.00;_"), this);
  temperature_->setMaxLength(6);
  rateCount_ = new MaskEdit(QStringLiteral("NumOfKValue"), QStringLiteral("09;_"), this);
  rateCount_->setText(QStringLiteral("16"));
  rateCount_->setEnabled(false);

  auto* loadLeft = new QPushButton(QStringLiteral("Load File for Left Reactions"), this);
  loadLeft->setObjectName(QStringLiteral("BitBtn3"));
  auto* loadRight = new QPushButton(QStringLiteral("Load File for Right Reactions"), this);
  loadRight->setObjectName(QStringLiteral("BitBtn4"));
  auto* pasteLeft = new QPushButton(QStringLiteral("Paste Table"), this);
  pasteLeft->setObjectName(QStringLiteral("PasteLeftTable"));
  pasteLeft->setToolTip(
      QStringLiteral("The left reactions' rows from the clipboard: time in minutes, then A to G in %"));
  auto* pasteRight = new QPushButton(QStringLiteral("Paste Table"), this);
  pasteRight->setObjectName(QStringLiteral("PasteRightTable"));
  pasteRight->setToolTip(
      QStringLiteral("The right reactions' rows from the clipboard: time in minutes, then A to G in %"));
  auto* ok = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton), QStringLiteral("OK"), this);
  ok->setObjectName(QStringLiteral("BitBtn1OK"));
  ok->setDefault(true);
  auto* cancel =
      new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton), QStringLiteral("Abbrechen"), this);
  cancel->setObjectName(QStringLiteral("BitBtn2"));
  connect(loadLeft, &QPushButton::clicked, this, [this] { Guarded([this] { BitBtn3Click(); }); });
  connect(loadRight, &QPushButton::clicked, this, [this] { Guarded([this] { BitBtn4Click(); }); });
  connect(pasteLeft, &QPushButton::clicked, this, [this] { Guarded([this] { PasteTableClick(true); }); });
  connect(pasteRight, &QPushButton::clicked, this, [this] { Guarded([this] { PasteTableClick(false); }); });
  connect(ok, &QPushButton::clicked, this, [this] { Guarded([this] { BitBtn1OKClick(); }); });
  connect(cancel, &QPushButton::clicked, this, [this] { BitBtn2Click(); });

  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(12, 12, 12, 12);
  grid->setVerticalSpacing(6);
  const auto label = [this](const QString& text) { return new QLabel(text, this); };
  grid->addWidget(label(QStringLiteral("Titel of the Kinetic System")), 0, 0);
  grid->addWidget(title_, 0, 1, 1, 2);
  grid->addWidget(label(QStringLiteral("Author")), 1, 0);
  grid->addWidget(author_, 1, 1, 1, 2);
  grid->addWidget(label(QStringLiteral("Name of the Left Reactions")), 2, 0);
  grid->addWidget(leftName_, 2, 1, 1, 2);
  grid->addWidget(label(QStringLiteral("Data-File of the Left-Reactions")), 3, 0);
  grid->addWidget(leftFile_, 3, 1);
  grid->addLayout(ButtonPair(loadLeft, pasteLeft), 3, 2);
  grid->addWidget(label(QStringLiteral("Name of the Right-Reactions")), 4, 0);
  grid->addWidget(rightName_, 4, 1, 1, 2);
  grid->addWidget(label(QStringLiteral("Data-File of the Right-Reactions")), 5, 0);
  grid->addWidget(rightFile_, 5, 1);
  grid->addLayout(ButtonPair(loadRight, pasteRight), 5, 2);
  grid->addWidget(label(QStringLiteral("Temperature")), 6, 0);
  auto* numbers = new QHBoxLayout;
  numbers->addWidget(temperature_);
  numbers->addSpacing(24);
  numbers->addWidget(label(QStringLiteral("Number of Rate Constant ")));
  numbers->addWidget(rateCount_);
  numbers->addStretch();
  temperature_->setFixedWidth(60);
  rateCount_->setFixedWidth(36);
  grid->addLayout(numbers, 6, 1, 1, 2);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addSpacing(40);
  buttons->addWidget(cancel);
  buttons->addStretch();
  grid->setRowMinimumHeight(7, 8);
  grid->addLayout(buttons, 8, 0, 1, 3);
  grid->setColumnStretch(1, 1);
}

void TNewFileForm::LoadFile(bool left) {
  FileDialogOptions options;
  options.Title = left ? QStringLiteral("Load the first Zamo-Data-File for the Left Reactions")
                       : QStringLiteral("Load the second Zamo-Data-File for the Right Reactions");
  options.Filter = kDataFilter;
  options.DefaultSuffix = QStringLiteral("dat");
  const std::optional<QString> path = platform_.ChooseOpenFile(this, options);
  if (!path) return;
  const std::string file = path->toStdString();
  Take(left, DataFileChoice{file, ReadTextFile(file), DataFormatOfPath(file)});
}

void TNewFileForm::PasteTableClick(bool left) {
  const std::string text = ToBytes(platform_.ClipboardText());
  Take(left, DataFileChoice{kClipboardSource, ReadingFile(kClipboardSource, [&] { return PastedLines(text); }),
                            DataFormat::Table});
}

void TNewFileForm::LoadFiles(const QStringList& paths) {
  bool leftFree = true;
  bool rightFree = true;
  for (const QString& path : paths) {
    Guarded([&] {
      const std::string file = path.toStdString();
      DataFileChoice choice{file, ReadTextFile(file), DataFormatOfPath(file)};
      bool left = StartRowSide(choice).value_or(leftFree ? Side::Left : Side::Right) == Side::Left;
      if (left ? !leftFree : !rightFree) left = !left;
      Take(left, std::move(choice));
      (left ? leftFree : rightFree) = false;
    });
  }
}

void TNewFileForm::Take(bool left, DataFileChoice choice) {
  if (choice.Format == DataFormat::Table) {
    ReadingFile(choice.Path, [&] { (void)ReadDataTable(choice.Lines); });
    if (Typed(temperature_).isEmpty()) temperature_->setText(FromBytes(FloatToText(session_.Project().Temperature)));
  } else {
    // The file's first line goes into the temperature box as it stands.
    temperature_->setText(choice.Lines.empty() ? QString() : FromBytes(choice.Lines.front()));
  }
  (left ? leftFile_ : rightFile_)->setText(FromBytes(choice.Path));
  (left ? leftFile_ : rightFile_)->setToolTip(FromBytes(choice.Path));
  (left ? left_ : right_) = std::move(choice);
}

// Errors are shown over the main window, as every command's are.
void TNewFileForm::Guarded(const std::function<void()>& handler) { RunGuarded(platform_, parentWidget(), handler); }

void TNewFileForm::BitBtn3Click() { LoadFile(true); }

void TNewFileForm::BitBtn4Click() { LoadFile(false); }

ImportRequest TNewFileForm::Request() const {
  ImportRequest request;
  request.Title = ToBytes(title_->text());
  request.Author = ToBytes(author_->text());
  request.LeftName = ToBytes(leftName_->text());
  request.RightName = ToBytes(rightName_->text());
  request.Left = left_;
  request.Right = right_;
  request.TemperatureText = ToBytes(Typed(temperature_));
  request.RateConstantCountText = ToBytes(Typed(rateCount_));
  return request;
}

void TNewFileForm::BitBtn1OKClick() {
  const ImportRequest request = Request();
  const std::vector<std::string> problems = CheckImportRequest(request);
  for (const std::string& problem : problems) {
    platform_.ShowMessage(this, QString::fromStdString(problem), QStringLiteral("Try Again"), MessageIcon::None);
  }
  if (!problems.empty()) return;
  if (savePrompt_ && !savePrompt_()) return;

  const ImportResult result = session_.Import(request, CurrentDateTime());
  for (const ImportWarning& warning : result.Warnings) {
    platform_.ShowMessage(this, QString::fromStdString(warning.Text), QStringLiteral("Error"), MessageIcon::None);
  }
  imported_ = true;
  if (saveAs_) saveAs_();
  close();
}

void TNewFileForm::BitBtn2Click() { close(); }

}  // namespace zamo
