#include "pagekit/guard.h"

#include "base/errors.h"

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <exception>

namespace guard
{
namespace
{
std::function<void(const QString &)> &display()
{
    static std::function<void(const QString &)> d;
    return d;
}
std::function<void(QDialog *)> &modal()
{
    static std::function<void(QDialog *)> m;
    return m;
}
} // namespace

void setErrorDisplay(std::function<void(const QString &)> d)
{
    display() = std::move(d);
}

void showError(const QString &message)
{
    if (display()) {
        display()(message);
        return;
    }
    QMessageBox::warning(QApplication::activeWindow(), QStringLiteral("RFID"), message);
}

void run(const std::function<void()> &handler)
{
    try {
        handler();
    } catch (const UserError &e) {
        showError(e.message());
    } catch (const std::exception &e) {
        showError(QString::fromLocal8Bit(e.what()));
    }
}

void onClick(QAbstractButton *button, std::function<void()> handler)
{
    QObject::connect(button, &QAbstractButton::clicked, button, [h = std::move(handler)] { run(h); });
}

void setModalRunner(std::function<void(QDialog *)> runner)
{
    modal() = std::move(runner);
}

void runModal(QDialog *dialog)
{
    if (modal())
        modal()(dialog);
    else
        dialog->exec();
}

} // namespace guard
