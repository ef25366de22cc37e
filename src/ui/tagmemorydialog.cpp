#include "ui/tagmemorydialog.h"

#include "base/errors.h"
#include "base/hex.h"
#include "field/memoryinput.h"
#include "field/modulechannel.h"
#include "field/tagmemory.h"
#include "link/exchangeport.h"
#include "link/jobcontrol.h"
#include "link/jobrunner.h"
#include "pagekit/guard.h"
#include "pagekit/widgets.h"
#include "protocol/tidchips.h"
#include "protocol/uhf.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMessageBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

namespace
{

namespace uhf = protocol::uhf;

const QString kTitle = QStringLiteral("Tag memory");
const char *const kBankTitles[4] = {"Reserved", "EPC", "TID", "User"};
// The banks the write fields offer, as the combo box lists them: the TID is read-only.
const uint8_t kWritableBanks[] = {uhf::kBankReserved, uhf::kBankEpc, uhf::kBankUser};

// The names the write fields have on the screen, for the messages.
field::MemoryLabels labels()
{
    field::MemoryLabels l;
    l.address = QStringLiteral("Word address");
    l.words = QStringLiteral("Word count");
    l.data = QStringLiteral("Data");
    l.password = QStringLiteral("Access password");
    return l;
}

std::function<bool(const QString &)> &confirmer()
{
    static std::function<bool(const QString &)> c;
    return c;
}

// A word number, decimal or hex after 0x.
int wordAddress(const QString &text)
{
    const QString t = text.trimmed();
    const QString label = labels().address;
    if (t.isEmpty())
        throw UserError(
            QStringLiteral("%1 is empty: give the number of the first word to write (0, 1, 2 ...).").arg(label));
    bool ok = false;
    const int value = t.startsWith(QStringLiteral("0x"), Qt::CaseInsensitive) ? t.mid(2).toInt(&ok, 16) : t.toInt(&ok);
    if (!ok || value < 0)
        throw UserError(
            QStringLiteral("%1 must be a word number from 0 (decimal, or hex after 0x), not \"%2\".").arg(label, t));
    return value;
}

// Printable ASCII as itself, anything else as a dot.
QString printable(const QByteArray &bytes)
{
    QString text;
    for (const char c : bytes)
        text += c >= 0x20 && c < 0x7F ? QChar::fromLatin1(c) : QChar(u'.');
    return text;
}

QString wordText(const QByteArray &words, int word)
{
    return hex::fromBytes(words.mid(word * 2, 2));
}

field::MemoryResult readBank(field::TagMemory &memory, int bank)
{
    // The reserved bank is its two passwords; the others run as far as the tag has memory.
    return bank == uhf::kBankReserved ? memory.read(uhf::kBankReserved, 0, 4) : memory.readToEnd(uint8_t(bank));
}

} // namespace

void TagMemoryDialog::setConfirm(std::function<bool(const QString &)> confirm)
{
    confirmer() = std::move(confirm);
}

TagMemoryDialog::TagMemoryDialog(JobRunner &runner, field::TagAddress address, QWidget *parent)
    : QDialog(parent), runner_(runner), address_(std::move(address))
{
    setObjectName(QStringLiteral("TagMemoryDialog"));
    setWindowTitle(kTitle);
    setModal(false);

    tagText = ui::label("tagText", QString(), this);
    tagText->setTextInteractionFlags(Qt::TextSelectableByMouse);
    password = ui::edit("password", QStringLiteral("00000000"), this);
    password->setToolTip(QStringLiteral("4 bytes of hex; every read and write carries it (zeros when the tag has "
                                        "none)."));
    password->setMaximumWidth(120);
    readButton = ui::button("readAll", QStringLiteral("Read all banks"), this);
    auto *top = new QHBoxLayout;
    top->addWidget(ui::label("passwordLabel", QStringLiteral("Access password (hex):"), this));
    top->addWidget(password);
    top->addWidget(readButton);
    top->addStretch(1);

    banks = new QTabWidget(this);
    banks->setObjectName(QStringLiteral("banks"));
    for (int bank = 0; bank < 4; ++bank)
        banks->addTab(buildBank(bank), QString::fromLatin1(kBankTitles[bank]));
    resultText = ui::label("resultText", QString(), this);
    resultText->setWordWrap(true);
    resultText->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(tagText);
    layout->addLayout(top);
    layout->addWidget(banks, 1);
    layout->addWidget(buildWrite());
    layout->addWidget(resultText);

    guard::onClick(readButton, [this] { readAll(); });
    guard::onClick(writeButton, [this] { write(); });
    connect(&runner_, &JobRunner::finished, this, [this](const QString &error) {
        if (!busy_)
            return; // the inventory's job
        finished();
        if (!error.isEmpty())
            guard::showError(error);
    });
    showAddress();
    resize(820, 640);
}

