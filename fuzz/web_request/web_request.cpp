// A web request's path and query as a client may send them: split, decoded and read as
// numbers without failing.
#include <cstdint>
#include <string>

#include "net/web_pages.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string target(reinterpret_cast<const char*>(data), size);
    const QStringList params = horalog::QueryParameters(target);
    const std::string path = target.substr(0, target.find('?'));
    horalog::PageRequest r = horalog::ParsePageRequest(QString::fromUtf8(path.c_str()), params);
    for (const QString& p : params) {
        int v = 0;
        horalog::IsWholeNumber(p, &v);
        horalog::HtmlEscape(p);
    }
    (void)r;
    return 0;
}
