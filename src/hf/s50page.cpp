#include "hf/s50page.h"

S50Page::S50Page(PageHost &host, QWidget *parent) : Page("TabSheet2", host, parent) {}
