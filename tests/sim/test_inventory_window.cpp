#include "base/hex.h"
#include "protocol/tidchips.h"
#include "sim/simulatedreader.h"
#include "support/pump.h"
#include "support/windowtest.h"
#include "ui/filedialogs.h"
#include "ui/inventorymodel.h"
#include "ui/inventorywindow.h"
#include "ui/tagmemorydialog.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QItemSelectionModel>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// Tools > Tag inventory... in the main window against the simulated reader with twelve tags
// in its field, as RFID_SIM_FIELD=12 gives them: the inventory runs on the job runner's thread,
// the tests run the window's event loop until what they wait for has come.

namespace
{

constexpr int kTags = 12;
// Only keeps a hang from blocking the run.
constexpr int kHangMs = 120000;

struct InventoryWindowTest : WindowTestBase {
    SimulatedReader reader;
    QTemporaryDir dir;
    InventoryWindow *window = nullptr;

    void SetUp() override
    {
        qputenv("XDG_STATE_HOME", QFile::encodeName(dir.filePath(QStringLiteral("state"))));
        reader.uhf().fillField(kTags);
        openWindow(reader);
        form->findChild<QAction *>(QStringLiteral("ToolsTagInventory"))->trigger();
        window = form->tagInventory;
        ASSERT_TRUE(window && window->isVisible());
    }
    void TearDown() override
    {
        TagMemoryDialog::setConfirm({});
        filedialogs::setChooser({});
        WindowTestBase::TearDown();
    }
    const UhfField &field() { return *reader.uhf().field(); }

    // Runs the inventory until every tag of the field has its row (and its TID, when read).
    void inventoryAll(bool tids)
    {
        window->readTids->setChecked(tids);
        window->startButton->click();
        ASSERT_TRUE(window->isRunning());
        const auto all = [&] {
            if (window->model->rowCount() < kTags)
                return false;
            for (int row = 0; tids && row < kTags; ++row)
                if (window->model->entry(row).tid.isEmpty())
                    return false;
            return true;
        };
        ASSERT_TRUE(pumpUntil(all, kHangMs));
        window->stopButton->click();
        ASSERT_TRUE(pumpUntil([&] { return !window->isRunning(); }, kHangMs));
    }
    int rowOf(int tag)
    {
        for (int row = 0; row < window->model->rowCount(); ++row)
            if (window->model->entry(row).epc == field().tag(tag).epc())
                return row;
        return -1;
    }
    // The tag memory dialog of a tag, its banks read.
    TagMemoryDialog *openMemory(int tag)
    {
        const int row = rowOf(tag);
        EXPECT_GE(row, 0);
        window->table->selectRow(row);
        window->memoryButton->click();
        TagMemoryDialog *dialog = window->tagMemory();
        EXPECT_TRUE(dialog && pumpUntil([dialog] { return !dialog->isBusy(); }, kHangMs));
        return dialog;
    }
};

TEST_F(InventoryWindowTest, ListsEveryTagWithItsFiguresTidAndChip)
{
    inventoryAll(true);
    ASSERT_EQ(window->model->rowCount(), kTags);
    for (int tag = 0; tag < kTags; ++tag) {
        const int row = rowOf(tag);
        ASSERT_GE(row, 0) << tag;
        const field::TallyEntry &e = window->model->entry(row);
        EXPECT_GT(e.count, 0) << tag;
        // The simulated tags' signal lies between -90 and -25 dBm.
        EXPECT_TRUE(-90 <= e.rssiMin && e.rssiMin <= e.rssiLast && e.rssiLast <= e.rssiMax && e.rssiMax <= -25)
            << tag << ": " << int(e.rssiMin) << " " << int(e.rssiLast) << " " << int(e.rssiMax);
        EXPECT_EQ(e.tid, field().tag(tag).tid) << tag;
        const QString chip =
            QStringLiteral("%1 %2").arg(QLatin1String(field().chip(tag).maker), QLatin1String(field().chip(tag).model));
        EXPECT_EQ(window->model->data(window->model->index(row, InventoryModel::Chip)).toString(), chip) << tag;
    }
    const field::TallyTotals totals = window->model->totals();
    EXPECT_TRUE(
        window->statusText->text().startsWith(QStringLiteral("Tags: 12    Reads: %1    Reads/s: ").arg(totals.reads)))
        << qPrintable(window->statusText->text());
    EXPECT_TRUE(window->statusText->text().contains(QStringLiteral("Rounds: %1").arg(totals.rounds)));
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join('\n'));
}

