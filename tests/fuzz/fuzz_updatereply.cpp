// The update check's reply, as any text a host may answer: a reply is valid only with a
// result line of 0 or 1 and never when it begins with "ERROR"; its version and URL are single
// lines; and a well-formed reply gives back exactly the version and URL it carries. The bytes
// are decoded first as a host's Content-Type declares them, as they come off the network.

#include "fuzzinput.h"
#include "services/servicepost.h"
#include "services/updatecheck.h"

namespace {

bool singleLine(const QString& s) {
    return !s.contains(u'\r') && !s.contains(u'\n');
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    const QByteArray contentType = in.bytes();
    const QByteArray body = in.bytes();
    const QString reply = decodeReplyBody(body, contentType);
    if (!contentType.toLower().contains("charset"))
        FUZZ_CHECK(reply == QString::fromUtf8(body), "no charset, yet not read as UTF-8");
    const UpdateReply parsed = parseUpdateReply(reply);
    if (parsed.valid) {
        FUZZ_CHECK(!reply.startsWith(QLatin1String("ERROR")), "an ERROR reply counted");
        FUZZ_CHECK(singleLine(parsed.version) && singleLine(parsed.url), "a break in %s or %s",
                   fuzzShow(parsed.version).constData(), fuzzShow(parsed.url).constData());
    }

    // A reply as the service writes it, around any version and URL without line breaks.
    QString version = in.text(), url = in.text();
    version.remove(u'\r').remove(u'\n');
    url.remove(u'\r').remove(u'\n');
    const QString result = in.byte() & 1 ? QStringLiteral("1") : QStringLiteral("0");
    const QString wellFormed = QStringLiteral("<version>") + version +
                               QStringLiteral("</version>\r\n<url>") + url +
                               QStringLiteral("</url>\r\n<howmany>3</howmany>\r\n<result>") +
                               result + QStringLiteral("</result>\r\n");
    const UpdateReply good = parseUpdateReply(wellFormed);
    FUZZ_CHECK(good.valid, "%s", fuzzShow(wellFormed).constData());
    FUZZ_CHECK(good.version == version && good.url == url, "read %s and %s from %s",
               fuzzShow(good.version).constData(), fuzzShow(good.url).constData(),
               fuzzShow(wellFormed).constData());
    return 0;
}
