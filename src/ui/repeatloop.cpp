#include "ui/repeatloop.h"

#include "link/readerlink.h"
#include "link/waits.h"
#include "ui/guard.h"

#include <QPointer>

void runRepeat(QCheckBox *box, ReaderLink &link, const RepeatBox &repeat)
{
    QPointer<QCheckBox> guardBox(box);
    while (guardBox && guardBox->isChecked() && !waits::cancelled()) {
        repeat.operation();
        const int ms = repeat.pause() + repeat.extraMs;
        if (repeat.wait == RepeatBox::Wait::ReplyAware)
            link.Delay(ms);
        else
            link.Delayy(ms);
    }
}

void bindRepeat(QCheckBox *box, ReaderLink &link, RepeatBox repeat)
{
    QObject::connect(box, &QCheckBox::clicked, box, [box, &link, repeat = std::move(repeat)] {
        // A copy: the loop may outlive a reconnection of the box.
        const RepeatBox local = repeat;
        guard::run([&] { runRepeat(box, link, local); });
    });
}
