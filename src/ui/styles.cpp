#include "ui/styles.h"

#include <QApplication>
#include <QPalette>
#include <QStyle>
#include <QStyleFactory>

namespace styles {
namespace {

struct Look {
    const char *name;
    const char *style;
    QColor window, base, text, button, highlight;
};

const Look kLooks[kCount] = {
    {"Skin5", "Fusion", QColor(240, 240, 240), Qt::white, Qt::black, QColor(240, 240, 240), QColor(48, 140, 198)},
    {"skin1", "Fusion", QColor(53, 53, 58), QColor(35, 35, 38), QColor(230, 230, 230), QColor(60, 60, 66),
     QColor(90, 160, 220)},
    {"skin2", "Windows", QColor(212, 208, 200), Qt::white, Qt::black, QColor(212, 208, 200), QColor(10, 36, 106)},
    {"skin3", "Fusion", QColor(214, 228, 245), QColor(245, 249, 255), QColor(16, 32, 64), QColor(190, 210, 238),
     QColor(40, 90, 170)},
    {"skin4", "Fusion", QColor(220, 236, 220), QColor(248, 255, 248), QColor(20, 50, 20), QColor(196, 224, 196),
     QColor(40, 130, 60)},
    {"Skin6", "Fusion", QColor(242, 230, 208), QColor(255, 250, 240), QColor(70, 40, 10), QColor(230, 212, 180),
     QColor(176, 100, 30)},
};

} // namespace

QString name(int index)
{
    return index >= 0 && index < kCount ? QString::fromLatin1(kLooks[index].name) : QString();
}

void apply(int index)
{
    if (index < 0 || index >= kCount)
        return;
    const Look &look = kLooks[index];
    if (QStyle *s = QStyleFactory::create(QString::fromLatin1(look.style)))
        QApplication::setStyle(s);
    QPalette p;
    p.setColor(QPalette::Window, look.window);
    p.setColor(QPalette::WindowText, look.text);
    p.setColor(QPalette::Base, look.base);
    p.setColor(QPalette::AlternateBase, look.window);
    p.setColor(QPalette::Text, look.text);
    p.setColor(QPalette::Button, look.button);
    p.setColor(QPalette::ButtonText, look.text);
    p.setColor(QPalette::Highlight, look.highlight);
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::ToolTipBase, look.base);
    p.setColor(QPalette::ToolTipText, look.text);
    QApplication::setPalette(p);
}

} // namespace styles
