#include "ui/logpane.h"

#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

namespace
{

// Counts the paint events of one widget, seen by the application before any other filter.
struct PaintCount : QObject {
    explicit PaintCount(QObject *watched) : watched(watched) { qApp->installEventFilter(this); }
    ~PaintCount() override { qApp->removeEventFilter(this); }
    QObject *watched;
    int paints = 0;
    bool eventFilter(QObject *o, QEvent *e) override
    {
        paints += o == watched && e->type() == QEvent::Paint;
        return false;
    }
};

void runLoopFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// A burst of lines, each followed by the events a repeat loop handles, draws the pane a few
// times a frame at most instead of once per line, and the last line is drawn after it.
TEST(LogPaneDrawing, ABurstIsDrawnOnceAFrameAndTheEndIsDrawn)
{
    QWidget window;
    window.resize(320, 520);
    LogPane pane(&window);
    pane.setGeometry(10, 10, 300, 500);
    window.show();
    runLoopFor(50);
    PaintCount count(pane.viewport());
    const int lines = 2000;
    int frames = 0; // the times the pane's frame ended and let it draw
    for (int i = 0; i < lines; ++i) {
        pane.add(QStringLiteral("line %1").arg(i));
        QCoreApplication::processEvents();
        frames += pane.updatesEnabled();
    }
    EXPECT_LE(count.paints, frames + 1) << "drawn only when a frame ends, once";
    EXPECT_LT(count.paints, lines / 10);
    runLoopFor(60);
    EXPECT_TRUE(pane.updatesEnabled()) << "drawing stays held after the burst";
    EXPECT_GE(count.paints, 1) << "the end of the burst was never drawn";
    EXPECT_EQ(pane.lines().size(), lines);
    EXPECT_EQ(pane.lines().last(), QStringLiteral("line 1999"));
}

} // namespace
