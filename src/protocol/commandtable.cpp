#include "protocol/commandtable.h"

namespace protocol
{

const std::vector<CommandInfo> &commandTable()
{
    static const std::vector<CommandInfo> table = [] {
        std::vector<CommandInfo> all;
        for (const auto *family :
             {&systemCommands(), &mifareCommands(), &ultralightCommands(), &typeBCommands(), &iso15693Commands(),
              &keyboardCommands(), &outputDeviceCommands(), &uhfCommands(), &wifiCommands(), &workModeCommands()})
            all.insert(all.end(), family->begin(), family->end());
        return all;
    }();
    return table;
}

static bool matches(const CommandInfo &row, Frame frame, uint8_t code, int sub)
{
    return row.frame == frame && row.code == code && (row.sub < 0 || row.sub == sub);
}

int commandRow(Family family, Frame frame, uint8_t code, int sub)
{
    const auto &table = commandTable();
    for (size_t i = 0; i < table.size(); ++i)
        if (table[i].family == family && matches(table[i], frame, code, sub))
            return int(i);
    return -1;
}

std::vector<int> rowsFor(Frame frame, uint8_t code, int sub)
{
    std::vector<int> rows;
    const auto &table = commandTable();
    for (size_t i = 0; i < table.size(); ++i)
        if (matches(table[i], frame, code, sub))
            rows.push_back(int(i));
    return rows;
}

int commandRow(const Request &request)
{
    const QByteArray &b = request.bytes;
    const auto at = [&b](qsizetype k) { return k < b.size() ? int(uint8_t(b[k])) : -1; };
    switch (request.route) {
    case Route::Reader:
        return at(0) < 0 ? -1 : commandRow(request.family, Frame::Reader, uint8_t(at(0)), at(1));
    case Route::PassThrough:
        return at(2) < 0 ? -1 : commandRow(request.family, Frame::Module, uint8_t(at(2)), -1);
    case Route::Raw:
        if (at(0) == 0xAA && at(3) >= 0)
            return commandRow(request.family, Frame::Reader, uint8_t(at(3)), at(4));
        if (at(0) == 0xBB && at(2) >= 0)
            return commandRow(request.family, Frame::Module, uint8_t(at(2)), -1);
        return -1;
    }
    return -1;
}

} // namespace protocol
