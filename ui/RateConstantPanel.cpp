#include "ui/RateConstantPanel.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>

#include "model/Conversions.h"
#include "model/NumberFormat.h"
#include "model/RateConstantStep.h"
#include "ui/MaskEdit.h"
#include "ui/SpeciesColors.h"
#include "ui/UpDown.h"

namespace zamo {

namespace {

// Digit, point, four digits, "E", the exponent's sign (required, any character), two digits;
// the digit places may stay blank and show "_".
constexpr const char* kRateMask = "0.0000EX00;_";
constexpr const char* kRatePattern = "0.0000E+00";
constexpr std::array<int, RateConstantPanel::kRows> kRowTops = {0, 28, 56, 84, 112, 140, 168, 196, 232, 260};
constexpr std::array<int, 3> kStepperX = {112, 128, 144};

struct RowCaption {
  const char* Left;
  const char* Right;
  QRgb Color;
};

constexpr std::array<RowCaption, RateConstantPanel::kRows> kCaptions = {{
    {"k1   = ", "k1   = ", qRgb(0, 0, 255)},
    {"k2   =", "k9   =", qRgb(0, 128, 0)},
    {"k3   =", "k10 =", qRgb(0, 128, 128)},
    {"k4   =", "k11 =", qRgb(128, 0, 128)},
    {"k5   =", "k12 =", qRgb(0, 255, 0)},
    {"k6   =", "k13 =", qRgb(0, 255, 255)},
    {"k7   =", "k14 =", qRgb(255, 0, 255)},
    {"k8   = ", "k8   = ", qRgb(255, 0, 0)},
    {"k15 = ", "k15 = ", qRgb(128, 0, 0)},
    {"k16 = ", "k16 = ", qRgb(128, 0, 0)},
}};

QLabel* MakeLabel(QWidget* parent, const QString& name, const QString& text, const QString& hint) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  label->setToolTip(hint);
  return label;
}

// A label whose right edge stays at x while its text changes.
QLabel* MakeRightLabel(QWidget* parent, const QString& name, const QString& text, int right, int y,
                       const QString& hint) {
  QLabel* label = MakeLabel(parent, name, text, hint);
  label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  label->setGeometry(right - 70, y, 70, 15);
  return label;
}

}  // namespace

RateConstantPanel::RateConstantPanel(RatePanelHost& host, QWidget* parent) : QWidget(parent), host_(host) {
  setObjectName(QStringLiteral("MessagePanelRight"));
  setFixedWidth(kWidth);
  for (int row = 1; row <= kRows; ++row) BuildRow(row, kRowTops[static_cast<std::size_t>(row - 1)]);
  BuildErrorBox();
  quit_ = new QPushButton(QStringLiteral("&Quit"), this);
  quit_->setObjectName(QStringLiteral("QuitButton"));
  quit_->resize(105, 31);
  connect(quit_, &QPushButton::clicked, this, [this] { host_.QuitRequested(); });
}

void RateConstantPanel::BuildRow(int row, int top) {
  const auto index = static_cast<std::size_t>(row - 1);
  QLabel* caption = MakeLabel(this, QStringLiteral("Label%1").arg(row), QString::fromLatin1(kCaptions[index].Left),
                              QStringLiteral("Rate Constant"));
  QFont font = caption->font();
  font.setPixelSize(13);
  caption->setFont(font);
  caption->setGeometry(6, top + 2, 38, 17);
  QPalette palette = caption->palette();
  palette.setColor(QPalette::WindowText, QColor(kCaptions[index].Color));
  caption->setPalette(palette);
  captions_[index] = caption;

  auto* box = new MaskEdit(QStringLiteral("MaskEdit%1").arg(row), QString::fromLatin1(kRateMask), this);
  // Ten characters in 65 pixels, as the boxes were laid out for a small system font.
  QFont boxFont = box->font();
  boxFont.setPixelSize(11);
  boxFont.setStretch(QFont::Condensed);
  box->setFont(boxFont);
  box->setTextMargins(0, 0, 0, 0);
  box->setStyleSheet(QStringLiteral("QLineEdit { padding: 0px 1px; }"));
  box->setText(QStringLiteral("1.2345E-09"));
  box->setGeometry(44, top, 65, 21);
  box->setToolTip(QStringLiteral("Modify Rate Constant"));
  connect(box, &MaskEdit::exited, this, [this](MaskEdit* b) { MaskEdit1Change(b); });
  connect(box, &MaskEdit::refused, this, [this] { host_.RefuseInput(); });
  boxes_[index] = box;

  for (int j = 1; j <= 3; ++j) {
    auto* stepper = new UpDown(QStringLiteral("UpDown%1%2").arg(row).arg(j), this);
    stepper->setGeometry(kStepperX[static_cast<std::size_t>(j - 1)], top, 13, 21);
    stepper->setToolTip(QStringLiteral("Modify Rate Constant"));
    connect(stepper, &UpDown::stepped, this, [this](UpDown* s, bool up) { UpDown11Click(s, up); });
    connect(stepper, &UpDown::released, this, [this](UpDown* s) { UpDown11MouseUp(s); });
    steppers_[index][static_cast<std::size_t>(j - 1)] = stepper;
  }
}

