#pragma once

#include "pagekit/pagehost.h"
#include "ui/serialportline.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

// "Communication information": the serial port choice and connection (GroupBox1) over the
// window's serial line.
class ConnectionGroup : public QGroupBox
{
    Q_OBJECT
public:
    explicit ConnectionGroup(PageHost &host, QWidget *parent = nullptr);

    // The port that Open and Close act on, as the pages use it.
    SerialPortLine &line() { return line_; }

    void Button1Click(); // Open
    void Button2Click(); // Close (the button's handler; code closes the line with line().close())
    void ComboBox1Change();
    void ComboBox2Change();
    // Lists the ports that open exclusively now; firstPort() names the first or "none".
    void scanPorts();
    // The serial part of a tab change: rescan the ports, rewrite the port name and baud rate.
    void PageControl1Change();
    // The window closes: close the port, ignoring errors.
    void FormClose();
    QString firstPort() const { return firstPort_; }

    QLabel *portLabel, *baudRateLabel;
    QComboBox *portList, *baudRateList;
    QPushButton *openButton, *closeButton;

private:
    SerialPortLine line_;
    QString firstPort_;
};
