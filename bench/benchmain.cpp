#include "figures.h"
#include "windowrig.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstring>
#include <vector>

namespace
{

using figures::Bound;
using figures::Figure;
using figures::num;

// Inventory rounds against the instant simulated reader with a field of fieldTags.
Figure inventoryFigure(int fieldTags)
{
    using V = QList<double>;
    const QString key = QStringLiteral("inventory.%1.").arg(fieldTags);
    return {QStringLiteral("UHF inventory, instant simulated reader, RFID_SIM_FIELD=%1: tool's processor time a round")
                .arg(fieldTags),
            "<= 0.3 ms",
            {key + "tool_cpu_ms", key + "sim_cpu_ms", key + "rounds_per_s", key + "reads_per_round"},
            [](const V &v) { return v[0]; },
            Bound::AtMost,
            0.3,
            [](const V &v) {
                return num(v[0], 3) + " ms (simulator " + num(v[1], 3) + " ms; " + num(v[2], 0) + " rounds a second, " +
                       num(v[3], 2) + " reads a round)";
            }};
}

QList<Figure> table()
{
    using V = QList<double>;
    return {
        {"CPU while a handler waits 2000 ms unanswered, above the idle window",
         "<= 0.2 % of one core",
         {"wait.cpu_pct", "wait.idle_pct"},
         [](const V &v) { return v[0]; },
         Bound::AtMost,
         0.2,
         [](const V &v) { return num(v[0], 3) + " % (idle window " + num(v[1], 3) + " %)"; }},
        {"CPU while the USB I/O thread waits 2000 ms unanswered, both threads, above idle",
         "<= 0.2 % of one core",
         {"hidwait.cpu_pct", "hidwait.idle_pct"},
         [](const V &v) { return v[0]; },
         Bound::AtMost,
         0.2,
         [](const V &v) { return num(v[0], 3) + " % (idle " + num(v[1], 3) + " %)"; }},
        {"longest event-loop stall during that wait",
         "<= 5 ms",
         {"hidwait.stall_ms", "hidwait.idle_stall_ms"},
         [](const V &v) { return v[0]; },
         Bound::AtMost,
         5,
         [](const V &v) { return num(v[0], 2) + " ms (idle loop " + num(v[1], 2) + " ms)"; }},
        {"tool's own work per USB exchange (Set button), processor time",
         "<= 0.200 ms",
         {"exchange.cpu_ms", "exchange.wall_ms"},
         [](const V &v) { return v[0]; },
         Bound::AtMost,
         0.2,
         [](const V &v) { return num(v[0], 3) + " ms (wall " + num(v[1], 3) + ")"; }},
        {"log pane: processor time per line at 100,000 / at 1,000 lines",
         "<= 1.5 x",
         {"logpane.us_100000", "logpane.us_1000"},
         [](const V &v) { return v[0] / v[1]; },
         Bound::AtMost,
         1.5,
         [](const V &v) { return num(v[0] / v[1], 2) + " x (" + num(v[0], 1) + " vs " + num(v[1], 1) + " us)"; }},
        {"log pane at its limit (100,000 lines, batch drops included): time per line / at 1,000",
         "<= 1.5 x",
         {"logpane.us_cap", "logpane.us_1000"},
         [](const V &v) { return v[0] / v[1]; },
         Bound::AtMost,
         1.5,
         [](const V &v) { return num(v[0] / v[1], 2) + " x (" + num(v[0], 1) + " vs " + num(v[1], 1) + " us)"; }},
        {"session log: window thread's processor time per line",
         "< 5 us",
         {"sessionlog.us"},
         {},
         Bound::AtMost,
         5,
         [](const V &v) { return num(v[0], 2) + " us"; }},
        {"memory after 300,000 answered presses minus after 100,000",
         "<= 16 MiB",
         {"clicks.rss_300k", "clicks.rss_100k"},
         [](const V &v) { return v[0] - v[1]; },
         Bound::AtMost,
         16,
         [](const V &v) { return num(v[0] - v[1], 1) + " MiB (" + num(v[1], 1) + " -> " + num(v[0], 1) + " MiB)"; }},
        {"log pane: longest event-loop stall, repeat loop at 100,000 lines",
         "<= 50 ms",
         {"logpane.stall_ms"},
         {},
         Bound::AtMost,
         50,
         [](const V &v) { return num(v[0], 1) + " ms"; }},
        {"serial 1 MiB in bursts: bytes lost, order",
         "0 lost, order kept",
         {"serial.lost", "serial.misordered"},
         [](const V &v) { return v[0] + v[1]; },
         Bound::AtMost,
         0,
         [](const V &v) {
             return num(v[0], 0) + " lost, order " + (v[1] == 0 ? QStringLiteral("kept") : QStringLiteral("broken"));
         }},
        {"serial receive rate",
         ">= 1 MiB/s",
         {"serial.mibps"},
         {},
         Bound::AtLeast,
         1.0,
         [](const V &v) { return num(v[0], 2) + " MiB/s"; }},
        {"serial largest received block",
         "<= 2048 bytes",
         {"serial.largest"},
         {},
         Bound::AtMost,
         2048,
         [](const V &v) { return num(v[0], 0) + " bytes"; }},
        {"serial last byte -> receive event (median)",
         "<= 105 ms (100 ms interval + 5)",
         {"serial.latency_median_ms", "serial.latency_max_ms"},
         [](const V &v) { return v[0]; },
         Bound::AtMost,
         105,
         [](const V &v) { return num(v[0], 1) + " ms (max " + num(v[1], 1) + ")"; }},
        {"EPC automatic writing: per pass beyond the page's pause",
         "<= 5 ms",
         {"epc.overhead_ms", "epc.pass_ms", "epc.pause_ms"},
         [](const V &v) { return v[0]; },
         Bound::AtMost,
         5,
         [](const V &v) { return num(v[0], 2) + " ms (pass " + num(v[1], 1) + ", pause " + num(v[2], 0) + ")"; }},
        {"EPC batch: resume from a 100,000-row journal",
         "< 1000 ms",
         {"epc.resume_ms", "epc.resume_index_bytes_per_row"},
         [](const V &v) { return v[0]; },
         Bound::AtMost,
         999,
         [](const V &v) { return num(v[0], 1) + " ms (index " + num(v[1], 0) + " bytes a row)"; }},
        {"EPC batch: job's own work per tag, instant reader, journal flushed per row",
         "<= 10 ms",
         {"epc.job_wall_ms", "epc.job_cpu_ms"},
         [](const V &v) { return v[0]; },
         Bound::AtMost,
         10,
         [](const V &v) { return num(v[0], 3) + " ms (processor " + num(v[1], 3) + ")"; }},
        {"EPC batch against the simulated reader, through the reader adapter: tags written, verified, journalled",
         ">= 100 per second",
         {"epcsim.tags_per_s", "epcsim.wall_ms", "epcsim.exchanges"},
         [](const V &v) { return v[0]; },
         Bound::AtLeast,
         100,
         [](const V &v) {
             return num(v[0], 0) + " per second (" + num(v[1], 2) + " ms a tag, " + num(v[2], 0) + " exchanges)";
         }},
        {"EPC batch against the simulated reader: processor time per tag (tool and simulator)",
         "<= 10 ms",
         {"epcsim.cpu_ms"},
         {},
         Bound::AtMost,
         10,
         [](const V &v) { return num(v[0], 3) + " ms"; }},
        {"EPC batch window, 1,000 simulated tags: longest event-loop stall of the window",
         "<= 16 ms",
         {"epcwin.stall_ms", "epcwin.total_ms"},
         [](const V &v) { return v[0]; },
         Bound::AtMost,
         16,
         [](const V &v) { return num(v[0], 1) + " ms (the batch took " + num(v[1] / 1000, 2) + " s)"; }},
        {"EPC batch window, 1,000 simulated tags from Start to the end",
         "< 60 s",
         {"epcwin.total_ms"},
         {},
         Bound::AtMost,
         59999,
         [](const V &v) { return num(v[0] / 1000, 2) + " s"; }},
        {"EPC batch: heap growth from tag 10,000 to 100,000 (journal index included)",
         "<= 16 MiB",
         {"epc.heap_10k_mib", "epc.heap_100k_mib"},
         [](const V &v) { return v[1] - v[0]; },
         Bound::AtMost,
         16,
         [](const V &v) {
             return num(v[1] - v[0], 1) + " MiB, " + num((v[1] - v[0]) * 1048576 / 90000, 0) + " bytes a tag";
         }},
        {"EPCIS document of a 100,000-tag journal to a file, JSON-LD / XML",
         "< 2000 ms",
         {"epcis.json_ms", "epcis.xml_ms", "epcis.json_mib", "epcis.xml_mib"},
         [](const V &v) { return std::max(v[0], v[1]); },
         Bound::AtMost,
         1999,
         [](const V &v) {
             return num(v[0], 0) + " / " + num(v[1], 0) + " ms (" + num(v[2], 1) + " / " + num(v[3], 1) + " MiB)";
         }},
        {"EPCIS document of a 100,000-tag journal: most heap held beyond the start, JSON-LD / XML",
         "<= 16 MiB",
         {"epcis.json_heap_mib", "epcis.xml_heap_mib"},
         [](const V &v) { return std::max(v[0], v[1]); },
         Bound::AtMost,
         16,
         [](const V &v) { return num(v[0], 1) + " / " + num(v[1], 1) + " MiB"; }},
        inventoryFigure(12),
        inventoryFigure(200),
        {"UHF tally of 10,000 tags (EPC, TID, chip, URI): heap per tag",
         "<= 1024 bytes",
         {"tally.bytes_per_tag"},
         {},
         Bound::AtMost,
         1024,
         [](const V &v) { return num(v[0], 0) + " bytes"; }},
        {"UHF tally fed 1,000 reads a second (100 every 100 ms), 10,000 / 200 tags: processor time",
         "<= 1 % of one core",
         {"tally.10000.core_pct", "tally.200.core_pct", "tally.10000.us_per_read", "tally.200.us_per_read"},
         [](const V &v) { return std::max(v[0], v[1]); },
         Bound::AtMost,
         1,
         [](const V &v) {
             return num(v[0], 3) + " / " + num(v[1], 3) + " % (" + num(v[2], 2) + " / " + num(v[3], 2) + " us a read)";
         }},
        {"tag inventory window, 10,000 tags at 1,000 reads/s: window thread busy",
         "<= 25 %",
         {"invwin.busy_pct", "invwin.reads"},
         [](const V &v) { return v[0]; },
         Bound::AtMost,
         25,
         [](const V &v) { return num(v[0], 1) + " % of the wall time (" + num(v[1], 0) + " reads)"; }},
        {"tag inventory window, the same: longest event-loop stall",
         "<= 16 ms",
         {"invwin.stall_ms"},
         {},
         Bound::AtMost,
         16,
         [](const V &v) { return num(v[0], 1) + " ms"; }},
        {"tag inventory window: heap per distinct tag (tally, row, signal history) at 10,000 tags",
         "<= 1 KiB",
         {"invwin.bytes_per_tag"},
         {},
         Bound::AtMost,
         1024,
         [](const V &v) { return num(v[0], 0) + " bytes"; }},
    };
}

// Takes "--rows=FILE" out of the arguments before Qt and Google Benchmark see them.
QString takeRowsPath(int &argc, char **argv)
{
    QString path;
    int out = 0;
    for (int i = 0; i < argc; ++i) {
        if (std::strncmp(argv[i], "--rows=", 7) == 0)
            path = QString::fromLocal8Bit(argv[i] + 7);
        else
            argv[out++] = argv[i];
    }
    argc = out;
    return path;
}

} // namespace

int main(int argc, char **argv)
{
    const QString rowsPath = takeRowsPath(argc, argv);
    // The window's session log and settings go to a folder of the run's own.
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.filePath(QStringLiteral("data"))));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath(QStringLiteral("config"))));
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    WindowRig::release();

    QStringList lines;
    for (const Figure &f : table())
        if (const auto row = figures::judge(f))
            lines << figures::rowLine(*row);
    std::printf("\n%s\n", qPrintable(lines.join(u'\n')));
    if (!rowsPath.isEmpty()) {
        QFile file(rowsPath);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) {
            std::fprintf(stderr, "rfid-bench: cannot write %s\n", qPrintable(rowsPath));
            return 1;
        }
        QTextStream(&file) << lines.join(u'\n') << '\n';
    }
    return 0;
}
