#pragma once

#include "link/readerlink.h"
#include "pagekit/pagehost.h"

#include <QAction>
#include <QLabel>
#include <QMainWindow>
#include <QPointer>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <memory>

class ConnectionTools;
class LogPane;
class QCheckBox;
class QGroupBox;
class TForm2;
class TraceLog;
class TraceWindow;
class TForm3;
class KeyboardOutputPage;
class SystemPage;
class S50Page;
class UltralightPage;
class TypeBPage;
class Iso15693Page;
class OutputDevicePage;
class EpcBatchWindow;
class InventoryWindow;
class EpcWritePage;
class SerialPage;
class SessionLogSwitch;
class WifiPage;
class WindowHabits;

// The main window: the page control, the log pane, the status bar clock, the menus.
class TForm1 : public QMainWindow, public PageHost
{
    Q_OBJECT
public:
    explicit TForm1(UsbTransport &transport, QWidget *parent = nullptr);
    ~TForm1() override;

    // PageHost
    ReaderLink &link() override { return link_; }
    void log(const QString &text) override;
    void clearLog() override;
    void selectDeviceAddress(int index) override;
    void showCardMemory() override;
    SerialLine &serial() override;
    void endOnTabChange(QCheckBox *box) override;

    // Tools
    void showFrameTrace();
    void showEpcBatch();
    void showTagInventory();

    void Timer1Timer();
    void N4Click();
    void N5Click();
    void PageControl1Change();
    void FormClose();

    // Says in status panel 1 and the title what kind of reader this is (the simulator).
    void setReaderNote(const QString &note);
    // Panel 1: the reader note's mark, else "No reader" / "No access" while the link finds none.
    void showReaderState();

    QTabWidget *pageControl;
    QGroupBox *logGroup;
    LogPane *logPane;
    QStatusBar *statusLine;
    QLabel *panels[4];
    QTimer *clockTimer;

    KeyboardOutputPage *keyboardPage;
    SystemPage *systemPage;
    S50Page *s50Page;
    UltralightPage *ultralightPage;
    TypeBPage *typeBPage;
    Iso15693Page *iso15693Page;
    OutputDevicePage *outputDevicePage;
    EpcWritePage *epcWritePage;
    SerialPage *serialPage;
    WifiPage *wifiPage;

    SessionLogSwitch *sessionLogs;
    ConnectionTools *connectionTools;
    WindowHabits *habits;

    QPointer<TForm2> helpWindow;
    QPointer<TForm3> cardMemoryWindow;
    QPointer<TraceWindow> frameTrace;
    QPointer<EpcBatchWindow> epcBatch;
    QPointer<InventoryWindow> tagInventory;
    // Every exchange of this run, for the frame trace.
    TraceLog *traceLog;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildMenu();
    void buildStatusBar();

    ReaderLink link_;
    QList<QPointer<QCheckBox>> tabChangeEnds_; // repeat boxes a change of tab unticks
    bool closed_ = false;
    QString readerNote_;
};
