#include "document/NewFile.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>

#include "app/ZamoMain.h"
#include "document/TextFile.h"
#include "model/DateTime.h"
#include "ui/MaskEdit.h"
#include "ui/TextBytes.h"

namespace zamo {

namespace {

const QString kDataFilter = QStringLiteral("Zamo-Data-Files (*.dat);;All Files (*)");
const QString kNoFile = QStringLiteral("*.dat");

QLineEdit* Field(QWidget* parent, const QString& name, const std::string& value) {
  auto* field = new QLineEdit(FromBytes(value), parent);
  field->setObjectName(name);
  return field;
}

QLabel* FilePanel(QWidget* parent, const QString& name) {
  auto* panel = new QLabel(kNoFile, parent);
  panel->setObjectName(name);
  panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  panel->setTextInteractionFlags(Qt::TextSelectableByMouse);
  panel->setMinimumWidth(300);
  return panel;
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

TNewFileForm::TNewFileForm(TFZamo& main, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      main_(main) {
  setObjectName(QStringLiteral("NewFileForm"));
  setAttribute(Qt::WA_DeleteOnClose);
  setModal(false);
  setWindowTitle(QStringLiteral("Import Zamo-Data-File"));
  setFixedSize(668, 284);

  const KineticProject& project = main_.Project();
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
  auto* ok = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton), QStringLiteral("OK"), this);
  ok->setObjectName(QStringLiteral("BitBtn1OK"));
  ok->setDefault(true);
  auto* cancel =
      new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton), QStringLiteral("Abbrechen"), this);
  cancel->setObjectName(QStringLiteral("BitBtn2"));
  connect(loadLeft, &QPushButton::clicked, this, [this] { main_.RunGuarded([this] { BitBtn3Click(); }); });
  connect(loadRight, &QPushButton::clicked, this, [this] { main_.RunGuarded([this] { BitBtn4Click(); }); });
  connect(ok, &QPushButton::clicked, this, [this] { main_.RunGuarded([this] { BitBtn1OKClick(); }); });
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
  grid->addWidget(loadLeft, 3, 2);
  grid->addWidget(label(QStringLiteral("Name of the Right-Reactions")), 4, 0);
  grid->addWidget(rightName_, 4, 1, 1, 2);
  grid->addWidget(label(QStringLiteral("Data-File of the Right-Reactions")), 5, 0);
  grid->addWidget(rightFile_, 5, 1);
  grid->addWidget(loadRight, 5, 2);
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
  const std::optional<QString> path = main_.GetPlatform().ChooseOpenFile(this, options);
  if (!path) return;
  DataFileChoice choice{path->toStdString(), ReadTextFile(path->toStdString())};
  (left ? leftFile_ : rightFile_)->setText(*path);
  // The file's first line goes into the temperature box as it stands.
  temperature_->setText(choice.Lines.empty() ? QString() : FromBytes(choice.Lines.front()));
  (left ? left_ : right_) = std::move(choice);
}

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
  Platform& platform = main_.GetPlatform();
  const ImportRequest request = Request();
  const std::vector<std::string> problems = CheckImportRequest(request);
  for (const std::string& problem : problems) {
    platform.ShowMessage(this, QString::fromStdString(problem), QStringLiteral("Try Again"), MessageIcon::None);
  }
  if (!problems.empty()) return;

  const ImportResult result = ImportDataFiles(main_.Project(), request, CurrentDateTime());
  for (const ImportWarning& warning : result.Warnings) {
    platform.ShowMessage(this, QString::fromStdString(warning.Text), QStringLiteral("Error"), MessageIcon::None);
  }
  imported_ = true;
  main_.ShowImportedProject(FromBytes(result.Caption));
  main_.SaveProject(true);
  main_.DrawPlots();
  close();
}

void TNewFileForm::BitBtn2Click() { close(); }

}  // namespace zamo
