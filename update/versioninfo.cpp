#include "update/versioninfo.h"

#include <QRegularExpression>
#include <QStringList>
#include <QXmlStreamReader>

#if __has_include("zentaroversion.h")
#include "zentaroversion.h"
#define ZENTARO_PROGRAM_VERSION kZentaroVersion
#else
#define ZENTARO_PROGRAM_VERSION "1.1.2.2"
#endif

namespace {
bool allDigits(const QString& s) {
    if (s.isEmpty()) return false;
    for (QChar c : s)
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return false;
    return true;
}

int comparePart(const QString& a, const QString& b) {
    if (allDigits(a) && allDigits(b)) {
        // Compare as numbers of any length: strip leading zeros, then the
        // longer one is larger, equal lengths compare digit by digit.
        QString x = a, y = b;
        while (x.size() > 1 && x.front() == QLatin1Char('0')) x.remove(0, 1);
        while (y.size() > 1 && y.front() == QLatin1Char('0')) y.remove(0, 1);
        if (x.size() != y.size()) return x.size() < y.size() ? -1 : 1;
        return x.compare(y);
    }
    return a.compare(b);
}

bool usableAddress(const QUrl& url) {
    if (!url.isValid() || url.isRelative() || url.host().isEmpty()) return false;
    const QString scheme = url.scheme().toLower();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https");
}
}  // namespace

bool VersionInfo::isValid() const {
    return !version.isEmpty() && usableAddress(url);
}

bool VersionInfo::hasPackage() const {
    static const QRegularExpression md5(QStringLiteral("^[0-9A-F]{32}$"));
    return usableAddress(packageUrl) && md5.match(packageMd5).hasMatch();
}

VersionInfo VersionInfo::parse(const QByteArray& xml, const QUrl& base) {
    VersionInfo info;
    QString urlText, packageUrlText;
    QXmlStreamReader reader(xml);
    while (!reader.atEnd()) {
        if (reader.readNext() != QXmlStreamReader::StartElement) continue;
        const auto name = reader.name();
        QString* target = nullptr;
        if (name == QLatin1String("version"))
            target = &info.version;
        else if (name == QLatin1String("description"))
            target = &info.description;
        else if (name == QLatin1String("md5"))
            target = &info.md5;
        else if (name == QLatin1String("url"))
            target = &urlText;
        else if (name == QLatin1String("packageMd5"))
            target = &info.packageMd5;
        else if (name == QLatin1String("packageUrl"))
            target = &packageUrlText;
        if (!target) continue;
        const QString text = reader.readElementText(QXmlStreamReader::IncludeChildElements);
        if (reader.hasError()) break;
        *target = text.trimmed();
    }
    info.md5 = info.md5.toUpper();
    info.packageMd5 = info.packageMd5.toUpper();
    const auto resolve = [&base](const QString& text) {
        if (text.isEmpty()) return QUrl();
        const QUrl url(text, QUrl::StrictMode);
        return (url.isRelative() && base.isValid()) ? base.resolved(url) : url;
    };
    info.url = resolve(urlText);
    info.packageUrl = resolve(packageUrlText);
    return info;
}

QString VersionInfo::programVersion() {
    return QString::fromLatin1(ZENTARO_PROGRAM_VERSION);
}

int VersionInfo::compareVersions(const QString& a, const QString& b) {
    const QStringList x = a.split(QLatin1Char('.'));
    const QStringList y = b.split(QLatin1Char('.'));
    const int n = qMax(x.size(), y.size());
    for (int i = 0; i < n; ++i) {
        const int c =
            comparePart(i < x.size() ? x.at(i) : QString(), i < y.size() ? y.at(i) : QString());
        if (c != 0) return c < 0 ? -1 : 1;
    }
    return 0;
}

bool VersionInfo::isNewer(const QString& offered, const QString& current) {
    return compareVersions(offered, current) > 0;
}
