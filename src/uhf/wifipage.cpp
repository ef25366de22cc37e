#include "uhf/wifipage.h"

WifiPage::WifiPage(PageHost &host, QWidget *parent) : Page("TabSheet10", host, parent) {}
