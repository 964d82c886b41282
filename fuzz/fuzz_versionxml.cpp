// version.xml and firmversion.xml as a download server sends them, and the
// version texts they carry. Input: the description document.
//
// Checks: a description is usable only with a version and an absolute
// http(s) address; the MD5 is kept upper-case; a relative address stays on
// the server it came from; the version order is a strict order (never newer
// than itself, never both ways).

#include <QUrl>

#include "fuzz/fuzzsupport.h"
#include "update/versioninfo.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzSupport::init();
    const QByteArray xml(reinterpret_cast<const char*>(data), int(size));
    const QUrl base(QStringLiteral("http://127.0.0.1:8000/normal/lusk75/firmversion.xml"));
    const VersionInfo info = VersionInfo::parse(xml, base);
    if (info.isValid()) {
        FuzzSupport::require(!info.version.isEmpty(), "usable without a version");
        FuzzSupport::require(info.url.isValid() && !info.url.isRelative() &&
                                 (info.url.scheme() == QLatin1String("http") ||
                                  info.url.scheme() == QLatin1String("https")),
                             "usable with an address that is not absolute http(s)");
    }
    FuzzSupport::require(info.md5 == info.md5.toUpper(), "MD5 not kept upper-case");
    const VersionInfo bare = VersionInfo::parse(xml);
    FuzzSupport::require(bare.version == info.version && bare.md5 == info.md5 &&
                             bare.description == info.description,
                         "the base address changed more than the url");

    const QString mine = VersionInfo::programVersion();
    const QString offered = info.version;
    FuzzSupport::require(!VersionInfo::isNewer(offered, offered), "a version newer than itself");
    FuzzSupport::require(
        !(VersionInfo::isNewer(offered, mine) && VersionInfo::isNewer(mine, offered)),
        "two versions each newer than the other");
    const int ab = VersionInfo::compareVersions(offered, info.description);
    const int ba = VersionInfo::compareVersions(info.description, offered);
    FuzzSupport::require((ab > 0) == (ba < 0) && (ab == 0) == (ba == 0),
                         "the version order is not antisymmetric");
    return 0;
}
