// The windows that show information: the about box, the reaction-scheme picture and the help.

#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <tuple>

#include "tests/ui/MainWindowFixture.h"
#include "ui/AdrAbout.h"
#include "ui/HelpWindow.h"
#include "ui/ViewKineticSystem.h"

namespace zamo::testing {
class AuxiliaryWindowsTest : public WindowTestCase {
  Q_OBJECT

 private slots:
  // The machine's facts, queried at opening: a count only for several processors, whole KB
  // (processor and memory as shown); the Email link opens, the WWW one finds no program.
  void AboutBoxShowsTheMachineAndItsLinks() {
    MainWindowFixture& f = ShownWindow();
    for (const auto& [count, available, shown, opens] : std::vector<std::tuple<int, qulonglong, QString, bool>>{
             {2, qulonglong{4} << 30, "2 Test CPU, Mask: 3, Rev.: 7|4194304 KB of 8388608 KB", true},
             {1, 2047, "Test CPU, Mask: 3, Rev.: 7|1 KB of 8388608 KB", false}}) {
      f.Platform.System.ProcessorCount = count;
      f.Platform.System.AvailableMemory = available;
      f.Platform.LinksOpen = opens;
      f.Item(QStringLiteral("About1"))->trigger();
      auto* box = f.Window.findChild<TAboutBox*>();
      QVERIFY(box != nullptr && QTest::qWaitForWindowExposed(box));
      QCOMPARE(box->findChild<QLabel*>("LabelCPU")->text() + "|" + box->findChild<QLabel*>("LabelMem")->text(), shown);
      QTest::mouseClick(box->findChild<QPushButton*>(opens ? "Email" : "WWW"), Qt::LeftButton);
      QCOMPARE(f.Platform.OpenedLinks.back(), opens ? "mailto:zamo@example.org" : "https://www.example.org/zamo/");
      QTest::mouseClick(box->findChild<QPushButton*>("OKButton"), Qt::LeftButton);
      QTRY_VERIFY(f.Window.findChild<TAboutBox*>() == nullptr);
    }
    QCOMPARE(f.Platform.OneMessage(), QStringLiteral("Error: No Internet Program could be found !"));
  }
  void SchemeWindowShowsThePicture() {  // a red A at the top left of the picture, at (27, 6)
    ShownWindow().Press(Qt::Key_F1);
    auto* scheme = ShownWindow().Window.findChild<TShowKinSysForm*>();
    QVERIFY(scheme != nullptr && QTest::qWaitForWindowExposed(scheme));
    const QImage shown = scheme->grab().toImage();
    int red = 0;
    for (int at = 0; at < 28 * 30; ++at) {
      const QColor pixel = shown.pixelColor(51 + at % 28, 86 + at / 28);
      red += pixel.red() > 165 && pixel.green() < 90 && pixel.blue() < 90;
    }
    QVERIFY(red >= 20);
  }
  // The guide explains every command of the menus; its links lead to its own headings.
  void HelpExplainsEveryCommand() {
    ShownWindow().Press(Qt::CTRL | Qt::Key_H);
    auto* help = ShownWindow().Window.findChild<HelpWindow*>();
    QVERIFY(help != nullptr && QTest::qWaitForWindowExposed(help));
    const QTextDocument* text = help->findChild<QTextBrowser*>(QStringLiteral("HelpText"))->document();
    for (const QAction* menu : ShownWindow().Window.menuBar()->actions()) {
      for (const QAction* item : menu->menu()->actions()) {
        const QString command = item->text().remove(QLatin1Char('&')).section(QLatin1Char('\t'), 0, 0);
        QVERIFY2(item->isSeparator() || text->toPlainText().contains(command), qPrintable(command));
      }
    }
    QStringList links, anchors;  // a section's links, the headings' names
    for (QTextBlock block = text->begin(); block.isValid(); block = block.next()) {
      for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
        const QTextCharFormat format = fragment.fragment().charFormat();
        if (format.anchorHref().startsWith(QLatin1Char('#'))) links.append(format.anchorHref().mid(1));
        anchors += format.anchorNames();
      }
    }
    for (const QString& link : links) QVERIFY2(anchors.contains(link), qPrintable(link));
  }
};

}  // namespace zamo::testing

QTEST_MAIN(zamo::testing::AuxiliaryWindowsTest)
#include "AuxiliaryWindowsTest.moc"
