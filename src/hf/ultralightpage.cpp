#include "hf/ultralightpage.h"

UltralightPage::UltralightPage(PageHost &host, QWidget *parent) : Page("TabSheet3", host, parent) {}
