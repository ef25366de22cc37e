#include "ui/tform1.h"

#include "base/clock.h"
#include "hf/iso15693page.h"
#include "hf/s50page.h"
#include "hf/systempage.h"
#include "hf/typebpage.h"
#include "hf/ultralightpage.h"
#include "link/waits.h"
#include "pagekit/guard.h"
#include "uhf/epcwritepage.h"
#include "uhf/keyboardoutputpage.h"
#include "uhf/outputdevicepage.h"
#include "uhf/wifipage.h"
#include "ui/connectiongroup.h"
#include "ui/connectiontools.h"
#include "ui/epcbatchwindow.h"
#include "ui/inventorywindow.h"
#include "ui/logpane.h"
#include "ui/optiongroups.h"
#include "ui/serialpage.h"
#include "ui/sessionlogswitch.h"
#include "ui/styles.h"
#include "ui/tabnavigation.h"
#include "ui/tform2.h"
#include "ui/tform3.h"
#include "ui/tracelog.h"
#include "ui/tracewindow.h"
#include "ui/windowhabits.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QMenuBar>
#include <QTabBar>
#include <QVBoxLayout>

namespace
{
constexpr int kPageControlWidth = 529;
constexpr int kPageControlHeight = 561;
} // namespace

TForm1::TForm1(UsbTransport &transport, QWidget *parent) : QMainWindow(parent), link_(transport)
{
    connectionTools = new ConnectionTools(
        link_, [this](const QString &line) { log(line); }, this);
    connect(&link_, &ReaderLink::notice, this, [this](const QString &line) {
        if (!connectionTools->swallows(line))
            log(line);
    });
    connect(&link_, &ReaderLink::presenceChanged, this, [this] { showReaderState(); });
    traceLog = new TraceLog(this);
    connect(&link_, &ReaderLink::exchanged, traceLog, &TraceLog::append);
    setObjectName(QStringLiteral("Form1"));
    // The window's small default font keeps five tabs and the pages within the page control.
    QFont small = font();
    small.setPixelSize(11);
    setFont(small);
    setWindowTitle(QStringLiteral("Format output  card number V2.7"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);

    auto *central = new QWidget(this);
    central->setObjectName(QStringLiteral("Form1Client"));
    pageControl = new QTabWidget(central);
    pageControl->setObjectName(QStringLiteral("PageControl1"));
    pageControl->setFixedSize(kPageControlWidth, kPageControlHeight);
    pageControl->tabBar()->setExpanding(false);
    pageControl->tabBar()->setElideMode(Qt::ElideNone);
    // Scroll arrows only if a theme's font makes the five captions wider than the page control.
    pageControl->tabBar()->setUsesScrollButtons(true);

    serialPage = new SerialPage(*this);
    keyboardPage = new KeyboardOutputPage(*this);
    systemPage = new SystemPage(*this);
    s50Page = new S50Page(*this);
    ultralightPage = new UltralightPage(*this);
    typeBPage = new TypeBPage(*this);
    iso15693Page = new Iso15693Page(*this);
    outputDevicePage = new OutputDevicePage(*this);
    epcWritePage = new EpcWritePage(*this);
    wifiPage = new WifiPage(*this);
    const struct {
        Page *page;
        bool shown;
    } order[] = {{keyboardPage, true}, {systemPage, false},   {s50Page, false},         {ultralightPage, false},
                 {typeBPage, false},   {iso15693Page, false}, {outputDevicePage, true}, {epcWritePage, true},
                 {serialPage, true},   {wifiPage, true}};
    for (const auto &o : order) {
        const int index = pageControl->addTab(o.page, o.page->caption());
        pageControl->setTabVisible(index, o.shown);
    }
    // Qt has no multi-row tab bar: five whole captions share the page control's width.
    QFont tabFont = pageControl->tabBar()->font();
    tabFont.setPixelSize(10);
    pageControl->tabBar()->setFont(tabFont);
    pageControl->setStyleSheet(QStringLiteral("QTabBar::tab { padding: 3px 1px; }"));

    logGroup = new QGroupBox(central);
    logGroup->setObjectName(QStringLiteral("GroupBox2"));
    logGroup->setFixedSize(307, 564);
    logPane = new LogPane(logGroup);
    QFont logFont = logPane->font();
    logFont.setPixelSize(13);
    logPane->setFont(logFont);
    auto *logLayout = new QVBoxLayout(logGroup);
    logLayout->setContentsMargins(4, 4, 4, 4);
    logLayout->addWidget(logPane);

    auto *layout = new QHBoxLayout(central);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(6);
    layout->addWidget(pageControl, 0, Qt::AlignTop);
    layout->addWidget(logGroup, 0, Qt::AlignTop);
    setCentralWidget(central);
    sessionLogs = new SessionLogSwitch(*logPane, this);
    habits = new WindowHabits(*this, pageControl, {systemPage, s50Page, ultralightPage, typeBPage, iso15693Page});
    new TabNavigation(pageControl, this);

    buildMenu();
    buildStatusBar();

    clockTimer = new QTimer(this);
    clockTimer->setObjectName(QStringLiteral("Timer1"));
    clockTimer->setInterval(1000);
    connect(clockTimer, &QTimer::timeout, this, [this] { Timer1Timer(); });
    clockTimer->start();
    Timer1Timer();

    // Help and the card-memory window (with its decoded picture) are made when first shown,
    // so start-up does not pay for them.

    pageControl->setCurrentIndex(0);
    connect(pageControl, &QTabWidget::currentChanged, this, [this] { guard::run([this] { PageControl1Change(); }); });
    setFixedSize(sizeHint());

    habits->restore();
    // Whether a reader is there shows in the status bar before the first command.
    link_.probe();
}

TForm1::~TForm1() = default;

void TForm1::buildMenu()
{
    QMenuBar *bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    const auto item = [this](QMenu *menu, const char *name, const QString &caption, std::function<void()> f) {
        QAction *a = menu->addAction(caption);
        a->setObjectName(QString::fromLatin1(name));
        connect(a, &QAction::triggered, this, [f = std::move(f)] { guard::run(f); });
        return a;
    };
    QMenu *system = bar->addMenu(QStringLiteral("System"));
    system->setObjectName(QStringLiteral("N1"));
    item(system, "N4", QStringLiteral("Exist"), [this] { N4Click(); });
    QMenu *stype = bar->addMenu(QStringLiteral("Stype"));
    stype->setObjectName(QStringLiteral("N2"));
    const char *names[styles::kCount] = {"N11", "N12", "N13", "N14", "N51", "N61"};
    const char *captions[styles::kCount] = {"Stype one",  "Stype two",  "Stype three",
                                            "Stype four", "Stype five", "Stype six"};
    for (int i = 0; i < styles::kCount; ++i)
        item(stype, names[i], QString::fromLatin1(captions[i]), [this, i] { habits->chooseStyle(i); });
    QMenu *tools = bar->addMenu(QStringLiteral("Tools"));
    tools->setObjectName(QStringLiteral("ToolsMenu"));
    item(tools, "ToolsFrameTrace", QStringLiteral("Frame trace..."), [this] { showFrameTrace(); });
    item(tools, "ToolsEpcBatch", QStringLiteral("EPC batch encoding..."), [this] { showEpcBatch(); });
    item(tools, "ToolsTagInventory", QStringLiteral("Tag inventory..."), [this] { showTagInventory(); });
    tools->addSeparator();
    connectionTools->addTo(tools);
    habits->addTo(tools);
    tools->addSeparator();
    sessionLogs->addTo(tools);
    QMenu *about = bar->addMenu(QStringLiteral("About"));
    about->setObjectName(QStringLiteral("N3"));
    item(about, "N5", QStringLiteral("Help"), [this] { N5Click(); });
}

void TForm1::buildStatusBar()
{
    statusLine = statusBar();
    statusLine->setObjectName(QStringLiteral("StatusBar1"));
    statusLine->setSizeGripEnabled(false);
    const QString texts[4] = {QStringLiteral("  RFID"), QString(), QStringLiteral("Format output  card number"),
                              QString()};
    const int widths[4] = {150, 30, 400, 200};
    for (int i = 0; i < 4; ++i) {
        panels[i] = new QLabel(texts[i]);
        panels[i]->setObjectName(QStringLiteral("StatusBar1Panel%1").arg(i));
        panels[i]->setMinimumWidth(widths[i]);
        statusLine->addWidget(panels[i], i == 2 ? 1 : 0);
    }
}

void TForm1::setReaderNote(const QString &note)
{
    readerNote_ = note;
    setWindowTitle(QStringLiteral("Format output  card number V2.7") +
                   (note.isEmpty() ? QString() : QStringLiteral(" [%1]").arg(note)));
    showReaderState();
}

void TForm1::showReaderState()
{
    // Panel 1 is narrow: a short mark there, the whole note or reason in the tooltip.
    QString mark, tip = readerNote_;
    if (!readerNote_.isEmpty()) {
        mark = QStringLiteral("SIM");
    } else if (link_.presence() == ReaderPresence::Absent) {
        mark = QStringLiteral("No reader");
        tip = link_.presenceWhy();
    } else if (link_.presence() == ReaderPresence::Unreachable) {
        mark = QStringLiteral("No access");
        tip = link_.presenceWhy();
    }
    panels[1]->setText(mark);
    panels[1]->setToolTip(tip);
}

void TForm1::log(const QString &text)
{
    logPane->add(text);
}

void TForm1::clearLog()
{
    logPane->clear();
}

void TForm1::endOnTabChange(QCheckBox *box)
{
    tabChangeEnds_ << box;
}

void TForm1::selectDeviceAddress(int index)
{
    link_.setAddress(uint8_t(index));
    if (serialPage->isBuilt())
        serialPage->addressList->setCurrentIndex(index);
}

void TForm1::showCardMemory()
{
    if (!cardMemoryWindow)
        cardMemoryWindow = new TForm3(this);
    guard::runModal(cardMemoryWindow);
    delete cardMemoryWindow; // a new one next time
}

SerialLine &TForm1::serial()
{
    serialPage->ensureBuilt(); // the line lives on the serial page
    return serialPage->connection->line();
}

void TForm1::showFrameTrace()
{
    if (!frameTrace)
        frameTrace = new TraceWindow(*traceLog, this);
    frameTrace->show();
    frameTrace->raise();
    frameTrace->activateWindow();
}

void TForm1::showEpcBatch()
{
    // Kept once made, with its fields, for the next batch.
    if (!epcBatch)
        epcBatch = new EpcBatchWindow(link_, this);
    epcBatch->show();
    epcBatch->raise();
    epcBatch->activateWindow();
}

void TForm1::showTagInventory()
{
    // Kept once made, with its table, until the program ends.
    if (!tagInventory)
        tagInventory = new InventoryWindow(link_, this);
    tagInventory->show();
    tagInventory->raise();
    tagInventory->activateWindow();
}

void TForm1::Timer1Timer()
{
    const QDateTime now = appclock::now();
    panels[3]->setText(QStringLiteral("   %1   %2   ").arg(now.toString(QStringLiteral("yyyy.MM.dd")), timeStamp(now)));
}

void TForm1::N4Click()
{
    close();
}

void TForm1::N5Click()
{
    if (!helpWindow)
        helpWindow = new TForm2(this);
    guard::runModal(helpWindow);
    delete helpWindow;
}

void TForm1::PageControl1Change()
{
    // Ends the repeat loops whose rows say so (the loops test their box after each wait).
    for (const QPointer<QCheckBox> &box : std::as_const(tabChangeEnds_))
        if (box)
            box->setChecked(false);
    // The serial page rescans its ports on every change of tab, once it exists.
    if (serialPage->isBuilt())
        serialPage->connection->PageControl1Change();
}

void TForm1::FormClose()
{
    if (closed_)
        return;
    closed_ = true;
    habits->keepPosition();
    if (serialPage->isBuilt())
        serialPage->connection->FormClose();
    clockTimer->stop();
    // Every wait and repeat loop running underneath returns at once, then the loop ends.
    waits::cancelAll();
    QCoreApplication::quit();
}

void TForm1::closeEvent(QCloseEvent *event)
{
    FormClose();
    event->accept();
}
