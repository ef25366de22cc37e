#include "cli/commandkit.h"
#include "protocol/commandtable.h"
#include "protocol/frames.h"
#include "protocol/trace.h"

namespace cli
{

Family sendFamily()
{
    Action send{
        .args = QStringLiteral("[--raw] HEX"),
        .summary = QStringLiteral("Send a command body framed with the address, or a whole frame; print the reply."),
        .help = QStringLiteral("HEX is the command body (code and data, 1 to 250 bytes): it goes out as AA ADDR "
                               "LEN BODY XOR BB. With --raw it is the whole frame (1 to 255 bytes) and goes out as "
                               "it stands. Prints the frame sent, the reply frame and its decoding from the command "
                               "table (family, command, request, reply, failed frame checks). A refusal in the "
                               "reply, or no reply, fails with exit status 1."),
        .options = {flag("raw", "HEX is a whole frame, sent as it stands.")},
        .prepare = [](CommandArgs &args) -> Runner {
            const bool raw = args.isSet(QStringLiteral("raw"));
            const QByteArray bytes =
                args.hex(args.take(QStringLiteral("HEX")), QStringLiteral("HEX"), 1,
                         raw ? frames::kMaxFrameBytes : frames::kMaxFrameBytes - frames::kReaderOverhead);
            args.done();
            return [bytes, raw](Session &s) -> std::optional<Record> {
                const protocol::Request request =
                    protocol::typedRequest(bytes, raw ? protocol::Route::Raw : protocol::Route::Reader);
                const int wait = s.waitFor(request);
                const protocol::Exchange done = s.exchange(request);
                const QByteArray &reply = done.reply;
                const protocol::DecodedExchange d = protocol::decode(done);
                Record r;
                r.hex(QStringLiteral("sent"), done.sent);
                r.hex(QStringLiteral("reply"), reply);
                r.add(QStringLiteral("family"), d.familyText);
                r.add(QStringLiteral("name"), d.name);
                r.add(QStringLiteral("request"), d.request);
                r.add(QStringLiteral("decoded"), d.reply);
                if (!d.problems.isEmpty())
                    r.add(QStringLiteral("checks_failed"), d.problems);
                if (reply.isEmpty())
                    s.require(protocol::Status::NoReply, std::nullopt, wait, r);
                const protocol::ReaderReply frame(reply);
                if (uint8_t(reply[0]) == frames::kHeader && frame.status() == protocol::Status::Refused)
                    s.require(frame.status(), frame.errorCode(), wait, r);
                return r;
            };
        }};
    return {QStringLiteral("send"), QStringLiteral("any frame, with its reply decoded"), QString(), {send}};
}

} // namespace cli
