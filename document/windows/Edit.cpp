#include "document/windows/Edit.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "document/ProjectSession.h"
#include "model/DateTime.h"
#include "ui/ErrorText.h"
#include "ui/ScreenFit.h"
#include "ui/TextBytes.h"

namespace zamo {

TEditForm::TEditForm(ProjectSession& session, Platform& platform, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      session_(session),
      platform_(platform),
      memo_(new QPlainTextEdit(this)),
      ok_(new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton), QStringLiteral("OK"), this)),
      cancel_(
          new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton), QStringLiteral("Abbrechen"), this)) {
  setObjectName(QStringLiteral("EditForm"));
  setAttribute(Qt::WA_DeleteOnClose);
  setModal(false);
  setWindowTitle(QStringLiteral("Edit Zamo-Data"));

  memo_->setObjectName(QStringLiteral("EMemo"));
  memo_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  memo_->setLineWrapMode(QPlainTextEdit::NoWrap);
  memo_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  shown_ = session_.SavedText(CurrentDateTime());
  QStringList lines;
  for (const std::string_view line : shown_) lines.append(FromBytes(line));
  memo_->setPlainText(lines.join(QLatin1Char('\n')));
  memo_->document()->setModified(false);

  ok_->setObjectName(QStringLiteral("BitBtn1OK"));
  ok_->setDefault(true);
  cancel_->setObjectName(QStringLiteral("BitBtnCancel2"));
  for (QPushButton* button : {ok_, cancel_}) button->setFixedSize(137, 25);
  connect(ok_, &QPushButton::clicked, this, [this] { BitBtn1OKClick(); });
  connect(cancel_, &QPushButton::clicked, this, [this] { BitBtnCancel2Click(); });

  // The text box takes what the screen leaves; the buttons stay below it.
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(8, 4, 1, 11);
  layout->setSpacing(15);
  memo_->setMinimumSize(240, 120);
  layout->addWidget(memo_, 1);
  auto* buttons = new QHBoxLayout;
  buttons->setSpacing(0);
  buttons->addSpacing(88);
  buttons->addWidget(ok_);
  buttons->addStretch();
  buttons->addWidget(cancel_);
  buttons->addSpacing(82);
  layout->addLayout(buttons);
  FitToScreen(*this, QSize(546, 548));
}

void TEditForm::BitBtn1OKClick() {
  if (memo_->document()->isModified()) {
    const bool read = RunGuarded(platform_, parentWidget(), [this] {
      TextLines lines;
      for (const QString& line : memo_->toPlainText().split(QLatin1Char('\n'))) lines.push_back(ToBytes(line));
      session_.ReadEditedText(shown_, lines);
    });
    // A text the reader refused stays in the box for the user to mend.
    if (!read) return;
  }
  close();
}

void TEditForm::BitBtnCancel2Click() { close(); }

}  // namespace zamo
