// The windows that show information rather than data: the about box with its system facts
// and links, the reaction-scheme picture and the help.

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <optional>

#include "tests/ui/MainWindowFixture.h"
#include "ui/AboutTexts.h"
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

QPointer<TAboutBox> OpenAboutBox(MainWindowFixture& f) {
  f.Item(QStringLiteral("About1"))->trigger();
  return Opened<TAboutBox>(f, QStringLiteral("AboutBox"));
}

// Pixels of an area whose colour is close to a pure one: each channel within 90 of it.
int PixelsNear(const QImage& image, const QRect& area, QColor colour) {
  int count = 0;
  for (int y = area.top(); y <= area.bottom(); ++y) {
    for (int x = area.left(); x <= area.right(); ++x) {
      const QColor pixel = image.pixelColor(x, y);
      if (std::abs(pixel.red() - colour.red()) < 90 && std::abs(pixel.green() - colour.green()) < 90 &&
          std::abs(pixel.blue() - colour.blue()) < 90) {
        ++count;
      }
    }
  }
  return count;
}

}  // namespace

class AuxiliaryWindowsTest : public WindowTestCase {
  Q_OBJECT

 private slots:
  void AboutTexts_data() {
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("model");
    QTest::addColumn<qulonglong>("mask");
    QTest::addColumn<int>("revision");
    QTest::addColumn<qulonglong>("available");
    QTest::addColumn<qulonglong>("total");
    QTest::addColumn<QString>("processor");
    QTest::addColumn<QString>("memory");
    QTest::newRow("one processor: no count") << 1 << "Intel Pentium" << qulonglong{1} << 1281 << qulonglong{67108864}
                                             << qulonglong{134217728} << "Intel Pentium, Mask: 1, Rev.: 1281"
                                             << "65536 KB of 131072 KB";
    QTest::newRow("two processors") << 2 << "Intel Pentium II" << qulonglong{3} << 7 << qulonglong{1535}
                                    << qulonglong{4195327} << "2 Intel Pentium II, Mask: 3, Rev.: 7"
                                    << "1 KB of 4096 KB";
    QTest::newRow("no model name, under 1 KB")
        << 1 << "" << qulonglong{1} << 0 << qulonglong{1023} << qulonglong{1024} << ", Mask: 1, Rev.: 0"
        << "0 KB of 1 KB";
    QTest::newRow("sixteen processors, 64 GiB") << 16 << "Test CPU" << qulonglong{65535} << 10 << (qulonglong{16} << 30)
                                                << (qulonglong{64} << 30) << "16 Test CPU, Mask: 65535, Rev.: 10"
                                                << "16777216 KB of 67108864 KB";
  }
  void AboutTexts() {
    QFETCH(int, count);
    QFETCH(QString, model);
    QFETCH(qulonglong, mask);
    QFETCH(int, revision);
    QFETCH(qulonglong, available);
    QFETCH(qulonglong, total);
    QFETCH(QString, processor);
    QFETCH(QString, memory);
    SystemInfo info;
    info.ProcessorCount = count;
    info.ProcessorModel = model.toStdString();
    info.ProcessorMask = mask;
    info.ProcessorRevision = revision;
    info.AvailableMemory = available;
    info.TotalMemory = total;
    info.SystemName = "Linux 6.1";
    const zamo::AboutTexts texts = MakeAboutTexts(info);
    QCOMPARE(QString::fromStdString(texts.System), QStringLiteral("Linux 6.1"));
    QCOMPARE(QString::fromStdString(texts.Processor), processor);
    QCOMPARE(QString::fromStdString(texts.Memory), memory);

    // The about box shows the same facts, queried when it opens.
    MainWindowFixture& f = ShownWindow();
    f.Platform.System = info;
    const QPointer<TAboutBox> box = OpenAboutBox(f);
    QVERIFY(box);
    QCOMPARE(box->findChild<QLabel*>(QStringLiteral("LabelSys"))->text(), QStringLiteral("Linux 6.1"));
    QCOMPARE(box->findChild<QLabel*>(QStringLiteral("LabelCPU"))->text(), processor);
    QCOMPARE(box->findChild<QLabel*>(QStringLiteral("LabelMem"))->text(), memory);
  }

