#include "protocol/commandtable.h"

#include "protocol/frames.h"

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

Request tableRequest(Family family, QByteArray bytes, Route route)
{
    const auto at = [&bytes](qsizetype k) { return k < bytes.size() ? int(uint8_t(bytes[k])) : -1; };
    int row = -1;
    switch (route) {
    case Route::Reader:
        row = at(0) < 0 ? -1 : commandRow(family, Frame::Reader, uint8_t(at(0)), at(1));
        break;
    case Route::PassThrough:
        row = at(2) < 0 ? -1 : commandRow(family, Frame::Module, uint8_t(at(2)), -1);
        break;
    case Route::Raw:
        if (at(0) == frames::kHeader && at(3) >= 0)
            row = commandRow(family, Frame::Reader, uint8_t(at(3)), at(4));
        else if (at(0) == frames::kModuleHeader && at(2) >= 0)
            row = commandRow(family, Frame::Module, uint8_t(at(2)), -1);
        break;
    }
    Request request{family, std::move(bytes), route, row};
    if (row >= 0) {
        const CommandInfo &info = commandTable()[size_t(row)];
        request.waitMs = info.waitMs;
        request.waitRule = info.waitRule;
    }
    return request;
}

CommandAt locateCommand(const QByteArray &sent, bool serialLine)
{
    CommandAt at;
    QByteArray module;
    if (serialLine || (!sent.isEmpty() && uint8_t(sent[0]) == frames::kModuleHeader)) {
        module = sent;
    } else if (sent.size() >= frames::kReaderOverhead + 1) {
        const QByteArray body = sent.mid(3, sent.size() - frames::kReaderOverhead);
        if (uint8_t(body[0]) == frames::kPassThrough && body.size() > 1) {
            module = body.mid(1);
            at.throughModule = true;
        } else {
            at.code = uint8_t(body[0]);
            at.sub = body.size() > 1 ? uint8_t(body[1]) : -1;
            at.params = body.mid(1);
            return at;
        }
    }
    if (module.size() >= 3) {
        at.frame = Frame::Module;
        at.code = uint8_t(module[2]);
        at.params = module.size() >= frames::kModuleOverhead ? module.mid(5, module.size() - frames::kModuleOverhead)
                                                             : module.mid(3);
    }
    return at;
}

Request typedRequest(QByteArray bytes, Route route)
{
    const QByteArray frame = route == Route::Reader        ? frames::hf(0, bytes)
                             : route == Route::PassThrough ? frames::uhf(0, bytes)
                                                           : bytes;
    const CommandAt at = locateCommand(frame, false);
    const std::vector<int> rows = at.code < 0 ? std::vector<int>{} : rowsFor(at.frame, uint8_t(at.code), at.sub);
    return {std::nullopt, std::move(bytes), route, rows.size() == 1 ? rows.front() : -1};
}

} // namespace protocol
