#pragma once

#include "pagekit/page.h"
#include "protocol/iso15693.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QVector>

// "ISO15693": eleven operations on vicinity cards, each one button with its row of fields,
// and the repeat modes of the inventory, read and write rows.
class Iso15693Page : public Page
{
    Q_OBJECT
public:
    explicit Iso15693Page(PageHost &host, QWidget *parent = nullptr);
    QString caption() const override { return QStringLiteral("ISO15693"); }

    void Button37Click(); // inventory
    void Button38Click(); // read blocks
    void Button39Click(); // write blocks
    void Button40Click(); // lock block
    void Button42Click(); // select card
    void Button44Click(); // write AFI
    void Button45Click(); // lock AFI
    void Button46Click(); // write DSFID
    void Button47Click(); // lock DSFID
    void Button48Click(); // system information
    void Button49Click(); // block security status

    // The request-flag byte of a flag list's item text; nothing for any other text.
    static std::optional<uint8_t> flagByte(const QString &item);

    // The command a row's button sends with the page's current fields (throws UserError for a
    // field that is not its number of hex bytes).
    protocol::Request request(int row) const;

private:
    void runRow(int row);
    void showInventory(const protocol::iso15693::Inventory &inventory);
    void showSystemInformation(const protocol::iso15693::SystemInfo &info);

    QVector<QPushButton *> buttons_;
    QVector<QComboBox *> flags_;           // nullptr for the inventory
    QVector<QVector<QLineEdit *>> fields_; // in the row table's order

protected:
    void build() override;
};
