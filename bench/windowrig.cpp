#include "windowrig.h"

#include "pagekit/guard.h"
#include "ui/tform1.h"

#include <QCoreApplication>

namespace
{
WindowRig *g_rig = nullptr;
}

WindowRig &WindowRig::get()
{
    if (!g_rig)
        g_rig = new WindowRig;
    return *g_rig;
}

void WindowRig::release()
{
    delete g_rig;
    g_rig = nullptr;
}

WindowRig::WindowRig()
{
    guard::setErrorDisplay([this](const QString &m) { errors_ << m; });
    guard::setModalRunner([](QDialog *) {});
    form_ = std::make_unique<TForm1>(usb);
    form_->show();
    settle();
}

WindowRig::~WindowRig()
{
    form_.reset();
    guard::setErrorDisplay({});
    guard::setModalRunner({});
}

QStringList WindowRig::takeErrors()
{
    return std::exchange(errors_, {});
}

void WindowRig::settle()
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents);
}
