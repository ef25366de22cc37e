#include "rfidctl.h"

#include <QJsonObject>
#include <gtest/gtest.h>

namespace
{

// RFID_SIM_FIELD fills the simulated field for the whole run; a bad value stops the run
// before anything is sent, naming the variable and what it takes.
TEST(SimulatedField, RfidSimFieldFillsTheFieldOrIsRefused)
{
    struct Case {
        const char *value; // nullptr: not set
        int exit;
        const char *epcStart; // of the tag `epc read` finds
    };
    const Case cases[] = {
        {nullptr, 0, "E2000000"}, // the one blank tag, as without the variable
        {"12", 0, "3314257B"},    // the field's first tag to win a slot
        {"0", 1, nullptr},        // an empty field: no tag
        {"501", 2, nullptr},      {"twelve", 2, nullptr}, {"", 2, nullptr},
    };
    for (const Case &c : cases) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("RFID_SIM_FIELD"));
        if (c.value)
            env.insert(QStringLiteral("RFID_SIM_FIELD"), QString::fromLatin1(c.value));
        const Outcome o = rfidctl({"--simulate", "--json", "epc", "read"}, {}, env);
        EXPECT_EQ(o.exit, c.exit) << (c.value ? c.value : "unset") << ": " << o.err.toStdString();
        if (c.exit == 2) {
            EXPECT_TRUE(o.err.contains("RFID_SIM_FIELD must be a whole number of tags from 0 to 500"))
                << o.err.toStdString();
            EXPECT_TRUE(o.out.isEmpty());
        }
        if (c.epcStart) {
            ASSERT_FALSE(o.json().isEmpty()) << o.out.toStdString();
            EXPECT_TRUE(o.json().front().value("epc").toString().startsWith(QLatin1String(c.epcStart)))
                << o.out.toStdString();
        }
    }
}

} // namespace