TagMemoryDialog::~TagMemoryDialog() = default;

QWidget *TagMemoryDialog::buildBank(int bank)
{
    auto *page = new QWidget(this);
    bankNotes[size_t(bank)] = ui::label("bankNote", QString(), page);
    bankNotes[size_t(bank)]->setWordWrap(true);
    bankNotes[size_t(bank)]->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto *grid = new QTableWidget(0, kWordsPerRow + 2, page);
    grid->setObjectName(QStringLiteral("bank%1").arg(bank));
    QStringList headers{QStringLiteral("Word")};
    for (int i = 0; i < kWordsPerRow; ++i)
        headers << QStringLiteral("+%1").arg(i);
    headers << QStringLiteral("Text");
    grid->setHorizontalHeaderLabels(headers);
    grid->verticalHeader()->hide();
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->horizontalHeader()->setStretchLastSection(true);
    QFont mono(QStringLiteral("monospace"));
    mono.setStyleHint(QFont::TypeWriter);
    grid->setFont(mono);
    grid->setColumnWidth(0, 60);
    for (int i = 1; i <= kWordsPerRow; ++i)
        grid->setColumnWidth(i, 56);
    bankTables[size_t(bank)] = grid;
    // A word clicked is put in the write fields, to be changed there.
    connect(grid, &QTableWidget::cellClicked, this, [this, bank](int row, int column) { pickWord(bank, row, column); });
    auto *layout = new QVBoxLayout(page);
    layout->addWidget(bankNotes[size_t(bank)]);
    layout->addWidget(grid, 1);
    return page;
}

QWidget *TagMemoryDialog::buildWrite()
{
    auto *group = ui::group("writeGroup", QStringLiteral("Write to this tag"), this);
    writeBank =
        ui::combo("writeBank", {QStringLiteral("Reserved"), QStringLiteral("EPC"), QStringLiteral("User")}, 2, group);
    writeAddress = ui::edit("writeAddress", QStringLiteral("0"), group);
    writeAddress->setMaximumWidth(100);
    writeData = ui::edit("writeData", QString(), group);
    writeData->setPlaceholderText(QStringLiteral("whole words of hex, e.g. 1234 ABCD"));
    writeButton = ui::button("write", QStringLiteral("Write and verify"), group);
    writeBank->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    auto *buttonRow = new QHBoxLayout;
    buttonRow->addWidget(writeButton);
    buttonRow->addStretch(1);
    auto *form = new QFormLayout(group);
    form->addRow(QStringLiteral("Bank:"), writeBank);
    form->addRow(QStringLiteral("Word address:"), writeAddress);
    form->addRow(QStringLiteral("Data:"), writeData);
    form->addRow(QString(), buttonRow);
    return group;
}

void TagMemoryDialog::showAddress()
{
    tagText->setText(QStringLiteral("Tag: %1. Every access selects this tag first; a write is read back and "
                                    "compared.")
                         .arg(address_.text()));
    setWindowTitle(QStringLiteral("%1 - %2").arg(kTitle, address_.text()));
}

