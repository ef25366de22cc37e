#include "hf/iso15693page.h"

Iso15693Page::Iso15693Page(PageHost &host, QWidget *parent) : Page("TabSheet6", host, parent) {}
