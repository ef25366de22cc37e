#include "ui/repeatloop.h"

#include "link/readerlink.h"
#include "link/waits.h"
#include "ui/guard.h"

#include <QPointer>

void runRepeat(QCheckBox *box, ReaderLink &link, const RepeatBox &spec)
{
    QPointer<QCheckBox> guardBox(box);
    while (guardBox && guardBox->isChecked() && !waits::cancelled()) {
        spec.operation();
        const int ms = spec.pause() + spec.extraMs;
        if (spec.wait == RepeatBox::Wait::ReplyAware)
            link.Delay(ms);
        else
            link.Delayy(ms);
    }
}

void bindRepeat(QCheckBox *box, ReaderLink &link, RepeatBox spec)
{
    QObject::connect(box, &QCheckBox::clicked, box, [box, &link, spec = std::move(spec)] {
        // A copy: the loop may outlive a reconnection of the box.
        const RepeatBox local = spec;
        guard::run([&] { runRepeat(box, link, local); });
    });
}
