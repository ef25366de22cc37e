#pragma once

#include "field/modulechannel.h"
#include "sim/uhfmodule.h"

#include <QByteArray>
#include <functional>
#include <vector>

// The simulated module's field behind a module channel, as the serial line carries its frames:
// every frame sent is kept, and a test may change a frame before the module takes it.
struct FieldRig {
    explicit FieldRig(int tags)
    {
        module.fillField(tags);
        module.setFieldClock([this] { return nowMs; });
    }

    field::Exchanger exchanger()
    {
        return [this](const protocol::Request &request) {
            protocol::Exchange e = protocol::serialExchange(request);
            QByteArray frame = request.bytes;
            if (tamper)
                tamper(frame);
            sent.push_back(frame);
            e.reply = module.process(frame);
            e.outcome = e.reply.isEmpty() ? protocol::Exchange::Outcome::NoAnswer : protocol::Exchange::Outcome::Answered;
            return e;
        };
    }
    // The frames sent with the given module command.
    int countSent(uint8_t command) const
    {
        int n = 0;
        for (const QByteArray &f : sent)
            n += f.size() > 2 && uint8_t(f[2]) == command;
        return n;
    }
    const UhfTag &tag(int i) const { return module.field()->tag(i); }

    UhfModule module;
    int64_t nowMs = 0;
    std::vector<QByteArray> sent;
    std::function<void(QByteArray &)> tamper;
    field::ModuleChannel channel{exchanger()};
};
