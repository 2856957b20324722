#include "ui/RateConstantPanel.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>

#include "model/EvaluateDeviation.h"
#include "model/NumberFormat.h"
#include "model/ZamoError.h"
#include "ui/MaskEdit.h"
#include "ui/SpeciesColors.h"
#include "ui/UpDown.h"

namespace zamo {

namespace {

// Digit, point, four digits, "E", the exponent's sign (required, any character), two digits;
// the digit places may stay blank and show "_".
constexpr const char* kRateMask = "0.0000EX00;_";
// The same with a place for the sign in front, for a negative constant.
constexpr const char* kSignedRateMask = "#0.0000EX00;_";
constexpr int kBoxX = 44;
constexpr int kBoxWidth = 65;
constexpr int kSignWidth = 7;
constexpr const char* kRatePattern = "0.0000E+00";
constexpr std::array<int, RateConstantPanel::kRows> kRowTops = {0, 28, 56, 84, 112, 140, 168, 196, 232, 260};
constexpr std::array<int, 3> kStepperX = {112, 128, 144};

struct RowCaption {
  const char* Left;
  const char* Right;
  int Species;  // the species the constant produces; 0 for the G/H exchange
};

constexpr std::array<RowCaption, RateConstantPanel::kRows> kCaptions = {{
    {"k1   = ", "k1   = ", 2},
    {"k2   =", "k9   =", 3},
    {"k3   =", "k10 =", 4},
    {"k4   =", "k11 =", 5},
    {"k5   =", "k12 =", 6},
    {"k6   =", "k13 =", 7},
    {"k7   =", "k14 =", 8},
    {"k8   = ", "k8   = ", 1},
    {"k15 = ", "k15 = ", 0},
    {"k16 = ", "k16 = ", 0},
}};

// Rows 1 to 8 carry the colour of the species their constant produces; k15 and k16 maroon.
QColor CaptionColor(const RowCaption& caption) {
  return caption.Species > 0 ? SpeciesColor(caption.Species) : QColor(128, 0, 0);
}

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

RateConstantPanel::RateConstantPanel(ProjectSession& session, RatePanelHost& host, QWidget* parent)
    : QWidget(parent), session_(session), host_(host) {
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
  palette.setColor(QPalette::WindowText, CaptionColor(kCaptions[index]));
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
  box->setGeometry(kBoxX, top, kBoxWidth, 21);
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

int RateConstantPanel::IndexOf(int row) const { return RateIndexOfBox(row, session_.Project().ShowLeft); }

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
  MaskEdit* box = Box(row);
  const Real k = session_.Project().K[IndexOf(row)];
  // The mask has no place for a sign; a negative constant gets one, and the box widens to
  // the left by it.
  const bool negative = k < 0;
  const QString mask = QString::fromLatin1(negative ? kSignedRateMask : kRateMask);
  if (box->Mask() != mask) {
    box->SetMask(mask);
    const int extra = negative ? kSignWidth : 0;
    box->setGeometry(kBoxX - extra, box->y(), kBoxWidth + extra, box->height());
  }
  box->setText(QString::fromStdString(FormatFloat(kRatePattern, k)));
  filling_ = false;
}

void RateConstantPanel::ShowRateConstantOf(int index) {
  for (int row = 1; row <= kRows; ++row) {
    if (IndexOf(row) == index) ShowRateConstant(row);
  }
}

void RateConstantPanel::ShowRateCaptions() {
  const bool left = session_.Project().ShowLeft;
  for (int row = 2; row <= 7; ++row) {
    const RowCaption& caption = kCaptions[static_cast<std::size_t>(row - 1)];
    Caption(row)->setText(QString::fromLatin1(left ? caption.Left : caption.Right));
  }
  for (int row = 1; row <= kRows; ++row) ShowRateConstant(row);
}

void RateConstantPanel::ShowDeviationLabels() {
  const std::optional<Side> side = session_.ShownDeviation();
  const DeviationLabelTexts labels =
      side ? DeviationLabels(session_.Project().DeviationOf(*side)) : InitialDeviationLabels();
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

bool RateConstantPanel::CommitPendingText() {
  auto* box = qobject_cast<MaskEdit*>(window()->focusWidget());
  if (box == nullptr || RowOf(box) == 0 || !box->isModified()) return true;
  if (!box->hasAcceptableInput()) {
    host_.RefuseInput();
    return false;
  }
  MaskEdit1Change(box);
  return true;
}

// Leaving a box (or Enter, or a command while it holds typed text): the typed constant,
// clamped to 0..1, goes into the model and is computed at once; the box keeps the text as
// typed. A box left unchanged stores nothing: its text is the model's value rounded to five
// digits, and storing it would quietly change the constant. A text that is no number shows
// the conversion message, and the box shows the stored value again.
void RateConstantPanel::MaskEdit1Change(MaskEdit* box) {
  if (filling_ || !box->isModified()) return;
  host_.RunGuarded([&] {
    box->setModified(false);
    const int row = RowOf(box);
    try {
      session_.SetRateFromText(IndexOf(row), box->ShownText().toStdString());
    } catch (const ConversionError&) {
      ShowRateConstant(row);
      throw;
    }
  });
}

void RateConstantPanel::UpDown11Click(UpDown* stepper, bool up) {
  host_.RunGuarded([&] {
    const int row = RowOf(stepper);
    int number = 1;
    while (Stepper(row, number) != stepper) ++number;
    session_.StepRate(IndexOf(row), number, up);
  });
}

void RateConstantPanel::UpDown11MouseUp(UpDown*) {
  host_.RunGuarded([&] { session_.EndStepping(); });
}

}  // namespace zamo
