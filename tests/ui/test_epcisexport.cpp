#include "support/core/helpers.h"
#include "support/faketransport.h"

#include "epc/journalrow.h"
#include "link/readerlink.h"
#include "pagekit/guard.h"
#include "ui/epcbatchwindow.h"
#include "ui/filedialogs.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace
{

// "Export EPCIS..." in the batch window: the journal named in its Journal field, the file
// chosen in the save dialog, the format by the file's ending; what went wrong in a message.
TEST(EpcisExport, TheBatchWindowWritesTheDocumentOfItsJournal)
{
    QTemporaryDir dir;
    const QString journal = dir.filePath(QStringLiteral("journal.csv"));
    QFile f(journal);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(epc::kJournalHeader) +
            "\n2024-05-01T10:00:00.000+02:00,0,3074257BF7194E4000001A85,E2801105,verified,1,\n"
            "2024-05-01T10:00:01.000+02:00,1,E20000000000000000000001,E2801106,verified,1,\n"
            "2024-05-01T10:00:02.000+02:00,2,3074257BF7194E4000001A87,E2801107,failed,3,locked\n");
    f.close();

    struct Case {
        const char *journal; // JOURNAL: the one above
        const char *chosen;  // in the test's folder; empty: cancelled; nullptr: no dialog expected
        const char *notes;   // the window's notes after it, FILE standing for the chosen file
        const char *error;
    };
    const Case cases[] = {
        {"JOURNAL", "doc.xml", "2 commissioning events written to FILE (EPCIS 2.0 XML)", ""},
        {"JOURNAL", "doc.jsonld", "2 commissioning events written to FILE (EPCIS 2.0 JSON-LD)", ""},
        {"JOURNAL", "", "", ""},
        {" ", nullptr, "", "Journal is empty"},
        {"missing.csv", nullptr, "", "journal missing.csv does not exist"},
        {"JOURNAL", "none/doc.xml", "", "No such file or directory"},
    };
    FakeTransport transport;
    ReaderLink link(transport);
    QStringList errors;
    guard::setErrorDisplay([&errors](const QString &m) { errors << m; });
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.journal) + " -> " + (c.chosen ? c.chosen : "no dialog"));
        EpcBatchWindow window(link);
        errors.clear();
        const QString chosen = c.chosen && *c.chosen ? dir.filePath(QString::fromUtf8(c.chosen)) : QString();
        int asked = 0;
        filedialogs::setChooser([&](const filedialogs::Request &r) {
            ++asked;
            EXPECT_EQ(r.kind, filedialogs::Request::Kind::Save);
            return chosen;
        });
        window.journalPath->setText(QString::fromUtf8(c.journal).replace(QStringLiteral("JOURNAL"), journal));
        window.exportEpcisButton->click();
        filedialogs::setChooser({});

        EXPECT_EQ(asked, c.chosen ? 1 : 0);
        EXPECT_EQ(window.notes->text(), QString::fromUtf8(c.notes).replace(QStringLiteral("FILE"), chosen));
        EXPECT_EQ(errors.size(), *c.error ? 1 : 0);
        EXPECT_TRUE(errors.value(0).contains(QString::fromUtf8(c.error))) << errors.value(0).toStdString();
        if (*c.error || chosen.isEmpty())
            continue;
        const QByteArray document = bytesOf(chosen);
        if (chosen.endsWith(QLatin1String(".xml"))) {
            EXPECT_TRUE(document.startsWith("<?xml")) << document.left(80).constData();
            EXPECT_EQ(document.count("<ObjectEvent>"), 2);
        } else {
            const QJsonObject doc = QJsonDocument::fromJson(document).object();
            EXPECT_EQ(doc[QStringLiteral("epcisBody")][QStringLiteral("eventList")].toArray().size(), 2);
        }
    }
    guard::setErrorDisplay({});
}

} // namespace
