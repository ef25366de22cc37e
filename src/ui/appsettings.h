#pragma once

#include <QSettings>

// The user's settings of this program: an INI file under the user's configuration folder
// ($XDG_CONFIG_HOME), named after the application. Only choices made in the menus are kept
// there; every field of the pages starts with the form's own value.
QSettings appSettings();
