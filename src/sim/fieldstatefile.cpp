#include "sim/fieldstatefile.h"

#include "base/hex.h"
#include "files/read.h"
#include "files/save.h"
#include "sim/uhfmodule.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace
{

constexpr int kFormat = 1;
// A full field's file is about 330 KiB; anything far larger is no file of ours.
constexpr qint64 kMaxFileBytes = 4 * 1024 * 1024;

QString hexOf(const QByteArray &bytes)
{
    return hex::fromBytes(bytes);
}

// Bytes of a JSON hex string; empty for anything else.
QByteArray bytesOf(const QJsonValue &value)
{
    const QString text = value.toString();
    return text.size() % 2 == 0 && hex::onlyDigits(text) ? hex::toBytes(text) : QByteArray();
}

} // namespace

QString FieldStateFile::defaultFolder()
{
    const QString state = qEnvironmentVariable("XDG_STATE_HOME");
    const QString base = state.isEmpty() ? QDir::homePath() + QStringLiteral("/.local/state") : state;
    return base + QStringLiteral("/RFID");
}

QString FieldStateFile::fileName(int tags, uint32_t seed)
{
    return seed == UhfField::kDefaultSeed ? QStringLiteral("sim-field-%1.json").arg(tags)
                                          : QStringLiteral("sim-field-%1-seed-%2.json").arg(tags).arg(seed);
}

FieldStateFile::FieldStateFile(UhfModule &module, QString folder, QObject *parent)
    : QObject(parent), module_(module), folder_(std::move(folder)), savedRevision_(module.fieldRevision())
{
    connect(&module_, &UhfModule::fieldFilled, this, &FieldStateFile::load);
    connect(&module_, &UhfModule::changed, this, &FieldStateFile::saveIfChanged);
}

QString FieldStateFile::path() const
{
    const UhfField *field = module_.field();
    return field ? QDir(folder_).filePath(fileName(field->size(), field->seed())) : QString();
}

void FieldStateFile::load()
{
    const UhfField *field = module_.field();
    const QString file = path();
    savedRevision_ = module_.fieldRevision();
    if (!field || !QFileInfo::exists(file))
        return;
    const files::ReadResult read = files::readWhole(file, kMaxFileBytes);
    if (!read.error.isEmpty()) {
        emit problem(QStringLiteral("The simulated field starts as its seed makes it: %1").arg(read.error));
        return;
    }
    const QJsonObject root = QJsonDocument::fromJson(read.data).object();
    if (root.value(QStringLiteral("format")).toInt() != kFormat ||
        root.value(QStringLiteral("tags")).toInt(-1) != field->size() ||
        root.value(QStringLiteral("seed")).toInteger(-1) != qint64(field->seed())) {
        emit problem(QStringLiteral("The simulated field starts as its seed makes it: %1 is not a state file of a "
                                    "field of %2 tags (format %3); it is replaced at the next write.")
                         .arg(file)
                         .arg(field->size())
                         .arg(kFormat));
        return;
    }
    std::vector<UhfField::WrittenMemory> written;
    for (const QJsonValue &v : root.value(QStringLiteral("written")).toArray()) {
        const QJsonObject o = v.toObject();
        written.push_back({o.value(QStringLiteral("index")).toInt(-1), bytesOf(o.value(QStringLiteral("reserved"))),
                           bytesOf(o.value(QStringLiteral("epc_bank"))), bytesOf(o.value(QStringLiteral("user")))});
    }
    if (!module_.restoreField(written))
        emit problem(QStringLiteral("%1: some tags in it do not fit the field; those start as the seed makes them.")
                         .arg(file));
    savedRevision_ = module_.fieldRevision();
}

void FieldStateFile::saveIfChanged()
{
    const UhfField *field = module_.field();
    if (!field || module_.fieldRevision() == savedRevision_)
        return;
    savedRevision_ = module_.fieldRevision();
    QJsonArray written;
    for (const UhfField::WrittenMemory &m : field->writtenMemory())
        written.append(QJsonObject{{QStringLiteral("index"), m.index},
                                   {QStringLiteral("reserved"), hexOf(m.reserved)},
                                   {QStringLiteral("epc_bank"), hexOf(m.epcBank)},
                                   {QStringLiteral("user"), hexOf(m.user)}});
    const QJsonObject root{{QStringLiteral("format"), kFormat},
                           {QStringLiteral("tags"), field->size()},
                           {QStringLiteral("seed"), qint64(field->seed())},
                           {QStringLiteral("written"), written}};
    if (!QDir().mkpath(folder_)) {
        emit problem(QStringLiteral("The simulated field's state is not kept: cannot make the folder %1.").arg(folder_));
        return;
    }
    if (const QString error = files::saveWhole(path(), QJsonDocument(root).toJson(QJsonDocument::Indented));
        !error.isEmpty())
        emit problem(QStringLiteral("The simulated field's state is not kept: %1").arg(error));
}
