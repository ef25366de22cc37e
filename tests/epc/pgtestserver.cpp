#include "pgtestserver.h"

#include "epc/pgconnection.h"

#include <QCoreApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <memory>

namespace pgtest
{
namespace
{

// The server this process started, stopped when the process ends (also when a test fails).
struct OwnServer {
    QTemporaryDir dir{QStringLiteral("/tmp/rfid-pg-XXXXXX")};
    QString uri, error;
    OwnServer()
    {
        QProcess start;
        start.start(QStringLiteral("bash"), {QStringLiteral(RFID_PG_SCRIPT), QStringLiteral("start"), dir.path()});
        start.waitForFinished(120'000);
        if (start.exitCode() == 0)
            uri = QString::fromUtf8(start.readAllStandardOutput()).trimmed();
        else
            error = QString::fromUtf8(start.readAllStandardError());
    }
    ~OwnServer()
    {
        QProcess::execute(QStringLiteral("bash"), {QStringLiteral(RFID_PG_SCRIPT), QStringLiteral("stop"), dir.path()});
    }
};

QString serverUri(QString &why)
{
    const QString given = qEnvironmentVariable("RFID_TEST_PG_URI");
    if (!given.isEmpty())
        return given;
    static std::unique_ptr<OwnServer> own;
    if (!own)
        own = std::make_unique<OwnServer>();
    why = own->error;
    return own->uri;
}

} // namespace

QString freshDatabase(const QString &name, QString *why)
{
    QString error;
    const QString server = serverUri(error);
    if (server.isEmpty()) {
        if (why)
            *why = error;
        return {};
    }
    static int serial = 0;
    const QString db = QStringLiteral("t_%1_%2_%3")
                           .arg(name.toLower().remove(QRegularExpression(QStringLiteral("[^a-z0-9_]"))))
                           .arg(QCoreApplication::applicationPid())
                           .arg(++serial);
    epc::PgConnection admin(server);
    admin.run(QStringLiteral("CREATE DATABASE %1").arg(db).toUtf8().constData());
    // The server's URI with the new database in its path.
    static const QRegularExpression path(QStringLiteral("^(postgres(?:ql)?://[^/?]*/)([^?]*)(.*)$"));
    QString uri = server;
    return uri.replace(path, QStringLiteral("\\1%1\\3").arg(db));
}

} // namespace pgtest
