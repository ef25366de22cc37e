#pragma once

#include "field/tagaddress.h"

#include <QByteArray>
#include <QDialog>
#include <array>
#include <atomic>
#include <functional>

class JobRunner;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QTableWidget;

namespace field
{
class TagMemory;
struct MemoryResult;
} // namespace field

// The four memory banks of the one tag a row of the inventory names: reserved (kill and
// access password), EPC (CRC, PC and EPC), the whole TID and user memory, as words with their
// addresses, hex and printable text. Words are written to that tag only, each read back and
// compared. Every access is a job of the inventory window's runner, so the window never waits
// for the tag.
class TagMemoryDialog : public QDialog
{
    Q_OBJECT
public:
    static constexpr int kWordsPerRow = 8;

    TagMemoryDialog(JobRunner &runner, field::TagAddress address, QWidget *parent = nullptr);
    ~TagMemoryDialog() override;

    // Asks a yes/no question (a message box); tests answer it themselves.
    static void setConfirm(std::function<bool(const QString &)> confirm);

    const field::TagAddress &address() const { return address_; }
    // From an access's start until its job has ended.
    bool isBusy() const { return busy_; }
    // The words last read of a bank (0 reserved, 1 EPC, 2 TID, 3 user).
    const QByteArray &bankWords(int bank) const { return words_[size_t(bank)]; }

    // Reads the four banks with the access password given.
    void readAll();
    // Writes the words of the write fields, reads them back, then shows the bank again.
    void write();
    // Ends the access in hand at its next chunk.
    void stop();

    QLabel *tagText;
    QLineEdit *password;
    QPushButton *readButton;
    QTabWidget *banks;
    std::array<QLabel *, 4> bankNotes;
    std::array<QTableWidget *, 4> bankTables;
    QComboBox *writeBank;
    QLineEdit *writeAddress;
    QLineEdit *writeData;
    QPushButton *writeButton;
    QLabel *resultText;

signals:
    // An access has ended and the dialog shows its outcome.
    void accessEnded();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    QWidget *buildWrite();
    QWidget *buildBank(int bank);
    // Runs work over the tag as a job; what it posts runs on this thread, in order.
    using Post = std::function<void(std::function<void()>)>;
    void run(const QByteArray &passwordBytes, std::function<void(field::TagMemory &, const Post &)> work);
    void finished();
    void setBusy(bool busy);
    void showBank(int bank, const field::MemoryResult &result);
    void showWrite(uint8_t bank, int address, int words, const field::MemoryResult &result);
    void pickWord(int bank, int row, int column);
    void showAddress();
    // Whether writing words [address, address + words) of the reserved bank is confirmed.
    bool confirmPasswords(int address, int words, const QByteArray &data) const;

    JobRunner &runner_;
    field::TagAddress address_;
    std::array<QByteArray, 4> words_;
    std::atomic<bool> stop_{false};
    bool busy_ = false;
};