void RateConstantPanel::BuildErrorBox() {
  errorBox_ = new QGroupBox(QStringLiteral("Quality of Calculation"), this);
  errorBox_->setObjectName(QStringLiteral("ErrorBox"));
  errorBox_->setGeometry(7, 288, 150, 196);
  // The box's fixed positions were laid out for a small system font; with it a total of
  // five integer digits still clears its caption.
  QFont compact = errorBox_->font();
  compact.setPixelSize(11);
  compact.setStretch(QFont::SemiCondensed);
  errorBox_->setFont(compact);
  const QString overall = QStringLiteral("Deviation of Experimental Obtained and Calculated Concentration");
  const QString perSpecies = QStringLiteral("Deviation of Reactant");
  MakeLabel(errorBox_, QStringLiteral("Label15"), QStringLiteral("Total Deviation:"), overall)->move(3, 16);
  total_ = MakeRightLabel(errorBox_, QStringLiteral("Label16"), QStringLiteral("0.00"), 138, 16, perSpecies);
  QFont bold = total_->font();
  bold.setBold(true);
  total_->setFont(bold);
  MakeLabel(errorBox_, QStringLiteral("Label17"), QStringLiteral("Deviation of Reactant: "), overall)->move(5, 32);
  MakeRightLabel(errorBox_, QStringLiteral("Label34"), QStringLiteral("Dev."), 52, 48, perSpecies);
  MakeRightLabel(errorBox_, QStringLiteral("Label35"), QStringLiteral("abs(Dev.)"), 123, 48, perSpecies);
  for (int s = 1; s <= kSpeciesCount; ++s) {
    const int y = 64 + 16 * (s - 1);
    const auto index = static_cast<std::size_t>(s - 1);
    signed_[index] =
        MakeRightLabel(errorBox_, QStringLiteral("Label%1").arg(17 + s), QStringLiteral("0.000"), 54, y, perSpecies);
    absolute_[index] =
        MakeRightLabel(errorBox_, QStringLiteral("Label%1").arg(25 + s), QStringLiteral("0.000"), 118, y, perSpecies);
    for (QLabel* label : {signed_[index], absolute_[index]}) {
      QPalette palette = label->palette();
      palette.setColor(QPalette::WindowText, SpeciesColor(s));
      label->setPalette(palette);
    }
  }
}

void RateConstantPanel::resizeEvent(QResizeEvent*) {
  quit_->move(width() - quit_->width() - 8, height() - quit_->height() - 8);
}

UpDown* RateConstantPanel::Stepper(int row, int number) const {
  return steppers_[static_cast<std::size_t>(row - 1)][static_cast<std::size_t>(number - 1)];
}

int RateConstantPanel::IndexOf(int row) const { return RateIndexOfBox(row, host_.Project().ShowLeft); }

int RateConstantPanel::RowOf(const QWidget* control) const {
  for (int row = 1; row <= kRows; ++row) {
    if (Box(row) == control) return row;
    for (int j = 1; j <= 3; ++j) {
      if (Stepper(row, j) == control) return row;
    }
  }
  return 0;
}

void RateConstantPanel::ShowRateConstant(int row) {
  filling_ = true;
  Box(row)->setText(QString::fromStdString(FormatFloat(kRatePattern, host_.Project().K[IndexOf(row)])));
  filling_ = false;
}

void RateConstantPanel::ShowRateCaptions() {
  const bool left = host_.Project().ShowLeft;
  for (int row = 2; row <= 7; ++row) {
    const RowCaption& caption = kCaptions[static_cast<std::size_t>(row - 1)];
    Caption(row)->setText(QString::fromLatin1(left ? caption.Left : caption.Right));
  }
  for (int row = 1; row <= kRows; ++row) ShowRateConstant(row);
}

void RateConstantPanel::ShowDeviationLabels(const DeviationLabelTexts& labels) {
  total_->setText(QString::fromStdString(labels.Total));
  for (int s = 1; s <= kSpeciesCount; ++s) {
    signed_[static_cast<std::size_t>(s - 1)]->setText(QString::fromStdString(labels.Signed[s]));
    absolute_[static_cast<std::size_t>(s - 1)]->setText(QString::fromStdString(labels.Absolute[s]));
  }
}

// The window's focus widget, which stays while a menu is open.
std::optional<int> RateConstantPanel::FocusedRow() const {
  const int row = RowOf(window()->focusWidget());
  if (row == 0) return std::nullopt;
  return row;
}

// Leaving a box: the typed constant, clamped to 0..1, goes into the model and is computed
// at once. A box left unchanged stores nothing: its text is the model's value rounded to
// five digits, and storing it would quietly change the constant.
void RateConstantPanel::MaskEdit1Change(MaskEdit* box) {
  if (filling_ || !box->isModified()) return;
  host_.RunGuarded([&] {
    KineticProject& project = host_.Project();
    if (!project.DataValid) return;
    box->setModified(false);
    project.Modified = true;
    const Real value = StrToFloat(box->ShownText().toStdString());
    project.K[IndexOf(RowOf(box))] = ClampRate(value);
    host_.Recalculate();
    host_.DrawPlots();
  });
}

void RateConstantPanel::UpDown11Click(UpDown* stepper, bool up) {
  host_.RunGuarded([&] {
    KineticProject& project = host_.Project();
    if (!project.DataValid) return;
    const int row = RowOf(stepper);
    int number = 1;
    while (Stepper(row, number) != stepper) ++number;
    Real& k = project.K[IndexOf(row)];
    k = SteppedRate(k, number, up);
    ShowRateConstant(row);
  });
}

void RateConstantPanel::UpDown11MouseUp(UpDown*) {
  host_.RunGuarded([&] {
    KineticProject& project = host_.Project();
    project.Modified = true;
    if (project.DataValid) host_.Recalculate();
    host_.DrawPlots();
  });
}

}  // namespace zamo