void TagMemoryDialog::setBusy(bool busy)
{
    busy_ = busy;
    readButton->setEnabled(!busy);
    writeButton->setEnabled(!busy);
}

void TagMemoryDialog::run(const QByteArray &passwordBytes, std::function<void(field::TagMemory &, const Post &)> work)
{
    if (busy_)
        return;
    stop_.store(false);
    const Post post = [this](std::function<void()> call) {
        QMetaObject::invokeMethod(this, std::move(call), Qt::QueuedConnection);
    };
    // The dialog is not destroyed while busy (its window joins the runner first), so the job
    // may post to it until it returns.
    const bool started = runner_.start([this, passwordBytes, work = std::move(work), post](JobControl &control) {
        field::ModuleChannel channel(
            [&control](const protocol::Request &request) { return control.port().exchange(request); });
        field::TagMemory memory(channel, address_, passwordBytes, &stop_);
        work(memory, post);
        post([this, address = memory.address()] {
            address_ = address; // writing the EPC changes how the tag is found
            showAddress();
        });
    });
    if (!started)
        throw UserError(QStringLiteral("The inventory is running: stop it before reading or writing a tag's memory."));
    setBusy(true);
}

void TagMemoryDialog::finished()
{
    setBusy(false);
    emit accessEnded();
}

void TagMemoryDialog::stop()
{
    stop_.store(true);
}

void TagMemoryDialog::readAll()
{
    const QByteArray passwordBytes = field::passwordField(password->text(), labels().password);
    resultText->setText(QStringLiteral("Reading..."));
    run(passwordBytes, [this](field::TagMemory &memory, const Post &post) {
        for (int bank = 0; bank < 4; ++bank) {
            const field::MemoryResult result = readBank(memory, bank);
            post([this, bank, result] { showBank(bank, result); });
            if (result.status == field::MemoryResult::Status::ReaderGone ||
                result.status == field::MemoryResult::Status::Stopped)
                break;
        }
        post([this] { resultText->setText(QStringLiteral("Read.")); });
    });
}

void TagMemoryDialog::showBank(int bank, const field::MemoryResult &result)
{
    const QByteArray &words = words_[size_t(bank)] = result.data;
    QTableWidget *grid = bankTables[size_t(bank)];
    const int count = int(words.size() / 2);
    grid->setRowCount((count + kWordsPerRow - 1) / kWordsPerRow);
    for (int row = 0; row < grid->rowCount(); ++row) {
        const int first = row * kWordsPerRow;
        grid->setItem(row, 0, new QTableWidgetItem(QString::number(first)));
        for (int i = 0; i < kWordsPerRow; ++i)
            grid->setItem(row, i + 1, new QTableWidgetItem(first + i < count ? wordText(words, first + i) : QString()));
        grid->setItem(row, kWordsPerRow + 1, new QTableWidgetItem(printable(words.mid(first * 2, kWordsPerRow * 2))));
    }

    QString note;
    if (bank == uhf::kBankReserved && count >= 4)
        note = QStringLiteral("Kill password %1, access password %2.")
                   .arg(hex::fromBytes(words.mid(0, 4)), hex::fromBytes(words.mid(4, 4)));
    else if (bank == uhf::kBankEpc && count >= 2) {
        const int pc = (uint8_t(words[2]) << 8) | uint8_t(words[3]);
        const int epcWords = pc >> field::kPcLengthShift;
        note = QStringLiteral("Word 0 is the CRC (%1), word 1 the PC (%2): its length bits say %3 words of EPC (%4).")
                   .arg(wordText(words, 0), wordText(words, 1))
                   .arg(epcWords)
                   .arg(hex::fromBytes(words.mid(4, epcWords * 2)));
    } else if (bank == uhf::kBankTid && count > 0)
        note = QStringLiteral("Chip: %1. Read-only.").arg(protocol::tid::identify(words).text);
    else if (bank == uhf::kBankUser && result.ok())
        note = count == 0 ? QStringLiteral("This tag has no user memory.")
                          : QStringLiteral("%1 words of user memory.").arg(count);
    if (!result.ok())
        note = QStringLiteral("%1%2Not read: %3")
                   .arg(note, note.isEmpty() ? QString() : QStringLiteral(" "), result.message);
    bankNotes[size_t(bank)]->setText(note);
}

