#pragma once

#include <QObject>
#include <QString>
#include <cstdint>

class UhfModule;

// The simulated field's written memory, kept between runs in a JSON file per field (its number
// of tags and seed, which make the same EPCs and TIDs every run): read when the field is
// filled, replaced whole (a checked save) after every change of its tags. Only what writes
// changed is kept; a file that does not fit the field is left out and said so.
class FieldStateFile : public QObject
{
    Q_OBJECT
public:
    // $XDG_STATE_HOME/RFID, or ~/.local/state/RFID when XDG_STATE_HOME is not set.
    static QString defaultFolder();
    // "sim-field-12.json"; another seed than the default adds it: "sim-field-12-seed-5.json".
    static QString fileName(int tags, uint32_t seed);

    // Keeps the module's field in folder from now on: each field filled is read from its file.
    FieldStateFile(UhfModule &module, QString folder, QObject *parent = nullptr);

    // Reads the file of the field the module holds now (a field filled before this was made).
    void load();

    // The file of the module's field now; empty without a field.
    QString path() const;

signals:
    // A file that could not be read or written, or did not fit the field: why, in words.
    void problem(const QString &message);

private:
    void saveIfChanged();

    UhfModule &module_;
    QString folder_;
    int savedRevision_ = -1;
};
