#pragma once
// What an update description file ("version.xml", "firmversion.xml") offers:
// a version, its change notes, the MD5 of the file and where to fetch it.

#include <QByteArray>
#include <QMetaType>
#include <QString>
#include <QUrl>

struct VersionInfo {
    QString version;
    QString description;
    QString md5;  // upper-case hex
    QUrl url;
    // The same release as a Debian package, for a copy installed from one.
    QString packageMd5;  // upper-case hex
    QUrl packageUrl;

    // Version present and a usable (absolute http/https) address.
    bool isValid() const;
    // A usable package address with a well-formed MD5.
    bool hasPackage() const;

    // Walks every element of any well-formed XML document and takes the text
    // of the last `version`, `description`, `md5` and `url` elements. A
    // relative url is resolved against `base` (the description's address),
    // so a server tree can be served from any host and port. An XML error
    // ends the walk with what was found so far.
    static VersionInfo parse(const QByteArray& xml, const QUrl& base = QUrl());

    // The program's own version text.
    static QString programVersion();

    // True when `offered` is a later version than `current`. Dot-separated
    // parts are compared one by one: two all-digit parts by their numbers
    // (so 1.1.10.0 is later than 1.1.2.2), any other pair as text (so
    // 1.1.2.2a is later than 1.1.2.2, and the hex digits of firmware
    // versions order as they should); a missing part counts as empty.
    static bool isNewer(const QString& offered, const QString& current);
    static int compareVersions(const QString& a, const QString& b);
};

Q_DECLARE_METATYPE(VersionInfo)
