#pragma once

#include "commission/batchplan.h"

#include <QGroupBox>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QStackedWidget;

// Where a batch's EPCs come from: a GS1 sequence from a first EPC (shown decoded as it is
// typed), a hex sequence counted as the EPC page counts, or a list file.
class EpcSourceBox : public QGroupBox
{
    Q_OBJECT
public:
    explicit EpcSourceBox(QWidget *parent = nullptr);

    // Writes the chosen source and its fields, as typed, into plan.
    void fill(commission::BatchPlan &plan) const;

    QRadioButton *gs1Source, *hexSource, *listSource;
    QLineEdit *gs1First;
    QComboBox *gs1Filter;
    QLabel *gs1View; // the first EPC as tag URI, pure-identity URI and hex, or why it is none
    QLineEdit *hexFirst, *hexStep;
    QRadioButton *hexPlus, *hexReverse;
    QLineEdit *listPath;
    QPushButton *listChoose;

private:
    QWidget *buildGs1Page();
    QWidget *buildHexPage();
    QWidget *buildListPage();
    void showGs1View();
    void chooseList();

    QStackedWidget *pages_;
};
