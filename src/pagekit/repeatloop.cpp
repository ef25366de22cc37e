#include "pagekit/repeatloop.h"

#include "link/readerlink.h"
#include "link/waits.h"
#include "pagekit/guard.h"
#include "pagekit/pagehost.h"
#include "pagekit/readerloss.h"
#include "pagekit/widgets.h"

#include <QPointer>
#include <climits>
#include <iterator>

namespace
{
// In the order of RepeatBoxId.
const RepeatDef kRows[] = {
    {"CheckBox3", "自动发送", 0, RepeatBox::Wait::ReplyAware, true},
    {"CheckBox2", "连续读      ", 0, RepeatBox::Wait::Plain, true},
    {"CheckBox1", "连续写        ", 10, RepeatBox::Wait::Plain, true},
    {"CheckBox4", "连续读        ", 10, RepeatBox::Wait::ReplyAware, true},
    {"CheckBox12", "CheckBox12", 10, RepeatBox::Wait::Plain, false},
    {"CheckBox8", "连续读      ", 10, RepeatBox::Wait::ReplyAware, true},
    {"CheckBox9", "连续读      ", 50, RepeatBox::Wait::ReplyAware, true},
    {"CheckBox10", "连续写      ", 100, RepeatBox::Wait::Plain, true},
    {"CheckBox11", "连续读      ", 10, RepeatBox::Wait::ReplyAware, true},
    {"CheckBox13", "连续读      ", 0, RepeatBox::Wait::Plain, false},
    {"CheckBox14", "连续读      ", 0, RepeatBox::Wait::Plain, false},
    {"CheckBox5", "连续读   ", 10, RepeatBox::Wait::ReplyAware, true},
    {"CheckBox6", "连续读     ", 10, RepeatBox::Wait::ReplyAware, true},
    {"CheckBox7", "连续写   ", 10, RepeatBox::Wait::ReplyAware, true},
};
static_assert(std::size(kRows) == size_t(RepeatBoxId::IsoWrite) + 1, "one row per repeat box");
} // namespace

int repeatWaitMs(int pause, int extraMs)
{
    const qint64 sum = qint64(pause) + extraMs;
    return int(qBound(qint64(0), sum, qint64(INT_MAX)));
}

namespace
{
void showCaption(QCheckBox *box, const RepeatBox &repeat)
{
    if (!repeat.tickedCaption.isEmpty() || !repeat.untickedCaption.isEmpty())
        box->setText(box->isChecked() ? repeat.tickedCaption : repeat.untickedCaption);
}

void loop(const QPointer<QCheckBox> &box, ReaderLink &link, const RepeatBox &repeat)
{
    ReaderLossWatch reader(link);
    while (box && box->isChecked() && !waits::cancelled()) {
        repeat.operation();
        if (const QString why = reader.lost(); !why.isEmpty()) {
            if (box)
                box->setChecked(false);
            if (repeat.log)
                repeat.log(ReaderLossWatch::endLine(repeat.name, why));
            return;
        }
        const int ms = repeatWaitMs(repeat.pause(), repeat.extraMs);
        if (repeat.wait == RepeatBox::Wait::ReplyAware)
            link.Delay(ms);
        else
            link.Delayy(ms);
    }
}
} // namespace

void runRepeat(QCheckBox *box, ReaderLink &link, const RepeatBox &repeat)
{
    QPointer<QCheckBox> guardBox(box);
    try {
        loop(guardBox, link, repeat);
    } catch (...) {
        if (guardBox && repeat.untickOnError)
            guardBox->setChecked(false);
        throw;
    }
    if (guardBox)
        showCaption(guardBox, repeat);
}

void repeatBoxChanged(QCheckBox *box, ReaderLink &link, const RepeatBox &repeat)
{
    showCaption(box, repeat);
    runRepeat(box, link, repeat);
}

void bindRepeat(QCheckBox *box, ReaderLink &link, RepeatBox repeat)
{
    QObject::connect(box, &QCheckBox::clicked, box, [box, &link, repeat = std::move(repeat)] {
        // A copy: the loop may outlive a reconnection of the box.
        const RepeatBox local = repeat;
        guard::run([&] { repeatBoxChanged(box, link, local); });
    });
}

const RepeatDef &repeatDef(RepeatBoxId box)
{
    return kRows[size_t(box)];
}

RepeatBox repeatRow(RepeatBoxId box, std::function<void()> operation, std::function<int()> pause)
{
    const RepeatDef &row = repeatDef(box);
    return {std::move(operation), std::move(pause), row.extraMs, row.wait};
}

QCheckBox *repeatBox(RepeatBoxId box, PageHost &host, std::function<void()> operation, QWidget *parent,
                     std::function<void()> second)
{
    RepeatBox r = repeatRow(box, std::move(operation), [&host] { return host.link().settings().hfPauseMs; });
    r.log = [&host](const QString &line) { host.log(line); };
    if (second) {
        r.operation = [&host, first = std::move(r.operation), second = std::move(second), pause = r.pause,
                       extra = r.extraMs] {
            first();
            host.link().Delayy(repeatWaitMs(pause(), extra));
            if (!waits::cancelled())
                second();
        };
    }
    const RepeatDef &row = repeatDef(box);
    QCheckBox *b = ui::checkBox(row.box, QString::fromUtf8(row.caption), false, parent);
    bindRepeat(b, host.link(), std::move(r));
    if (row.endsOnTabChange)
        host.endOnTabChange(b);
    return b;
}
