#include "base/errors.h"
#include "link/hidtransport.h"
#include "simulatedsetup.h"
#include "ui/connectiontools.h"
#include "ui/tform1.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFontDatabase>
#include <cstdio>
#include <memory>

namespace
{

bool parseUsbId(const QString &text, uint16_t &vid, uint16_t &pid)
{
    const QStringList parts = text.split(QLatin1Char(':'));
    if (parts.size() != 2)
        return false;
    bool okV = false, okP = false;
    const uint v = parts[0].toUInt(&okV, 16), p = parts[1].toUInt(&okP, 16);
    if (!okV || !okP || v > 0xFFFF || p > 0xFFFF)
        return false;
    vid = uint16_t(v);
    pid = uint16_t(p);
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("RFID"));
    QApplication::setApplicationVersion(QStringLiteral("2.7"));
    // Ties the windows to the installed desktop entry (its icon and name in docks and on Wayland).
    QApplication::setDesktopFileName(QStringLiteral(RFID_APP_ID));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Sets up and tests RFID card readers."));
    parser.addHelpOption();
    parser.addVersionOption();
    QCommandLineOption usb(QStringLiteral("usb"), QStringLiteral("The USB reader to use, as hexadecimal VID:PID."),
                           QStringLiteral("VID:PID"));
    parser.addOption(usb);
    QCommandLineOption simulate(QStringLiteral("simulate"),
                                QStringLiteral("Use a simulated reader instead of hardware: keyboard (default) or hf."),
                                QStringLiteral("kind"));
    parser.addOption(simulate);
    // "--simulate" alone means the keyboard-output reader.
    QStringList args = QCoreApplication::arguments();
    for (QString &a : args)
        if (a == QLatin1String("--simulate"))
            a = QStringLiteral("--simulate=keyboard");
    parser.process(args);

    uint16_t vid = 0, pid = 0;
    if (parser.isSet(usb) && !parseUsbId(parser.value(usb), vid, pid)) {
        std::fprintf(stderr, "rfid-workbench: --usb wants VID:PID in hexadecimal, e.g. 1234:abcd\n");
        return 2;
    }

    // Read before anything starts, also for a simulator taken up later from the Tools menu.
    std::optional<int> fieldTags;
    try {
        fieldTags = UhfField::sizeFromEnvironment();
    } catch (const UserError &e) {
        std::fprintf(stderr, "rfid-workbench: %s\n", qPrintable(e.message()));
        return 2;
    }

    if (parser.isSet(simulate)) {
        const auto personality = SimulatedReader::personalityFromName(parser.value(simulate));
        if (!personality) {
            std::fprintf(stderr, "rfid-workbench: --simulate takes keyboard or hf\n");
            return 2;
        }
        SimulatedSetup sim(*personality, fieldTags);
        TForm1 form(sim.reader);
        form.show();
        sim.attach(form);
        return app.exec();
    }

    HidTransport transport(makeHidapiOpener(vid, pid));
    std::unique_ptr<SimulatedSetup> sim; // made on demand; outlives the window that uses it
    TForm1 form(transport);
    // Without a reader at hand the user can go on with the simulator, in place.
    form.connectionTools->offerSimulator([&] {
        sim = std::make_unique<SimulatedSetup>(SimulatedReader::Personality::Keyboard, fieldTags);
        sim->attach(form);
    });
    form.show();
    return app.exec();
}
