#include "services/servicepost.h"

#include <QStringDecoder>

#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <mutex>
#include <optional>

namespace {

using Clock = std::chrono::steady_clock;

// curl_global_init is not thread-safe; the first post of the run does it, on whichever thread.
void initialiseCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

bool isUnreserved(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '*';
}

void appendEncoded(QByteArray& out, const QString& text) {
    static const char hex[] = "0123456789ABCDEF";
    for (const char ch : text.toUtf8()) {
        const auto c = static_cast<unsigned char>(ch);
        if (isUnreserved(c)) {
            out.append(static_cast<char>(c));
        } else if (c == ' ') {
            out.append('+');
        } else {
            out.append('%');
            out.append(hex[c >> 4]);
            out.append(hex[c & 0x0F]);
        }
    }
}

size_t collectBody(char* data, size_t size, size_t count, void* target) {
    static_cast<QByteArray*>(target)->append(data, static_cast<qsizetype>(size * count));
    return size * count;
}

// The charset parameter of a Content-Type value, without quotes; empty when there is none.
QByteArray charsetOf(const QByteArray& contentType) {
    for (QByteArray part : contentType.split(';')) {
        part = part.trimmed();
        if (part.toLower().startsWith("charset=")) {
            QByteArray name = part.mid(8).trimmed();
            if (name.size() >= 2 && name.startsWith('"') && name.endsWith('"'))
                name = name.mid(1, name.size() - 2);
            return name;
        }
    }
    return {};
}

// Unknown charsets are read as UTF-8: the replies the program reads are ASCII lines. The whole
// body is one piece, so a sequence cut off at its end is shown as U+FFFD, not kept back unseen.
QString decodeBody(const QByteArray& body, const QByteArray& charset) {
    constexpr auto whole = QStringDecoder::Flag::Stateless;
    QStringDecoder decoder(charset.isEmpty() ? "UTF-8" : charset.constData(), whole);
    if (!decoder.isValid())
        decoder = QStringDecoder(QStringDecoder::Utf8, whole);
    return decoder.decode(body);
}

struct EasyDeleter {
    void operator()(CURL* h) const { curl_easy_cleanup(h); }
};
struct MultiDeleter {
    void operator()(CURLM* m) const { curl_multi_cleanup(m); }
};
struct HeaderListDeleter {
    void operator()(curl_slist* l) const { curl_slist_free_all(l); }
};

PostResult failure(const QString& text) {
    PostResult result;
    result.error = text;
    return result;
}

} // namespace

QString decodeReplyBody(const QByteArray& body, const QByteArray& contentType) {
    return decodeBody(body, charsetOf(contentType));
}

QByteArray encodeFormFields(const QStringList& fields) {
    QByteArray body;
    for (const QString& line : fields) {
        if (!body.isEmpty())
            body.append('&');
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        appendEncoded(body, eq < 0 ? line : line.left(eq));
        body.append('=');
        if (eq >= 0)
            appendEncoded(body, line.mid(eq + 1));
    }
    return body;
}

PostResult ServicePost(const QString& url, const QStringList& fields, int timeoutMs,
                       const PostOptions& options) {
    initialiseCurlOnce();
    const bool https = url.toLower().startsWith(QLatin1String("https://"));
    const QByteArray urlBytes = url.toUtf8();
    const QByteArray body = encodeFormFields(fields);
    const QByteArray caFile = options.caFile.toLocal8Bit();
    QByteArray received;
    char errorText[CURL_ERROR_SIZE] = {};

    std::unique_ptr<CURL, EasyDeleter> easy(curl_easy_init());
    std::unique_ptr<CURLM, MultiDeleter> multi(curl_multi_init());
    if (!easy || !multi)
        return failure(QStringLiteral("Out of memory"));
    std::unique_ptr<curl_slist, HeaderListDeleter> headers;
    if (https)
        headers.reset(curl_slist_append(nullptr, "Connection: close"));

    CURL* h = easy.get();
    curl_easy_setopt(h, CURLOPT_URL, urlBytes.constData());
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L); // no SIGALRM for name look-ups on threads
    curl_easy_setopt(h, CURLOPT_POST, 1L);
    curl_easy_setopt(h, CURLOPT_POSTFIELDS, body.constData());
    curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE, static_cast<long>(body.size()));
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(timeoutMs));
    curl_easy_setopt(h, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(h, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!caFile.isEmpty())
        curl_easy_setopt(h, CURLOPT_CAINFO, caFile.constData());
    if (headers)
        curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, collectBody);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &received);
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, errorText);

    // curl has a connect time-out but only a whole-transfer one after that; the multi loop
    // gives the response its own time-out, counted from the moment the connection (with its
    // TLS handshake) stands.
    curl_multi_add_handle(multi.get(), h);
    const auto start = Clock::now();
    std::optional<Clock::time_point> responseDeadline;
    int running = 1;
    bool responseTimedOut = false;
    while (running) {
        if (curl_multi_perform(multi.get(), &running) != CURLM_OK)
            break;
        if (!running)
            break;
        const auto now = Clock::now();
        if (!responseDeadline) {
            curl_off_t connectedAfter = 0;
            curl_easy_getinfo(h, https ? CURLINFO_APPCONNECT_TIME_T : CURLINFO_CONNECT_TIME_T,
                              &connectedAfter);
            if (connectedAfter > 0)
                responseDeadline = start + std::chrono::microseconds(connectedAfter) +
                                   std::chrono::milliseconds(timeoutMs);
        }
        if (responseDeadline && now >= *responseDeadline) {
            responseTimedOut = true;
            break;
        }
        int waitMs = 50;
        if (responseDeadline)
            waitMs = static_cast<int>(std::clamp<long long>(
                std::chrono::duration_cast<std::chrono::milliseconds>(*responseDeadline - now)
                        .count() +
                    1,
                1, 50));
        curl_multi_poll(multi.get(), nullptr, 0, waitMs, nullptr);
    }

    CURLcode code = CURLE_OK;
    bool done = false;
    int queued = 0;
    while (CURLMsg* message = curl_multi_info_read(multi.get(), &queued)) {
        if (message->msg == CURLMSG_DONE && message->easy_handle == h) {
            code = message->data.result;
            done = true;
        }
    }
    long status = 0;
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
    char* contentType = nullptr;
    curl_easy_getinfo(h, CURLINFO_CONTENT_TYPE, &contentType);
    const QByteArray type(contentType); // copied: the handle owns the text
    curl_multi_remove_handle(multi.get(), h);

    if (responseTimedOut)
        return failure(QStringLiteral("Operation timed out: no complete response within %1 ms")
                           .arg(timeoutMs));
    if (!done)
        return failure(QStringLiteral("The transfer could not be completed"));
    if (code != CURLE_OK)
        return failure(QString::fromUtf8(errorText[0] ? errorText : curl_easy_strerror(code)));
    if (!https && status >= 400)
        return failure(QStringLiteral("The server answered with HTTP status %1").arg(status));
    PostResult result;
    result.ok = true;
    result.reply = decodeReplyBody(received, type);
    return result;
}

PostResult postWithRetry(const QString& host, const QString& path, const QStringList& fields,
                         int timeoutMs, const PostOptions& options) {
    PostResult result =
        ServicePost(QStringLiteral("https://") + host + path, fields, timeoutMs, options);
    if (result.ok)
        return result;
    result = ServicePost(QStringLiteral("http://") + host + path, fields, timeoutMs, options);
    result.usedHttp = true;
    return result;
}
