// Start-up time and peak memory of whole processes. Without arguments but --app it runs
// itself as a child several times (the child builds the tool's window exactly as the tool
// does, shows it offscreen and quits after its first paint), then runs the tool itself for
// two seconds; the peak resident sizes come from the kernel's accounting of each child.
#include "figures.h"

#include "link/hidtransport.h"
#include "ui/tform1.h"

#include <QApplication>
#include <QEvent>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <memory>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace
{

constexpr int kRuns = 7;

qint64 monotonicNs()
{
    return figures::clockNs(CLOCK_MONOTONIC);
}

// Tells the parent the moment of the window's first paint, then ends the program.
class FirstPaint : public QObject
{
public:
    explicit FirstPaint(int fd) : fd_(fd) {}
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && !done_) {
            done_ = true;
            // After this paint has been handled, the window is on the screen.
            QMetaObject::invokeMethod(
                this,
                [this] {
                    const qint64 now = monotonicNs();
                    if (::write(fd_, &now, sizeof now) != sizeof now)
                        std::perror("rfid-startup: report");
                    QCoreApplication::quit();
                },
                Qt::QueuedConnection);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    int fd_;
    bool done_ = false;
};

int runChild(int argc, char **argv, int fd)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("RFID"));
    auto transport = std::make_unique<HidTransport>(makeHidapiOpener());
    TForm1 form(*transport);
    FirstPaint watcher(fd);
    form.installEventFilter(&watcher);
    form.show();
    return app.exec();
}

struct Outcome {
    bool ok = false;
    double ms = 0;      // fork to first paint
    double peakMiB = 0; // the child's largest resident size
};

// Starts argv as a child with the offscreen platform; reads its report from the pipe when
// wantReport, else stops it after holdMs.
Outcome runProcess(const std::vector<std::string> &args, bool wantReport, int holdMs)
{
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return {};
    const qint64 t0 = monotonicNs();
    const pid_t pid = ::fork();
    if (pid < 0)
        return {};
    if (pid == 0) {
        ::close(fds[0]);
        ::fcntl(fds[1], F_SETFD, 0); // the child keeps the report end across exec
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        ::setenv("RFID_STARTUP_FD", std::to_string(fds[1]).c_str(), 1);
        std::vector<char *> cargs;
        for (const std::string &a : args)
            cargs.push_back(const_cast<char *>(a.c_str()));
        cargs.push_back(nullptr);
        ::execv(cargs[0], cargs.data());
        ::_exit(127);
    }
    ::close(fds[1]);
    Outcome out;
    if (wantReport) {
        qint64 shown = 0;
        const ssize_t n = ::read(fds[0], &shown, sizeof shown);
        out.ok = n == sizeof shown;
        out.ms = double(shown - t0) / 1e6;
    } else {
        ::usleep(useconds_t(holdMs) * 1000);
        ::kill(pid, SIGTERM);
    }
    ::close(fds[0]);
    int status = 0;
    rusage usage{};
    if (::wait4(pid, &status, 0, &usage) != pid)
        return {};
    if (wantReport)
        out.ok = out.ok && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    else
        out.ok = WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM; // it was still running
    out.peakMiB = double(usage.ru_maxrss) / 1024.0;                  // KiB on Linux
    return out;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc >= 2 && std::strcmp(argv[1], "--child") == 0) {
        const char *fd = std::getenv("RFID_STARTUP_FD");
        return runChild(argc, argv, fd ? std::atoi(fd) : -1);
    }
    // The children's session logs and settings go to a folder of the run's own.
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.filePath(QStringLiteral("data"))));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath(QStringLiteral("config"))));
    QString app, rowsPath;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--app=", 6) == 0)
            app = QString::fromLocal8Bit(argv[i] + 6);
        else if (std::strncmp(argv[i], "--rows=", 7) == 0)
            rowsPath = QString::fromLocal8Bit(argv[i] + 7);
        else {
            std::fprintf(stderr, "usage: rfid-startup [--app=PATH-OF-rfid-workbench] [--rows=FILE]\n");
            return 2;
        }
    }
    char self[4096];
    const ssize_t len = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (len <= 0)
        return 1;
    self[len] = '\0';

    std::vector<double> times, peaks;
    for (int i = 0; i < kRuns; ++i) {
        const Outcome o = runProcess({self, "--child"}, true, 0);
        if (!o.ok) {
            std::fprintf(stderr, "rfid-startup: run %d did not show its window\n", i + 1);
            continue;
        }
        times.push_back(o.ms);
        peaks.push_back(o.peakMiB);
        std::printf("run %d: first paint after %.1f ms, peak RSS %.1f MiB\n", i + 1, o.ms, o.peakMiB);
    }
    std::sort(times.begin(), times.end());
    std::sort(peaks.begin(), peaks.end());
    if (!times.empty()) {
        figures::note("startup.median_ms", times[times.size() / 2]);
        figures::note("startup.max_ms", times.back());
        figures::note("startup.peak_mib", peaks.back());
    }
    if (!app.isEmpty()) {
        const Outcome o = runProcess({app.toStdString()}, false, 2000);
        if (o.ok) {
            figures::note("app.peak_mib", o.peakMiB);
            std::printf("rfid-workbench for 2 s: peak RSS %.1f MiB\n", o.peakMiB);
        } else {
            std::fprintf(stderr, "rfid-startup: %s did not keep running\n", qPrintable(app));
        }
    }

    using figures::num;
    using V = QList<double>;
    const QList<figures::Figure> table = {
        {"start-up to the first shown window, offscreen (median)",
         "<= 100 ms",
         {"startup.median_ms", "startup.max_ms"},
         [](const V &v) { return v[0]; },
         figures::Bound::AtMost,
         100,
         [](const V &v) { return num(v[0], 1) + " ms (max " + num(v[1], 1) + ")"; }},
        {"peak RSS up to the first shown window",
         "<= 30 MiB",
         {"startup.peak_mib"},
         {},
         figures::Bound::AtMost,
         30,
         [](const V &v) { return num(v[0], 1) + " MiB"; }},
        {"peak RSS of rfid-workbench running 2 s",
         "<= 30 MiB",
         {"app.peak_mib"},
         {},
         figures::Bound::AtMost,
         30,
         [](const V &v) { return num(v[0], 1) + " MiB"; },
         app.isEmpty()},
    };
    QStringList lines;
    for (const figures::Figure &f : table)
        if (const auto row = figures::judge(f))
            lines << figures::rowLine(*row);
    std::printf("\n%s\n", qPrintable(lines.join(u'\n')));
    if (!rowsPath.isEmpty()) {
        QFile file(rowsPath);
        if (!file.open(QIODevice::Append | QIODevice::Text))
            return 1;
        QTextStream(&file) << lines.join(u'\n') << '\n';
    }
    return 0;
}
