// The windows that show information rather than data: the about box with its system facts
// and links, the reaction-scheme picture and the help.

#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>

#include "tests/ui/MainWindowFixture.h"
#include "ui/AdrAbout.h"
#include "ui/HelpWindow.h"
#include "ui/ViewKineticSystem.h"

namespace zamo::testing {

namespace {

template <class T>
QPointer<T> Opened(const MainWindowFixture& f, const QString& name) {
  const QList<T*> open = f.Window.findChildren<T*>(name);
  if (open.isEmpty() || !QTest::qWaitForWindowExposed(open.back())) return nullptr;
  return open.back();
}

QString LabelText(const QWidget* window, const char* name) {
  return window->findChild<QLabel*>(QString::fromLatin1(name))->text();
}

// Pixels of an area whose colour is close to a pure one: each channel within 90 of it.
int PixelsNear(const QImage& image, const QRect& area, QColor colour) {
  int count = 0;
  for (int y = area.top(); y <= area.bottom(); ++y) {
    for (int x = area.left(); x <= area.right(); ++x) {
      const QColor pixel = image.pixelColor(x, y);
      count += std::abs(pixel.red() - colour.red()) < 90 && std::abs(pixel.green() - colour.green()) < 90 &&
               std::abs(pixel.blue() - colour.blue()) < 90;
    }
  }
  return count;
}

}  // namespace

class AuxiliaryWindowsTest : public WindowTestCase {
  Q_OBJECT

 private slots:
  // The box shows the machine's facts, queried when it opens: a count before the model only
  // for several processors, memory in whole KB. OK closes it.
  void AboutBoxShowsTheMachine_data() {
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("model");
    QTest::addColumn<qulonglong>("available");
    QTest::addColumn<qulonglong>("total");
    QTest::addColumn<QString>("processor");
    QTest::addColumn<QString>("memory");
    QTest::newRow("two processors") << 2 << "Test CPU" << (qulonglong{4} << 30) << (qulonglong{8} << 30)
                                    << "2 Test CPU, Mask: 3, Rev.: 7"
                                    << "4194304 KB of 8388608 KB";
    QTest::newRow("one without a name, KB rounded down")
        << 1 << "" << qulonglong{1535} << qulonglong{4195327} << ", Mask: 3, Rev.: 7"
        << "1 KB of 4096 KB";
  }
  void AboutBoxShowsTheMachine() {
    QFETCH(int, count);
    QFETCH(QString, model);
    QFETCH(qulonglong, available);
    QFETCH(qulonglong, total);
    QFETCH(QString, processor);
    QFETCH(QString, memory);
    MainWindowFixture& f = ShownWindow();
    f.Platform.System.ProcessorCount = count;
    f.Platform.System.ProcessorModel = model.toStdString();
    f.Platform.System.AvailableMemory = available;
    f.Platform.System.TotalMemory = total;
    f.Item(QStringLiteral("About1"))->trigger();
    const QPointer<TAboutBox> box = Opened<TAboutBox>(f, QStringLiteral("AboutBox"));
    QVERIFY(box);
    QVERIFY(!box->isModal());
    QCOMPARE(LabelText(box, "LabelSys"), QStringLiteral("Linux 6.1"));
    QCOMPARE(LabelText(box, "LabelCPU"), processor);
    QCOMPARE(LabelText(box, "LabelMem"), memory);
    QTest::mouseClick(box->findChild<QPushButton*>(QStringLiteral("OKButton")), Qt::LeftButton);
    QTRY_VERIFY(box.isNull());
  }

  void AboutLinksOpenTheirAddress_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("opens");
    QTest::addColumn<QString>("link");
    QTest::newRow("Email") << "Email" << true << "mailto:zamo@example.org";
    QTest::newRow("WWW, no program") << "WWW" << false << "https://www.example.org/zamo/";
  }
  void AboutLinksOpenTheirAddress() {
    QFETCH(QString, button);
    QFETCH(bool, opens);
    QFETCH(QString, link);
    MainWindowFixture& f = ShownWindow();
    f.Platform.LinksOpen = opens;
    f.Item(QStringLiteral("About1"))->trigger();
    const QPointer<TAboutBox> box = Opened<TAboutBox>(f, QStringLiteral("AboutBox"));
    QVERIFY(box);
    QTest::mouseClick(box->findChild<QPushButton*>(button), Qt::LeftButton);
    QCOMPARE(f.Platform.OpenedLinks, std::vector<QString>{link});
    QCOMPARE(f.Platform.Messages.size(), opens ? 0u : 1u);
    if (!opens) QCOMPARE(f.Platform.OneMessage(), QStringLiteral("Error: No Internet Program could be found !"));
    QVERIFY(box->isVisible());
  }

  // Red A at the top left, blue B at the top right of the picture, centred in the window;
  // each command opens a window of its own.
  void SchemeWindowShowsThePicture() {
    MainWindowFixture& f = ShownWindow();
    f.Press(Qt::Key_F1);
    const QPointer<TShowKinSysForm> scheme = Opened<TShowKinSysForm>(f, QStringLiteral("ShowKinSysForm"));
    QVERIFY(scheme);
    QCOMPARE(scheme->windowTitle(), QStringLiteral("Kinetic System       (Character = Reactant,  kx = Rate Constant)"));
    const QImage shown = scheme->grab().toImage();
    QCOMPARE(shown.size(), QSize(365, 555));
    const QRect aroundA(24 + 27, 80 + 6, 28, 30);  // the picture of 311 x 543 starts at (27, 6)
    const QRect aroundB(259 + 27, 80 + 6, 28, 30);
    QVERIFY(PixelsNear(shown, aroundA, Qt::red) >= 20 && PixelsNear(shown, aroundA, Qt::blue) == 0);
    QVERIFY(PixelsNear(shown, aroundB, Qt::blue) >= 20 && PixelsNear(shown, aroundB, Qt::red) == 0);
    QVERIFY(BackToMainWindow(f));
    f.Press(Qt::Key_F1);
    QCOMPARE(f.Window.findChildren<TShowKinSysForm*>().size(), 2);
  }

  // The guide explains every command of the menus, and its links to its own sections lead
  // to headings in the window as they do beside the README.
  void HelpExplainsEveryCommand() {
    MainWindowFixture& f = ShownWindow();
    f.Press(Qt::CTRL | Qt::Key_H);
    const QPointer<HelpWindow> help = Opened<HelpWindow>(f, QStringLiteral("HelpWindow"));
    QVERIFY(help);
    const auto* browser = help->findChild<QTextBrowser*>(QStringLiteral("HelpText"));
    const QString text = browser->toPlainText();
    for (const QAction* menu : f.Window.menuBar()->actions()) {
      for (const QAction* item : menu->menu()->actions()) {
        const QString command = item->text().remove(QLatin1Char('&')).section(QLatin1Char('\t'), 0, 0);
        QVERIFY2(item->isSeparator() || text.contains(command), qPrintable(command));
      }
    }
    QStringList links;
    QStringList anchors;
    for (QTextBlock block = browser->document()->begin(); block.isValid(); block = block.next()) {
      for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
        const QTextCharFormat format = fragment.fragment().charFormat();
        if (format.anchorHref().startsWith(QLatin1Char('#'))) links.append(format.anchorHref().mid(1));
        anchors += format.anchorNames();
      }
    }
    QVERIFY(links.size() >= 18);
    for (const QString& link : links) QVERIFY2(anchors.contains(link), qPrintable(link));
  }
};

}  // namespace zamo::testing

QTEST_MAIN(zamo::testing::AuxiliaryWindowsTest)
#include "AuxiliaryWindowsTest.moc"
