#include "hf/typebpage.h"

TypeBPage::TypeBPage(PageHost &host, QWidget *parent) : Page("TabSheet5", host, parent) {}