  void AboutBoxShowsTheProgram() {
    MainWindowFixture& f = ShownWindow();
    const QPointer<TAboutBox> box = OpenAboutBox(f);
    QVERIFY(box);
    QCOMPARE(box->windowTitle(), QStringLiteral("Info"));
    QCOMPARE(box->size(), QSize(305, 347));
    QVERIFY(!box->isModal());
    const std::vector<std::pair<const char*, const char*>> labels = {
        {"ProductName", "Productname       Zamo for Windows 95"},
        {"Version", "Version   "},
        {"VersionL", "1.07"},
        {"Comments", "Remarks "},
        {"Label4", "Calculation Program  of Rate Constant"},
        {"Label3", "for Complex Kinetic System"},
        {"Label1", "Date"},
        {"Label2", "26.10.1998"},
        {"Label5", "Email"},
        {"Label6", "WWW"},
        {"Label8", "System:"},
        {"Label9", "CPU:"},
        {"Label7", "Available Memory:"},
        // From the fake platform's machine.
        {"LabelSys", "Linux 6.1"},
        {"LabelCPU", "2 Test CPU, Mask: 3, Rev.: 7"},
        {"LabelMem", "4194304 KB of 8388608 KB"},
    };
    for (const auto& [name, text] : labels) {
      const auto* label = box->findChild<QLabel*>(QString::fromLatin1(name));
      QVERIFY2(label != nullptr, name);
      QCOMPARE(label->text(), QString::fromLatin1(text));
    }
    QCOMPARE(box->findChild<QPushButton*>(QStringLiteral("Email"))->text(), QStringLiteral("zamo@example.org"));
    QCOMPARE(box->findChild<QPushButton*>(QStringLiteral("WWW"))->text(),
             QStringLiteral("https://www.example.org/zamo/"));
    QTest::mouseClick(box->findChild<QPushButton*>(QStringLiteral("OKButton")), Qt::LeftButton);
    QTRY_VERIFY(box.isNull());
    QVERIFY(f.Platform.OpenedLinks.empty());
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
    const QPointer<TAboutBox> box = OpenAboutBox(f);
    QVERIFY(box);
    QTest::mouseClick(box->findChild<QPushButton*>(button), Qt::LeftButton);
    QCOMPARE(f.Platform.OpenedLinks, std::vector<QString>{link});
    if (opens) {
      QVERIFY(f.Platform.Messages.empty());
    } else {
      QCOMPARE(f.Platform.Messages.size(), 1u);
      QCOMPARE(f.Platform.Messages[0].Text, QStringLiteral("Error: No Internet Program could be found !"));
    }
    QVERIFY(box->isVisible());
  }

  void SchemeWindowShowsThePicture() {
    MainWindowFixture& f = ShownWindow();
    f.Press(Qt::Key_F1);
    const QPointer<TShowKinSysForm> scheme = Opened<TShowKinSysForm>(f, QStringLiteral("ShowKinSysForm"));
    QVERIFY(scheme);
    QCOMPARE(scheme->windowTitle(), QStringLiteral("Kinetic System       (Character = Reactant,  kx = Rate Constant)"));
    QCOMPARE(scheme->size(), QSize(365, 555));
    QCOMPARE(scheme->minimumSize(), scheme->maximumSize());
    QVERIFY(!scheme->isModal());
    const auto* picture = scheme->findChild<QLabel*>(QStringLiteral("Image1"));
    QVERIFY(picture != nullptr);
    QCOMPARE(picture->pixmap().size(), QSize(311, 543));
    // Centred: (365 - 311) / 2 and (555 - 543) / 2.
    QCOMPARE(picture->geometry(), QRect(27, 6, 311, 543));

    // What the window shows: red A at the top left, blue B at the top right of the picture,
    // on white.
    const QImage shown = scheme->grab().toImage();
    QCOMPARE(shown.size(), QSize(365, 555));
    const QRect aroundA = QRect(24, 80, 28, 30).translated(27, 6);
    const QRect aroundB = QRect(259, 80, 28, 30).translated(27, 6);
    QVERIFY(PixelsNear(shown, aroundA, Qt::red) >= 20);
    QVERIFY(PixelsNear(shown, aroundA, Qt::blue) == 0);
    QVERIFY(PixelsNear(shown, aroundB, Qt::blue) >= 20);
    QVERIFY(PixelsNear(shown, aroundB, Qt::red) == 0);
    for (const QPoint corner : {QPoint(2, 2), QPoint(362, 552), QPoint(30, 540), QPoint(335, 10)}) {
      QCOMPARE(shown.pixelColor(corner), QColor(Qt::white));
    }

    // Each command opens a window of its own.
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
    QVERIFY(!help->isModal());
    const auto* browser = help->findChild<QTextBrowser*>(QStringLiteral("HelpText"));
    QVERIFY(browser != nullptr);
    const QString text = browser->toPlainText();
    QVERIFY(text.startsWith(QStringLiteral("Zamo")));
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
