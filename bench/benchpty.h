#pragma once

#include <QByteArray>
#include <QString>

class TComm;

// A pseudo-terminal: the port under test opens the slave by name, the benchmark writes the
// far end's bytes into the master.
class BenchPty
{
public:
    BenchPty();
    ~BenchPty();
    BenchPty(const BenchPty &) = delete;
    BenchPty &operator=(const BenchPty &) = delete;

    bool isOpen() const { return master_ >= 0; }
    QString path() const { return path_; }
    // Writes all of bytes (blocking while the line is full); false when the master fails.
    bool send(const char *bytes, qsizetype size) const;
    // Drops whatever the port wrote towards the far end.
    void drain() const;

private:
    int master_ = -1;
    int slave_ = -1; // held open so the master never sees the line hang up between opens
    QString path_;
};

// Gives the port the device path and the line settings the main window gives its port
// (no XON/XOFF: those two byte values would be taken as flow control).
void configureLikeMainWindow(TComm &comm, const QString &path);
