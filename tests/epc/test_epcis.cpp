#include "support/core/helpers.h"

#include "epc/csvverifiedrows.h"
#include "epc/epcisdocument.h"
#include "epc/epcisjsonwriter.h"
#include "epc/epcisxmlwriter.h"
#include "epc/isotime.h"
#include "epc/journalrow.h"
#include "epc/uricheck.h"
#include "base/errors.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <gtest/gtest.h>

namespace
{

using namespace epc;

// The message of what throws, or an empty text.
template <class F> QString errorOf(F f)
{
    try {
        f();
    } catch (const UserError &e) {
        return e.message();
    }
    return {};
}

TEST(EpcisInput, UrisAreCheckedNamingTheOption)
{
    const struct {
        const char *text;
        const char *fault; // what the message says; nullptr: a URI
    } cases[] = {
        {"urn:epc:id:sgln:0614141.07346.1234", nullptr},
        {"https://id.example.com/414/0614141073467?x=1&y='2'#here", nullptr},
        {"http://[::1]:8080/rp", nullptr},
        {"urn:x:%41%2f", nullptr},
        {"", "--read-point is empty: it takes a URI"},
        {"sgln", "does not start with a scheme and a colon"},
        {"1urn:x", "does not start with a scheme and a colon"},
        {"ur n:x", "its scheme \"ur n\" has ' '"},
        {"urn:", "nothing follows the scheme"},
        {"urn:a b", "' ' at position 6 is no character of a URI"},
        {"urn:a\tb", "'U+0009' at position 6"},
        {"urn:caf\xc3\xa9", "'\xc3\xa9' at position 8"},
        {"urn:a%4", "'%' at position 6 does not start an escape"},
        {"urn:a%g0", "'%' at position 6 does not start an escape"},
        {"http://h/a#b#c", "a second '#' at position 13"},
        {"urn:a[1]", "'[' at position 6"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        const QString message = errorOf([&] { checkUri(QString::fromUtf8(c.text), QStringLiteral("--read-point")); });
        if (!c.fault) {
            EXPECT_EQ(message, QString());
            continue;
        }
        EXPECT_TRUE(message.startsWith(QStringLiteral("--read-point "))) << message.toStdString();
        EXPECT_TRUE(message.contains(QString::fromUtf8(c.fault))) << message.toStdString();
    }
}

TEST(EpcisInput, TimesAreIso8601WithOrWithoutOffset)
{
    const QDateTime utc(QDate(2024, 5, 1), QTime(8, 0), Qt::UTC);
    const struct {
        const char *text;
        QDateTime moment; // invalid: refused
    } cases[] = {
        {"2024-05-01T10:00:00+02:00", utc},
        {"2024-05-01T08:00Z", utc},
        {"2024-05-01T03:30:00.000-04:30", utc},
        {"2024-05-01", QDateTime(QDate(2024, 5, 1), QTime(0, 0))},
        {"2024-05-01T08:00:00", QDateTime(QDate(2024, 5, 1), QTime(8, 0))},
        {"yesterday", {}},
        {"2024-02-30", {}},
        {"", {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        if (c.moment.isValid()) {
            EXPECT_EQ(parseTime(QString::fromUtf8(c.text), QStringLiteral("--since")), c.moment);
        } else {
            EXPECT_TRUE(errorOf([&] {
                            parseTime(QString::fromUtf8(c.text), QStringLiteral("--since"));
                        }).startsWith(QStringLiteral("--since must be an ISO 8601 time")));
        }
    }
    EXPECT_EQ(isoOffset(-(5 * 3600 + 30 * 60)), QStringLiteral("-05:30"));
    EXPECT_EQ(isoOffset(0), QStringLiteral("+00:00"));
}

// A row whose time EPCIS cannot carry stops the document naming the journal's line; the
// times of rows that make no event are not looked at, and a last line cut by a crash is no row.
TEST(EpcisDocument, JournalsTheDocumentCannotCarryAreRefusedNamingTheLine)
{
    const struct {
        const char *rows;  // after the header
        const char *fault; // nullptr: read, making events
        int events;
    } cases[] = {
        {"2024-05-01T10:00:00,0,3074,,verified,1,\n", "line 2: time \"2024-05-01T10:00:00\" has no UTC offset", 0},
        {"2024-02-30T10:00:00Z,0,3074,,verified,1,\n", "is not a valid ISO 8601 time", 0},
        {"2024-05-01T10:00:00+15:00,0,3074,,verified,1,\n", "has an offset beyond 14 hours", 0},
        {"2024-05-01T10:00:00Z,0,3074,,verified,1,\n2024-05-01T10:00:00Z,1,3G74,,verified,1,\n",
         "line 3: epc is not hex", 0},
        {"2024-05-01T10:00:00,0,3074,,failed,1,\n2024-05-01T10:00:00,1,3075,,written,1,\n", nullptr, 0},
        {"2024-05-01T10:00:00Z,0,3074,,verified,1,\n2024-05-01T10:00:01Z,1,3075,,veri", nullptr, 1},
    };
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("j.csv"));
    for (const auto &c : cases) {
        SCOPED_TRACE(c.rows);
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(QByteArray(kJournalHeader) + '\n' + c.rows);
        f.close();
        qint64 events = -1;
        const QString message =
            errorOf([&] { events = writeEpcisDocument(CsvVerifiedRows(path), {}, [](QByteArrayView) {}); });
        if (c.fault) {
            EXPECT_TRUE(message.startsWith(QStringLiteral("journal %1, line ").arg(path))) << message.toStdString();
            EXPECT_TRUE(message.contains(QString::fromUtf8(c.fault))) << message.toStdString();
        } else {
            EXPECT_EQ(message, QString());
            EXPECT_EQ(events, c.events);
        }
    }
    EXPECT_EQ(errorOf([&] { CsvVerifiedRows(dir.filePath(QStringLiteral("none.csv"))); }),
              QStringLiteral("journal %1 does not exist").arg(dir.filePath(QStringLiteral("none.csv"))));
}

// Every text goes into both formats escaped, so that it reads back as it was; XML 1.0 cannot
// carry a control character other than tab and line breaks at all, which becomes U+FFFD.
TEST(EpcisDocument, EveryTextIsEscapedInBothFormats)
{
    const QString nasty = QStringLiteral("a\"b\\c<d>&e'f\tg\nh\ri\x01j\u00e9k\U0001F600");
    const EventPlace place{nasty, QStringLiteral("urn:plain")};
    const QDateTime time(QDate(2024, 5, 1), QTime(10, 0), Qt::OffsetFromUTC, 7200);
    for (const bool xml : {false, true}) {
        SCOPED_TRACE(xml ? "xml" : "json");
        QByteArray document;
        QList<QByteArray> pieces;
        // Pieces of 16 bytes: the multi-byte characters meet a piece's end.
        ChunkSink sink(
            [&](QByteArrayView piece) {
                document += piece;
                pieces << piece.toByteArray();
            },
            16);
        std::unique_ptr<EpcisWriter> writer;
        if (xml)
            writer = std::make_unique<EpcisXmlWriter>(sink, place);
        else
            writer = std::make_unique<EpcisJsonWriter>(sink, place);
        writer->begin(time);
        writer->event({nasty, time});
        writer->end();
        EXPECT_GT(pieces.size(), 5);
        for (const QByteArray &piece : pieces) // whole UTF-8: it reads back unchanged
            EXPECT_EQ(QString::fromUtf8(piece).toUtf8(), piece);
        QStringList texts; // the EPC, the read point, the business location
        if (xml) {
            QXmlStreamReader reader(document);
            while (!reader.atEnd())
                if (reader.readNext() == QXmlStreamReader::StartElement &&
                    (reader.name() == u"epc" || reader.name() == u"id"))
                    texts << reader.readElementText();
            EXPECT_FALSE(reader.hasError()) << reader.errorString().toStdString();
        } else {
            QJsonParseError error{};
            const QJsonObject event = QJsonDocument::fromJson(document, &error)
                                          .object()[QStringLiteral("epcisBody")][QStringLiteral("eventList")][0]
                                          .toObject();
            EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
            texts << event[QStringLiteral("epcList")][0].toString()
                  << event[QStringLiteral("readPoint")][QStringLiteral("id")].toString()
                  << event[QStringLiteral("bizLocation")][QStringLiteral("id")].toString();
        }
        const QString expected = xml ? QString(nasty).replace(QChar(1), QChar(0xFFFD)) : nasty;
        EXPECT_EQ(texts, QStringList({expected, expected, QStringLiteral("urn:plain")}));
    }
}

} // namespace
