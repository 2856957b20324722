#include "ui/AdrAbout.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>

#include "ui/AboutTexts.h"
#include "ui/ErrorText.h"
#include "ui/Platform.h"
#include "ui/TextBytes.h"

namespace zamo {

namespace {

QLabel* Text(QWidget* parent, const QString& name, const QString& text, int x, int y) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  label->move(x, y);
  return label;
}

}  // namespace

TAboutBox::TAboutBox(Platform& platform, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      platform_(platform) {
  setObjectName(QStringLiteral("AboutBox"));
  setAttribute(Qt::WA_DeleteOnClose);
  setModal(false);
  setWindowTitle(QStringLiteral("Info"));
  setFixedSize(305, 347);
  // The fixed positions were laid out for a small system font.
  QFont font = this->font();
  font.setPixelSize(11);
  font.setStretch(QFont::SemiCondensed);
  setFont(font);
  QPalette palette = this->palette();
  palette.setColor(QPalette::WindowText, Qt::black);
  setPalette(palette);

  auto* panel = new QFrame(this);
  panel->setObjectName(QStringLiteral("Panel1"));
  panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  panel->setGeometry(8, 8, 289, 289);
  Text(panel, QStringLiteral("ProductName"), QStringLiteral("Productname       Zamo for Windows 95"), 8, 8);
  Text(panel, QStringLiteral("Version"), QStringLiteral("Version   "), 8, 32);
  Text(panel, QStringLiteral("VersionL"), QStringLiteral("1.07"), 90, 32);
  Text(panel, QStringLiteral("Copyright"), QStringLiteral("Written by the Zamo developers"), 8, 56);
  Text(panel, QStringLiteral("Comments"), QStringLiteral("Remarks "), 8, 80);
  Text(panel, QStringLiteral("Label4"), QStringLiteral("Calculation Program  of Rate Constant"), 90, 84);
  Text(panel, QStringLiteral("Label3"), QStringLiteral("for Complex Kinetic System"), 90, 100);
  Text(panel, QStringLiteral("Label1"), QStringLiteral("Date"), 8, 124);
  Text(panel, QStringLiteral("Label2"), QStringLiteral("26.10.1998"), 90, 124);
  Text(panel, QStringLiteral("Label5"), QStringLiteral("Email"), 8, 144);
  auto* email = new QPushButton(QString::fromLatin1(kMailAddress), panel);
  email->setObjectName(QStringLiteral("Email"));
  email->setGeometry(88, 144, 193, 17);
  Text(panel, QStringLiteral("Label6"), QStringLiteral("WWW"), 8, 168);
  auto* web = new QPushButton(QString::fromLatin1(kWebAddress), panel);
  web->setObjectName(QStringLiteral("WWW"));
  web->setGeometry(88, 168, 193, 17);
  auto* line = new QFrame(panel);
  line->setObjectName(QStringLiteral("Panel2"));
  line->setFrameStyle(QFrame::HLine | QFrame::Sunken);
  line->setGeometry(8, 200, 273, 3);

  const AboutTexts facts = MakeAboutTexts(platform_.QuerySystem());
  Text(panel, QStringLiteral("Label8"), QStringLiteral("System:"), 8, 216);
  Text(panel, QStringLiteral("LabelSys"), FromBytes(facts.System), 104, 216);
  Text(panel, QStringLiteral("Label9"), QStringLiteral("CPU:"), 8, 240);
  QLabel* cpu = Text(panel, QStringLiteral("LabelCPU"), FromBytes(facts.Processor), 104, 240);
  cpu->setWordWrap(true);
  cpu->setGeometry(104, 240, 180, 24);
  cpu->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  Text(panel, QStringLiteral("Label7"), QStringLiteral("Available Memory:"), 8, 264);
  QLabel* memory = Text(panel, QStringLiteral("LabelMem"), FromBytes(facts.Memory), 104, 264);
  memory->setGeometry(104, 264, 180, 15);

  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setObjectName(QStringLiteral("OKButton"));
  ok->setGeometry(122, 312, 65, 27);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::close);
  connect(email, &QPushButton::clicked, this, [this] { EmailClick(); });
  connect(web, &QPushButton::clicked, this, [this] { WWWClick(); });
}

void TAboutBox::EmailClick() { Launch(QStringLiteral("mailto:") + QString::fromLatin1(kMailAddress)); }

void TAboutBox::WWWClick() { Launch(QString::fromLatin1(kWebAddress)); }

// The desktop's default handler for the link, in place of the named browsers of old.
void TAboutBox::Launch(const QString& link) {
  if (!platform_.OpenLink(link)) {
    platform_.ShowMessage(this, QStringLiteral("Error: No Internet Program could be found !"),
                          QString::fromLatin1(kApplicationTitle), MessageIcon::None);
  }
}

}  // namespace zamo
