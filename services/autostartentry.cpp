#include "services/autostartentry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {
// A path as one argument of an Exec key: quoted, with the characters the
// desktop entry format reserves inside quotes escaped.
QString execArgument(const QString& program) {
    QString quoted;
    for (const QChar c : program) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
            c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        quoted += c;
    }
    // Exec treats '%' as a field code; a literal one is written twice.
    quoted.replace(QLatin1Char('%'), QStringLiteral("%%"));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}
}  // namespace

QString AutostartEntry::path() {
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/autostart/zentaro.desktop");
}

QByteArray AutostartEntry::contents(const QString& program) {
    const QString absolute = QFileInfo(program).absoluteFilePath();
    QString text;
    text += QStringLiteral("[Desktop Entry]\n");
    text += QStringLiteral("Type=Application\n");
    text += QStringLiteral("Name=Zentaro\n");
    text += QStringLiteral("Exec=") + execArgument(absolute) + QLatin1Char('\n');
    text += QStringLiteral("Terminal=false\n");
    text += QStringLiteral("X-GNOME-Autostart-enabled=true\n");
    return text.toUtf8();
}

bool AutostartEntry::isInstalled(const QString& program) {
    QFile file(path());
    if (!file.open(QIODevice::ReadOnly)) return false;
    return file.readAll() == contents(program);
}

bool AutostartEntry::install(const QString& program, QString* error) {
    if (isInstalled(program)) return true;
    const QString target = path();
    if (!QDir().mkpath(QFileInfo(target).absolutePath())) {
        if (error) *error = QFileInfo(target).absolutePath();
        return false;
    }
    QSaveFile file(target);
    if (!file.open(QIODevice::WriteOnly) || file.write(contents(program)) < 0 || !file.commit()) {
        if (error) *error = file.errorString();
        return false;
    }
    return true;
}

bool AutostartEntry::remove(QString* error) {
    QFile file(path());
    if (!file.exists() && !QFileInfo(path()).isSymLink()) return true;
    if (file.remove()) return true;
    if (error) *error = file.errorString();
    return false;
}
