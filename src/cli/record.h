#pragma once

#include <QByteArray>
#include <QJsonValue>
#include <QList>
#include <QString>
#include <QStringList>

namespace cli
{

// What one command reports: named values, in order. Printed as "name: value" lines for people
// or as one JSON object (snake_case keys, hex as upper-case digits without blanks).
class Record
{
public:
    struct Field {
        QString key; // snake_case
        QJsonValue value;
        QString text;      // what people read; empty: made from the value
        bool human = true; // false: in JSON only (the notes say it for people)
    };

    void add(const QString &key, const QJsonValue &value, const QString &text = QString());
    // Bytes as upper-case hex digit pairs.
    void hex(const QString &key, const QByteArray &bytes);
    // A value for JSON only, its facts written as notes for people.
    void data(const QString &key, const QJsonValue &value);
    // A line only people see (JSON has the same facts as fields).
    void note(const QString &line) { notes_ << line; }

    const QList<Field> &fields() const { return fields_; }
    const QStringList &notes() const { return notes_; }

private:
    QList<Field> fields_;
    QStringList notes_;
};

// Bytes as upper-case hex digit pairs without blanks.
QString hexText(const QByteArray &bytes);

} // namespace cli
