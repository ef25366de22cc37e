#include "pagekit/page.h"

#include <QVBoxLayout>

Page::Page(const char *name, PageHost &host, QWidget *parent) : QWidget(parent), host_(host)
{
    setObjectName(QString::fromLatin1(name));
    auto *scroll = new QScrollArea(this);
    scroll->setObjectName(objectName() + QStringLiteral("Scroll"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    body_ = new QWidget;
    body_->setObjectName(objectName() + QStringLiteral("Body"));
    scroll->setWidget(body_);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scroll);
}

void Page::ensureBuilt()
{
    if (built_)
        return;
    built_ = true;
    build();
}

void Page::showEvent(QShowEvent *event)
{
    ensureBuilt();
    QWidget::showEvent(event);
}