TEST_F(InventoryWindowTest, FilterKeepsTheRowsItNamesAndExportWritesThem)
{
    inventoryAll(false);
    const QString firstEpc = hex::fromBytes(field().tag(0).epc());
    struct Case {
        QString filter;
        bool any; // some rows pass, not all
    };
    const Case cases[] = {
        {firstEpc.left(6), true},
        {firstEpc.left(6).toLower(), true},
        {QStringLiteral("SGTIN"), true},
        {QStringLiteral("urn:epc:tag:sscc-96"), true},
        {QStringLiteral("zz-no-such"), false},
        {QString(), true},
    };
    QString exportDir = dir.path();
    for (const Case &c : cases) {
        window->filter->setText(c.filter);
        // What the filter means, worked out from the field: the EPC's hex start or text of the URI.
        QStringList expected;
        for (int tag = 0; tag < kTags; ++tag) {
            const field::TallyEntry &e =
                window->model->tally().entry(window->model->tally().rowOf(field().tag(tag).epc()));
            if (c.filter.isEmpty() || hex::fromBytes(e.epc).startsWith(c.filter, Qt::CaseInsensitive) ||
                (!e.uri.isEmpty() && e.uri.contains(c.filter, Qt::CaseInsensitive)))
                expected << hex::fromBytes(e.epc);
        }
        EXPECT_EQ(!expected.isEmpty(), c.any) << qPrintable(c.filter);
        QStringList shown;
        for (int row = 0; row < window->model->rowCount(); ++row)
            shown << hex::fromBytes(window->model->entry(row).epc);
        shown.sort();
        expected.sort();
        EXPECT_EQ(shown, expected) << qPrintable(c.filter);

        // The files hold the rows shown.
        const QString csvPath = exportDir + QStringLiteral("/tags.csv"), jsonPath = exportDir + "/tags.json";
        filedialogs::setChooser(
            [&](const filedialogs::Request &r) { return r.title.contains("CSV") ? csvPath : jsonPath; });
        window->exportCsvButton->click();
        window->exportJsonButton->click();
        QFile csv(csvPath), json(jsonPath);
        ASSERT_TRUE(csv.open(QIODevice::ReadOnly) && json.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromUtf8(csv.readAll()).split(u'\n', Qt::SkipEmptyParts);
        ASSERT_EQ(lines.size(), expected.size() + 1) << qPrintable(c.filter);
        EXPECT_TRUE(lines[0].startsWith("epc,uri,tid,chip,count,rssi_last_dbm,"));
        QJsonParseError error;
        const QJsonObject top = QJsonDocument::fromJson(json.readAll(), &error).object();
        ASSERT_EQ(error.error, QJsonParseError::NoError);
        const QJsonArray tags = top.value("tags").toArray();
        ASSERT_EQ(tags.size(), expected.size());
        QStringList csvEpcs, jsonEpcs;
        for (int i = 0; i < tags.size(); ++i) {
            csvEpcs << lines[i + 1].section(u',', 0, 0);
            jsonEpcs << tags[i].toObject().value("epc").toString();
            const field::TallyEntry &e = window->model->entry(i);
            EXPECT_EQ(tags[i].toObject().value("count").toInteger(), e.count);
            EXPECT_EQ(tags[i].toObject().value("rssi_min").toInt(), e.rssiMin);
            EXPECT_EQ(lines[i + 1].section(u',', 4, 4), QString::number(e.count));
        }
        csvEpcs.sort();
        jsonEpcs.sort();
        EXPECT_EQ(csvEpcs, expected);
        EXPECT_EQ(jsonEpcs, expected);
        EXPECT_EQ(top.value("reads").toInteger(), window->model->totals().reads);
    }
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join('\n'));
}

// A tag with user memory and neither a password nor a lock.
int plainTagWithUserMemory(const UhfField &field)
{
    for (int tag = 0; tag < field.size(); ++tag)
        if (field.chip(tag).userWords >= 4 && tag != UhfField::kPasswordTag && tag != UhfField::kLockedEpcTag &&
            tag != UhfField::kLockedUserTag)
            return tag;
    return -1;
}

