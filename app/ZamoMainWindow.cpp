// The main window's construction: start-up steps, layout, menus and window events.

#include <QAction>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QHBoxLayout>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QResizeEvent>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QStyle>
#include <QVBoxLayout>
#include <clocale>

#include "app/MachineCheck.h"
#include "app/ZamoMain.h"
#include "document/ExampleProject.h"
#include "optimize/windows/LinOptWorker.h"
#include "ui/ErrorText.h"
#include "ui/PaintBox.h"
#include "ui/PlotPainter.h"
#include "ui/ScreenFit.h"
#include "ui/TextBytes.h"

namespace zamo {

namespace {

constexpr int kClientWidth = kMainWindowMinimumWidth;
constexpr int kClientHeight = 533;
constexpr int kLowerPanelHeight = 221;
constexpr int kSplitterHandle = 3;
constexpr int kMinimumPlotHeight = 100;
constexpr int kStartZoomPosition = 315;

}  // namespace

TFZamo::TFZamo(Platform& platform, QWidget* parent) : QMainWindow(parent), platform_(platform) {
  setObjectName(QStringLiteral("FZamo"));
  setWindowTitle(QStringLiteral("Mavrin"));
  // Every number text of the process uses "." whatever the user's locale says.
  std::setlocale(LC_NUMERIC, "C");
  QLocale::setDefault(QLocale::c());

  panel_ = new RateConstantPanel(session_, *this);
  session_.AddListener([this](const SessionEvent& event) { SessionChanged(event); });
  BuildPlots();
  BuildMenus();
  BuildContextMenu();
  auto* central = new QWidget;
  central->setObjectName(QStringLiteral("ClientArea"));
  auto* row = new QHBoxLayout(central);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(0);
  row->addWidget(splitter_->parentWidget(), 1);
  row->addWidget(panel_);
  // The layout keeps its sizes; on a screen too small for it (a laptop at a large scale
  // factor) the window is as large as the screen allows and its client area scrolls.
  auto* scroll = new QScrollArea(this);
  scroll->setObjectName(QStringLiteral("ClientScroll"));
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setWidgetResizable(true);
  scroll->setWidget(central);
  setCentralWidget(scroll);
  setAcceptDrops(true);
  const int menuHeight = menuBar()->sizeHint().height();
  const QSize layout(kClientWidth, kClientHeight + menuHeight);
  const QSize room = ScreenRoom(*this);
  setMinimumSize(layout.boundedTo(room));
  const int scrollBar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  FitToScreen(*this, layout + QSize(room.height() < layout.height() ? scrollBar : 0,
                                    room.width() < layout.width() ? scrollBar : 0));

  platform_.ClearClipboard();
  paintBusy_ = true;
  resizeCount_ = 0;

  const SystemInfo system = platform_.QuerySystem();
  if (const std::optional<std::string> failure = FailedMachineCheck(system)) {
    aborted_ = true;
    platform_.ShowMessage(this, QString::fromStdString(*failure), QStringLiteral("Abort program"), MessageIcon::Error);
    platform_.Terminate(1);
    return;
  }

  session_.SetPlotIntervals(PlotIntervals());
  RunGuarded([&] { session_.OpenExample(); });
  // The machine check counts device pixels; the window's limits are in the toolkit's.
  const QSize screenSize = screen() != nullptr ? screen()->size() : QSize(system.ScreenWidth, system.ScreenHeight);
  setMaximumSize(std::max(screenSize.width(), minimumWidth()), std::max(screenSize.height(), minimumHeight()));
  paintBusy_ = false;
}

// A run still going ends with the window: stopped, waited for, its result discarded.
TFZamo::~TFZamo() { workers_.StopAllAndWait(); }

void TFZamo::BuildPlots() {
  auto* drawPanel = new QWidget;
  drawPanel->setObjectName(QStringLiteral("DrawPanelLeft"));
  drawPanel->setMinimumSize(580, kClientHeight);
  auto* column = new QVBoxLayout(drawPanel);
  column->setContentsMargins(0, 0, 0, 0);

  upper_ = new PaintBox(QStringLiteral("PaintBox1"));
  upper_->setMinimumSize(580, kMinimumPlotHeight);
  QFont windowFont = upper_->font();
  windowFont.setPixelSize(11);
  upper_->setFont(windowFont);
  upper_->SetPainter([this](QPainter& painter) { PaintUpper(painter); });

  auto* below = new QWidget;
  below->setObjectName(QStringLiteral("DrawPanelBelowLeft"));
  below->setMinimumSize(580, kMinimumPlotHeight);
  auto* belowRow = new QHBoxLayout(below);
  belowRow->setContentsMargins(0, 0, 0, 0);
  belowRow->setSpacing(0);
  lower_ = new PaintBox(QStringLiteral("PaintBox2"));
  lower_->setMinimumSize(580 - kZoomBarWidth, kMinimumPlotHeight);
  lower_->setToolTip(QStringLiteral("Enlargement of Time Evolution Curve"));
  QFont arial(QStringLiteral("Arial"));
  arial.setPixelSize(9);
  lower_->setFont(arial);
  lower_->SetPainter([this](QPainter& painter) { PaintLower(painter); });
  zoomBar_ = new QScrollBar(Qt::Vertical);
  zoomBar_->setObjectName(QStringLiteral("ZoomBar"));
  zoomBar_->setFixedWidth(kZoomBarWidth);
  zoomBar_->setMinimumHeight(kMinimumPlotHeight);
  zoomBar_->setRange(kZoomPositionMin, kZoomPositionMax);
  zoomBar_->setPageStep(20);
  zoomBar_->setSingleStep(1);
  zoomBar_->setValue(kStartZoomPosition);
  zoomBar_->setToolTip(QStringLiteral("Zoom: 10"));
  connect(zoomBar_, &QScrollBar::valueChanged, this, [this](int position) { ZoomBarScroll(position); });
  belowRow->addWidget(lower_, 1);
  belowRow->addWidget(zoomBar_);

  splitter_ = new QSplitter(Qt::Vertical, drawPanel);
  splitter_->setObjectName(QStringLiteral("Splitter2"));
  splitter_->setHandleWidth(kSplitterHandle);
  splitter_->setChildrenCollapsible(false);
  splitter_->addWidget(upper_);
  splitter_->addWidget(below);
  splitter_->setStretchFactor(0, 1);
  splitter_->setStretchFactor(1, 0);
  splitter_->setSizes({kClientHeight - kLowerPanelHeight - kSplitterHandle, kLowerPanelHeight});
  column->addWidget(splitter_);
}

QAction* TFZamo::AddAction(QMenu* menu, const QString& name, const QString& text, const QList<QKeySequence>& keys,
                           void (TFZamo::*handler)()) {
  auto* action = new QAction(text, this);
  action->setObjectName(name);
  action->setShortcuts(keys);
  if (handler != nullptr) {
    connect(action, &QAction::triggered, this, [this, handler] { RunCommand(handler); });
  } else {
    action->setEnabled(false);
  }
  menu->addAction(action);
  return action;
}

// A value typed into a rate box counts before any command, as if the box had been left: Save
// writes it and Exit asks about it. A box that refuses its text stops the command.
// Copying changes nothing, so it copies the box as it stands, blank places and all.
void TFZamo::RunCommand(void (TFZamo::*handler)()) {
  if (handler != &TFZamo::Copy1Click && !panel_->CommitPendingText()) return;
  RunGuarded([&] { (this->*handler)(); });
}

void TFZamo::BuildMenus() {
  QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
  AddAction(file, QStringLiteral("Open1"), QStringLiteral("&Open"), {QKeySequence(QStringLiteral("Ctrl+O"))},
            &TFZamo::Open1Click);
  recentMenu_ = file->addMenu(QStringLiteral("Open &Recent"));
  recentMenu_->setObjectName(QStringLiteral("OpenRecent1"));
  // Another run of the program may have changed the list meanwhile.
  connect(recentMenu_, &QMenu::aboutToShow, this, &TFZamo::ShowRecentProjects);
  ShowRecentProjects();
  file->addSeparator();
  AddAction(file, QStringLiteral("Save1"), QStringLiteral("&Save"), {QKeySequence(QStringLiteral("Ctrl+S"))},
            &TFZamo::Save1Click);
  AddAction(file, QStringLiteral("SaveAs1"), QStringLiteral("Save &As"), {QKeySequence(QStringLiteral("Ctrl+A"))},
            &TFZamo::SaveAs1Click);
  AddAction(file, QStringLiteral("SaveGraph1"), QStringLiteral("Save Graph"), {QKeySequence(QStringLiteral("Ctrl+G"))},
            &TFZamo::SaveGraph1Click);
  QMenu* exportMenu = file->addMenu(QStringLiteral("&Export"));
  exportMenu->setObjectName(QStringLiteral("Export1"));
  AddAction(exportMenu, QStringLiteral("ExportTable1"), QStringLiteral("&Table (CSV)"), {}, &TFZamo::ExportTable1Click);
  file->addSeparator();
  AddAction(file, QStringLiteral("Import1"), QStringLiteral("&Import"), {QKeySequence(QStringLiteral("Ctrl+I"))},
            &TFZamo::Import1Click);
  AddAction(file, QStringLiteral("TemperatureSeries1"), QStringLiteral("&Temperature Series"), {},
            &TFZamo::TemperatureSeries1Click);
  file->addSeparator();
  AddAction(file, QStringLiteral("Exit1"), QStringLiteral("E&xit"), {}, &TFZamo::Exit1Click);

  QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
  AddAction(edit, QStringLiteral("Undo1"), QStringLiteral("&Undo"), {QKeySequence(QStringLiteral("Ctrl+Z"))},
            &TFZamo::Undo1Click);
  // "&Right Reactions" has the R.
  AddAction(edit, QStringLiteral("Redo1"), QStringLiteral("Re&do"),
            {QKeySequence(QStringLiteral("Ctrl+Shift+Z")), QKeySequence(QStringLiteral("Ctrl+Y"))},
            &TFZamo::Redo1Click);
  edit->addSeparator();
  AddAction(edit, QStringLiteral("LeftReactions1"), QStringLiteral("&Left Reactions"),
            {QKeySequence(QStringLiteral("Ctrl+L"))}, &TFZamo::LeftReactions1Click);
  AddAction(edit, QStringLiteral("RightReactions1"), QStringLiteral("&Right Reactions"),
            {QKeySequence(QStringLiteral("Ctrl+R"))}, &TFZamo::RightReactions1Click);
  edit->addSeparator();
  AddAction(edit, QStringLiteral("Copy1"), QStringLiteral("&Copy"), {QKeySequence(QStringLiteral("Ctrl+C"))},
            &TFZamo::Copy1Click);
  AddAction(edit, QStringLiteral("Paste2"), QStringLiteral("&Paste"), {QKeySequence(QStringLiteral("Ctrl+V"))},
            &TFZamo::Paste2Click);
  edit->addSeparator();
  AddAction(edit, QStringLiteral("ZamoData1"), QStringLiteral("&Zamo-Data"), {QKeySequence(QStringLiteral("Ctrl+K"))},
            &TFZamo::ZamoData1Click);

  QMenu* calculate = menuBar()->addMenu(QStringLiteral("&Calculate"));
  AddAction(calculate, QStringLiteral("OptimizeRateConstants1"), QStringLiteral("&Optimize Rate Constants"),
            {QKeySequence(QStringLiteral("F8"))}, &TFZamo::OptimizeRateConstants1Click);
  AddAction(calculate, QStringLiteral("LeastSquaresFit1"), QStringLiteral("&Least-Squares Fit"),
            {QKeySequence(QStringLiteral("F9"))}, &TFZamo::LeastSquaresFit1Click);
  AddAction(calculate, QStringLiteral("ModelSelection1"), QStringLiteral("&Model Selection"),
            {QKeySequence(QStringLiteral("Ctrl+F9"))}, &TFZamo::ModelSelection1Click);

  QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
  AddAction(view, QStringLiteral("KineticSystem1"), QStringLiteral("&Kinetic System"),
            {QKeySequence(QStringLiteral("F1"))}, &TFZamo::KineticSystem1Click);
  AddAction(view, QStringLiteral("FullOutput1"), QStringLiteral("&Full Output"), {QKeySequence(QStringLiteral("F4"))},
            &TFZamo::FullOutput1Click);
  AddAction(view, QStringLiteral("Plot1"), QStringLiteral("&Plot"), {QKeySequence(QStringLiteral("F6"))},
            &TFZamo::Plot1Click);

  QMenu* help = menuBar()->addMenu(QStringLiteral("&?"));
  AddAction(help, QStringLiteral("Help1"), QStringLiteral("&Help"), {QKeySequence(QStringLiteral("Ctrl+H"))},
            &TFZamo::Help1Click);
  help->addSeparator();
  // Ctrl+A belongs to "Save &As"; the about item shows the key but does not take it, since
  // two actions on one key would make the toolkit fire neither.
  AddAction(help, QStringLiteral("About1"), QStringLiteral("&About\tCtrl+A"), {}, &TFZamo::About1Click);
}

// The context menu repeats commands of the main menu. Its items show their keys but leave
// them to the main menu's items, for the same reason as "&About".
void TFZamo::BuildContextMenu() {
  contextMenu_ = new QMenu(this);
  contextMenu_->setObjectName(QStringLiteral("PopupMenu1"));
  const auto mirror = [this](const QString& name, const QString& text, const QString& of) {
    auto* action = new QAction(text, this);
    action->setObjectName(name);
    QAction* original = Action(of);
    action->setEnabled(original->isEnabled());
    connect(action, &QAction::triggered, original, &QAction::trigger);
    contextMenu_->addAction(action);
  };
  mirror(QStringLiteral("PopupLeftReactions"), QStringLiteral("Edit &Left Reactions\tCtrl+L"),
         QStringLiteral("LeftReactions1"));
  mirror(QStringLiteral("PopupRightReactions"), QStringLiteral("Edit &Right Reactions\tCtrl+R"),
         QStringLiteral("RightReactions1"));
  contextMenu_->addSeparator();
  mirror(QStringLiteral("PopupKineticSystem"), QStringLiteral("Show &Kinetic System\tF1"),
         QStringLiteral("KineticSystem1"));
  mirror(QStringLiteral("PopupFullOutput"), QStringLiteral("&View Full Output\tF4"), QStringLiteral("FullOutput1"));
  mirror(QStringLiteral("PopupPlot"), QStringLiteral("View &Plot\tF6"), QStringLiteral("Plot1"));
  mirror(QStringLiteral("PopupOptimize"), QStringLiteral("Optimize Rate Constants\tF8"),
         QStringLiteral("OptimizeRateConstants1"));
  mirror(QStringLiteral("PopupLeastSquaresFit"), QStringLiteral("Least-Squares Fit\tF9"),
         QStringLiteral("LeastSquaresFit1"));
  mirror(QStringLiteral("PopupModelSelection"), QStringLiteral("Model Selection\tCtrl+F9"),
         QStringLiteral("ModelSelection1"));
  contextMenu_->addSeparator();
  mirror(QStringLiteral("PopupOpen"), QStringLiteral("&Open\tCtrl+O"), QStringLiteral("Open1"));
  contextMenu_->addSeparator();
  mirror(QStringLiteral("PopupSave"), QStringLiteral("&Save\tCtrl+S"), QStringLiteral("Save1"));
  mirror(QStringLiteral("PopupSaveAs"), QStringLiteral("Save &As\tCtrl+A"), QStringLiteral("SaveAs1"));
}

QAction* TFZamo::Action(const QString& name) const { return findChild<QAction*>(name); }

void TFZamo::contextMenuEvent(QContextMenuEvent* event) { contextMenu_->popup(event->globalPos()); }

void TFZamo::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  if (aborted_) return;
  // The first notification after creation only counts; every later one recomputes the
  // curves for the new width.
  session_.SetPlotIntervals(PlotIntervals());
  if (resizeCount_++ == 0) return;
  RunGuarded([this] { session_.Refresh(); });
}

void TFZamo::closeEvent(QCloseEvent* event) {
  if (aborted_) {
    event->accept();
    return;
  }
  if (!panel_->CommitPendingText()) {
    event->ignore();
    return;
  }
  bool close = true;
  RunGuarded([&] {
    if (SavePrompt() == PromptAnswer::Cancel) {
      session_.KeepModified();
      close = false;
    }
  });
  if (close) {
    workers_.StopAllAndWait();
    // A fit still going stops at its next iteration and is waited for.
    if (fit_ != nullptr) fit_->close();
    if (series_ != nullptr) series_->close();
    event->accept();
  } else {
    event->ignore();
  }
}

int TFZamo::PlotIntervals() const { return PlotIntervalsOfWindowWidth(width()); }

void TFZamo::PaintUpper(QPainter& painter) {
  lowerPlotOnly_ = false;
  DrawPlot(painter, session_.Project(), UpperPlotLayout(upper_->size()));
}

void TFZamo::PaintLower(QPainter& painter) {
  DrawPlot(painter, session_.Project(), LowerPlotLayout(lower_->size(), upper_->width(), zoomBar_->value()));
}

}  // namespace zamo
