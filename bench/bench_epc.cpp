#include "figures.h"

#include "pagekit/guard.h"
#include "sim/simulatedreader.h"
#include "uhf/epcwritepage.h"
#include "ui/tform1.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <benchmark/benchmark.h>

namespace
{

constexpr int kPasses = 20;

// "Automatic card" on the UHF Write Card page against the simulated reader, a blank tag in
// the field for every pass, so that each pass is a whole write (inventory, select, write).
// What a pass takes beyond the page's own pause is the loop's cost.
void BM_EpcAutomaticWriting(benchmark::State &state)
{
    QStringList errors;
    guard::setErrorDisplay([&errors](const QString &m) { errors << m; });
    guard::setModalRunner([](QDialog *) {});
    double worstOverMs = 0, passMs = 0, pauseMs = 0;
    for (auto _ : state) {
        SimulatedReader reader(SimulatedReader::Personality::Keyboard);
        reader.uhf().queueBlankTags(kPasses + 2);
        TForm1 form(reader);
        form.show();
        form.pageControl->setCurrentWidget(form.epcWritePage);
        QCoreApplication::processEvents();
        EpcWritePage &page = *form.epcWritePage;
        page.cardNumberEdit->setText(QStringLiteral("E2000000000000000000FFFE"));
        pauseMs = page.waitingTimeEdit->text().toInt() + EpcWritePage::kLoopExtraMs;
        // Unticked during the last pass's write: the loop ends after that pass's pause.
        QObject::connect(&reader, &SimulatedReader::changed, &form, [&] {
            if (reader.tagLog().size() >= kPasses)
                page.automaticBox->setChecked(false);
        });
        QElapsedTimer clock;
        clock.start();
        page.automaticBox->click();
        const double ms = double(clock.nsecsElapsed()) / 1e6;
        if (!errors.isEmpty() || reader.tagLog().size() != kPasses) {
            state.SkipWithError("the automatic loop did not write one tag per pass");
            break;
        }
        passMs = ms / kPasses;
        worstOverMs = qMax(worstOverMs, passMs - pauseMs);
    }
    guard::setErrorDisplay({});
    guard::setModalRunner({});
    state.counters["pass_ms"] = passMs;
    state.counters["over_ms"] = worstOverMs;
    figures::note("epc.overhead_ms", worstOverMs);
    figures::note("epc.pass_ms", passMs);
    figures::note("epc.pause_ms", pauseMs);
}
BENCHMARK(BM_EpcAutomaticWriting)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

} // namespace
