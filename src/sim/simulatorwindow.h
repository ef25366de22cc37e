#pragma once

#include <QWidget>

class PtyUhfModule;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QCheckBox;
class QSpinBox;
class SimulatedReader;

// Beside the main window in simulation mode: what lies in the simulated reader's field,
// and the trainer's controls to change it or to make the next command go wrong.
class SimulatorWindow : public QWidget
{
    Q_OBJECT
public:
    explicit SimulatorWindow(SimulatedReader &reader, PtyUhfModule *serialModule = nullptr, QWidget *parent = nullptr);

    // Shows the reader's current state.
    void refresh();

private:
    QWidget *buildUhfGroup();
    QWidget *buildFieldGroup();
    void showField();
    QWidget *buildHfGroup();
    QWidget *buildFaultGroup();

    SimulatedReader &reader_;
    PtyUhfModule *serial_;
    QLineEdit *epc_ = nullptr;
    QLineEdit *tid_ = nullptr;
    QLineEdit *crc_ = nullptr;
    QLineEdit *second_ = nullptr;
    QComboBox *tagFault_ = nullptr;
    QLabel *armedTag_ = nullptr;
    QCheckBox *followCues_ = nullptr;
    QLabel *queued_ = nullptr;
    QSpinBox *queueCount_ = nullptr;
    QListWidget *tagLog_ = nullptr;
    QSpinBox *fieldSize_ = nullptr;
    QLabel *fieldSummary_ = nullptr;
    QListWidget *fieldTags_ = nullptr;
    int shownFieldRevision_ = -1;
    QLabel *workMode_ = nullptr;
    QCheckBox *cardsPresent_ = nullptr;
    QLabel *hfCards_ = nullptr;
    QComboBox *faultCode_ = nullptr;
    QLabel *armed_ = nullptr;
};
