#include "uhf/outputdevicepage.h"

OutputDevicePage::OutputDevicePage(PageHost &host, QWidget *parent) : Page("TabSheet7", host, parent) {}