TEST_F(InventoryWindowTest, TagMemoryWritesUserMemoryOfThatTagOnly)
{
    inventoryAll(false);
    const int tag = plainTagWithUserMemory(field());
    ASSERT_GE(tag, 0);
    QList<QByteArray> before;
    for (int i = 0; i < kTags; ++i)
        before << field().tag(i).user;
    TagMemoryDialog *dialog = openMemory(tag);
    ASSERT_TRUE(dialog);
    EXPECT_EQ(dialog->bankWords(3), field().tag(tag).user.left(field().chip(tag).userWords * 2));
    EXPECT_EQ(dialog->bankWords(2), field().tag(tag).tid);
    EXPECT_EQ(dialog->bankWords(1).mid(4, field().tag(tag).epc().size()), field().tag(tag).epc());

    dialog->writeBank->setCurrentIndex(2);
    dialog->writeAddress->setText("2");
    dialog->writeData->setText("CAFE BABE");
    dialog->writeButton->click();
    ASSERT_TRUE(pumpUntil([dialog] { return !dialog->isBusy(); }, kHangMs));
    EXPECT_TRUE(dialog->resultText->text().startsWith("Written and read back: words 2 to 3 of the user bank"))
        << qPrintable(dialog->resultText->text());
    EXPECT_EQ(dialog->bankWords(3).mid(4, 4), QByteArray::fromHex("CAFEBABE"));
    for (int i = 0; i < kTags; ++i) {
        QByteArray expected = before[i];
        if (i == tag)
            expected.replace(4, 4, QByteArray::fromHex("CAFEBABE"));
        EXPECT_EQ(field().tag(i).user, expected) << i;
    }
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join('\n'));
}

TEST_F(InventoryWindowTest, BadInputAndRefusalsAreSaidWithTheFieldOrTheModulesCode)
{
    inventoryAll(false);
    struct Case {
        int tag;
        int bank; // the write fields' list: 0 reserved, 1 EPC, 2 user
        const char *address, *data, *password;
        bool confirm;
        const char *message; // the error shown starts so; empty: nothing shown
        bool sent;           // anything reached the reader
    };
    const int plain = plainTagWithUserMemory(field());
    const Case cases[] = {
        {plain, 2, "", "CAFE", "00000000", true, "Word address is empty", false},
        {plain, 2, "x1", "CAFE", "00000000", true, "Word address must be a word number", false},
        {plain, 2, "0", "ABC", "00000000", true, "Data must be", false},
        {plain, 2, "0", "CAFE", "1234", true, "Access password must be", false},
        {plain, 0, "4", "1234", "00000000", true, "Word address 4 is past the reserved bank", false},
        {plain, 1, "0", "1234", "00000000", true, "Word address 0 of the EPC bank is the CRC", false},
        {plain, 0, "2", "11112222", "00000000", false, "", false},
        {UhfField::kLockedUserTag, 2, "0", "CAFE", "00000000", true,
         "Write failed: writing word 0 of the user bank: access failed (wrong password) (module error 16)", true},
        {UhfField::kLockedEpcTag, 1, "2", "CAFE", "00000000", true,
         "Write failed: writing word 2 of the EPC bank: memory locked (module error A4)", true},
    };
    for (const Case &c : cases) {
        TagMemoryDialog *dialog = openMemory(c.tag);
        ASSERT_TRUE(dialog);
        QStringList asked;
        TagMemoryDialog::setConfirm([&](const QString &q) {
            asked << q;
            return c.confirm;
        });
        errors.clear();
        const QByteArray reserved = field().tag(c.tag).reserved, epcBank = field().tag(c.tag).epcBank;
        const int framesBefore = reader.framesReceived();
        dialog->writeBank->setCurrentIndex(c.bank);
        dialog->writeAddress->setText(c.address);
        dialog->writeData->setText(c.data);
        dialog->password->setText(c.password);
        dialog->writeButton->click();
        ASSERT_TRUE(pumpUntil([dialog] { return !dialog->isBusy(); }, kHangMs));
        if (*c.message) {
            ASSERT_EQ(errors.size(), 1) << c.message;
            EXPECT_TRUE(errors[0].startsWith(c.message)) << qPrintable(errors[0]);
        } else {
            EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join('\n'));
        }
        EXPECT_EQ(reader.framesReceived() > framesBefore, c.sent) << c.message;
        EXPECT_EQ(field().tag(c.tag).reserved, reserved) << c.message;
        EXPECT_EQ(field().tag(c.tag).epcBank, epcBank) << c.message;
        if (c.bank == 0 && *c.address == '2') {
            EXPECT_TRUE(asked.value(0).contains("if it is lost")) << qPrintable(asked.join('\n'));
        }
    }
    // A refusal names the module's code.
    EXPECT_TRUE(window->tagMemory()->resultText->text().contains("module error A4"))
        << qPrintable(window->tagMemory()->resultText->text());
}

TEST_F(InventoryWindowTest, ClosingTheWindowStopsTheInventory)
{
    window->startButton->click();
    ASSERT_TRUE(pumpUntil([&] { return window->model->rowCount() > 0; }, kHangMs));
    window->close();
    ASSERT_TRUE(pumpUntil([&] { return !window->isRunning(); }, kHangMs));
    const qint64 rounds = window->model->totals().rounds;
    const int frames = reader.framesReceived();
    pumpFor(50);
    EXPECT_EQ(reader.framesReceived(), frames) << "nothing sent once stopped";
    EXPECT_EQ(window->model->totals().rounds, rounds);
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join('\n'));
}

} // namespace
