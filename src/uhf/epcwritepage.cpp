#include "uhf/epcwritepage.h"

EpcWritePage::EpcWritePage(PageHost &host, QWidget *parent) : Page("TabSheet8", host, parent) {}
