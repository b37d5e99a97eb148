// The form encoding of the program's requests against the service's decoder: any fields the
// program posts arrive as the same names and values, byte for byte in UTF-8.

#include "formbody.h"
#include "fuzzinput.h"
#include "services/servicepost.h"

#include <set>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    QStringList fields;
    std::vector<std::pair<std::string, std::string>> expected;
    std::set<std::string> names;
    while (!in.atEnd() && fields.size() < int(FormBody::kMaxFields)) {
        const QString line = in.text();
        const qsizetype eq = line.indexOf(u'=');
        const QString name = eq < 0 ? line : line.left(eq);
        const QString value = eq < 0 ? QString() : line.mid(eq + 1);
        // The service refuses nameless and repeated fields; the program never sends them.
        if (name.isEmpty() || !names.insert(name.toStdString()).second)
            continue;
        fields.append(line);
        expected.emplace_back(name.toStdString(), value.toStdString());
    }
    const QByteArray body = encodeFormFields(fields);
    for (const char c : body)
        FUZZ_CHECK(c > 32 && c < 127 && c != '#', "unencoded byte %d in the body",
                   int(static_cast<unsigned char>(c)));
    const Parsed<FormBody> form = FormBody::parse(std::string_view(body.constData(), body.size()));
    FUZZ_CHECK(form, "the service refuses %s: %s", body.constData(), form.error.c_str());
    FUZZ_CHECK(form.value->fields() == expected, "the service reads other fields from %s",
               body.constData());
    return 0;
}
