#pragma once

#include "ui/page.h"

#include <QLineEdit>

// "系统命令": the HF reader's own settings, and the pause of the HF repeat loops.
class SystemPage : public Page
{
    Q_OBJECT
public:
    explicit SystemPage(PageHost &host, QWidget *parent = nullptr);
    QString caption() const override { return QStringLiteral("系统命令"); }

    // Edit22 as a decimal integer; throws UserError when it is not one.
    int pauseMs() const;

    QLineEdit *Edit22;
};
