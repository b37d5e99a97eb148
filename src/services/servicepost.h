#pragma once

// ServicePost: one form post to the maker's web host over libcurl, with its own easy handle per
// call so calls from different threads share nothing. The body is the fields in their order,
// URL-encoded from UTF-8 (space as "+"). Certificates are always verified; a redirect is never
// followed (its body is the reply, which no caller accepts), so a request never moves to
// another scheme or host unnoticed. Failures come back as values carrying curl's error text.

#include <QString>
#include <QStringList>

struct PostOptions {
    // Extra trust anchors (a PEM file) added for a test server's own certificate; empty: the
    // system's. Verification itself cannot be turned off.
    QString caFile;
};

struct PostResult {
    bool ok = false;
    QString reply; // the body decoded by its declared charset (UTF-8 when none)
    QString error; // curl's error text, or the error status on plain http
    // Set by postWithRetry when the https attempt failed and the http one was made.
    bool usedHttp = false;
};

// A reply's text from its bytes, by the charset its Content-Type declares (UTF-8 when none
// is declared or the name is unknown); undecodable bytes become U+FFFD.
QString decodeReplyBody(const QByteArray& body, const QByteArray& contentType);

// "name=value&name=value" from lines "name=value" (a line without "=" is a name with an empty
// value). Unreserved characters stay; everything else is %XX of its UTF-8 bytes.
QByteArray encodeFormFields(const QStringList& fields);

// Posts `fields` to `url` (http or https only). Connection and response time-outs are
// `timeoutMs` each. On https an error status still gives the body; on http it is a failure.
PostResult ServicePost(const QString& url, const QStringList& fields, int timeoutMs,
                       const PostOptions& options = {});

// The retry every caller uses: "https://" + host + path, and when that fails in any way
// "http://" + host + path with the same fields. The result is the last attempt's.
PostResult postWithRetry(const QString& host, const QString& path, const QStringList& fields,
                         int timeoutMs, const PostOptions& options = {});
