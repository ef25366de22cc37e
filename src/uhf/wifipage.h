#pragma once

#include "pagekit/page.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

// "Wifi Settings": the network a networked reader joins, its IP address and the networks it
// sees, listed in a grid from which a name can be picked.
class WifiPage : public Page
{
    Q_OBJECT
public:
    explicit WifiPage(PageHost &host, QWidget *parent = nullptr);
    QString caption() const override { return QStringLiteral("Wifi Settings"); }

    void Button78Click(); // Set up
    void Button79Click(); // IP Address
    void Button80Click(); // Get WiFi list
    void StringGrid1SelectCell(int column, int row);

    // Text of a grid cell ("" for a cell never written).
    QString cell(int row, int column) const;

    QLineEdit *networkNameEdit{}, *networkPasswordEdit{};
    QPushButton *joinButton{}, *ipAddressButton{}, *scanButton{};
    QTableWidget *networkGrid{};

private:
    void setCell(int row, int column, const QString &text);
    void setRows(int count);
    // Titles and column widths; the last column is 95 wide at start and 90 after a listing.
    void resetGrid(int lastColumnWidth);

protected:
    void build() override;
};
