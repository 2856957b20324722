#include "document/Edit.h"

#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>

#include "document/ProjectSession.h"
#include "ui/ErrorText.h"
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
  setFixedSize(546, 548);

  memo_->setObjectName(QStringLiteral("EMemo"));
  memo_->setGeometry(8, 4, 537, 493);
  memo_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  memo_->setLineWrapMode(QPlainTextEdit::NoWrap);
  memo_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  QStringList lines;
  for (const std::string_view line : session_.ProjectText()) lines.append(FromBytes(line));
  memo_->setPlainText(lines.join(QLatin1Char('\n')));
  memo_->document()->setModified(false);

  ok_->setObjectName(QStringLiteral("BitBtn1OK"));
  ok_->setGeometry(96, 512, 137, 25);
  ok_->setDefault(true);
  cancel_->setObjectName(QStringLiteral("BitBtnCancel2"));
  cancel_->setGeometry(326, 512, 137, 25);
  connect(ok_, &QPushButton::clicked, this, [this] { BitBtn1OKClick(); });
  connect(cancel_, &QPushButton::clicked, this, [this] { BitBtnCancel2Click(); });
}

void TEditForm::BitBtn1OKClick() {
  if (memo_->document()->isModified()) {
    const bool read = RunGuarded(platform_, parentWidget(), [this] {
      TextLines lines;
      for (const QString& line : memo_->toPlainText().split(QLatin1Char('\n'))) lines.push_back(ToBytes(line));
      session_.ReadEditedText(lines);
    });
    // A text the reader refused stays in the box for the user to mend.
    if (!read) return;
  }
  close();
}

void TEditForm::BitBtnCancel2Click() { close(); }

}  // namespace zamo
