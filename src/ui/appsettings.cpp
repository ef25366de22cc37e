#include "ui/appsettings.h"

#include <QCoreApplication>

QSettings appSettings()
{
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QCoreApplication::applicationName());
}