void TagMemoryDialog::pickWord(int bank, int row, int column)
{
    const int word = row * kWordsPerRow + column - 1;
    if (column < 1 || column > kWordsPerRow || word >= words_[size_t(bank)].size() / 2)
        return;
    const auto writable = std::find(std::begin(kWritableBanks), std::end(kWritableBanks), uint8_t(bank));
    if (writable == std::end(kWritableBanks))
        return;
    writeBank->setCurrentIndex(int(writable - std::begin(kWritableBanks)));
    writeAddress->setText(QString::number(word));
    writeData->setText(wordText(words_[size_t(bank)], word));
}

bool TagMemoryDialog::confirmPasswords(int address, int words, const QByteArray &data) const
{
    QStringList what;
    if (address < 2)
        what << QStringLiteral("the kill password: with it a reader disables the tag for good, so keep it secret; "
                               "if it is lost, the tag can no longer be killed when it should be");
    if (address + words > 2)
        what << QStringLiteral("the access password: from then on the tag's locked memory is written, and its locks "
                               "changed, only with it; if it is lost, what is locked can never be changed again");
    const QString question = QStringLiteral("Write %1 to %2?\n\nThis sets %3.")
                                 .arg(hex::fromBytes(data), address_.text(), what.join(QStringLiteral("; and ")));
    if (confirmer())
        return confirmer()(question);
    return QMessageBox::question(const_cast<TagMemoryDialog *>(this), kTitle, question,
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
}

void TagMemoryDialog::write()
{
    const uint8_t bank = kWritableBanks[std::clamp(writeBank->currentIndex(), 0, 2)];
    const int address = wordAddress(writeAddress->text());
    const QByteArray data = field::wordsField(writeData->text(), labels().data);
    field::checkWrite(bank, address, data, labels());
    const QByteArray passwordBytes = field::passwordField(password->text(), labels().password);
    const int words = int(data.size() / 2);
    if (bank == uhf::kBankReserved && !confirmPasswords(address, words, data))
        return;
    resultText->setText(QStringLiteral("Writing..."));
    run(passwordBytes, [this, bank, address, data, words](field::TagMemory &memory, const Post &post) {
        const field::MemoryResult result = memory.write(bank, address, data);
        post([this, bank, address, words, result] { showWrite(bank, address, words, result); });
        if (!result.ok())
            return;
        const field::MemoryResult again = readBank(memory, bank);
        post([this, bank, again] { showBank(bank, again); });
    });
}

void TagMemoryDialog::showWrite(uint8_t bank, int address, int words, const field::MemoryResult &result)
{
    const QString where = words == 1 ? QStringLiteral("word %1 of the %2 bank").arg(address).arg(uhf::bankName(bank))
                                     : QStringLiteral("words %1 to %2 of the %3 bank")
                                           .arg(address)
                                           .arg(address + words - 1)
                                           .arg(uhf::bankName(bank));
    if (result.ok()) {
        QString text = QStringLiteral("Written and read back: %1.").arg(where);
        if (!result.pc.isEmpty())
            text += QStringLiteral(" The PC word became %1: its length bits follow the EPC's new length.")
                        .arg(hex::fromBytes(result.pc));
        resultText->setText(text);
        return;
    }
    // The message says where, and the module's code of a refusal.
    const QString text = QStringLiteral("Write failed: %1").arg(result.message);
    resultText->setText(text);
    guard::showError(text);
}

void TagMemoryDialog::closeEvent(QCloseEvent *event)
{
    // An access in hand ends at its next chunk; the dialog stays until its job has ended.
    stop();
    event->accept();
}
