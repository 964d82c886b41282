#include "jobs/backupstore.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSaveFile>
#include <algorithm>

#include "common/apppaths.h"
#include "model/profilejson.h"

const QString BackupStore::ManifestName = QStringLiteral("manifest.json");
const QString BackupStore::FormatName = QStringLiteral("zentaro-backup");

namespace {

// A manifest is a few hundred bytes; anything much larger is not ours.
constexpr qint64 kMaxManifestBytes = 256 * 1024;
const QString kIncompletePrefix = QStringLiteral(".incomplete-");

QByteArray sha256(const QByteArray& bytes) {
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

bool readFile(const QString& path, qint64 limit, QByteArray* bytes) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return false;
    *bytes = f.read(limit + 1);
    return bytes->size() <= limit;
}

bool saveFile(const QString& path, const QByteArray& bytes, QString* error) {
    QSaveFile f(path);
    if (f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() && f.commit()) return true;
    *error = QStringLiteral("cannot write %1: %2").arg(path, f.errorString());
    return false;
}

QString profileFileName(int table) {
    return QStringLiteral("profile-%1.json").arg(table);
}

}  // namespace

QStringList BackupStore::Backup::names() const {
    QStringList out;
    for (const Entry& e : entries) out << e.name;
    return out;
}

BackupStore::BackupStore(const QString& root) : mRoot(root) {}

QString BackupStore::defaultRoot() {
    const QString own = qEnvironmentVariable("ZENTARO_BACKUP_FOLDER");
    if (!own.isEmpty()) return own;
    return AppPaths::writableDataFolder() + QStringLiteral("/backups");
}

QString BackupStore::folder(int product) const {
    return mRoot + QLatin1Char('/') + QString::number(product);
}

bool BackupStore::isValidId(const QString& id) {
    static const QRegularExpression pattern(QStringLiteral("^\\d{8}-\\d{6}(-\\d{1,3})?$"));
    return pattern.match(id).hasMatch();
}

bool BackupStore::readManifest(const QString& dir, Backup* b) const {
    QByteArray bytes;
    if (!readFile(dir + QLatin1Char('/') + ManifestName, kMaxManifestBytes, &bytes)) {
        b->damage = QStringLiteral("its manifest is missing or unreadable");
        return false;
    }
    const QJsonObject o = QJsonDocument::fromJson(bytes).object();
    if (o.value(QStringLiteral("format")).toString() != FormatName ||
        o.value(QStringLiteral("version")).toInt() != Version) {
        b->damage = QStringLiteral("its manifest is no backup manifest of version %1").arg(Version);
        return false;
    }
    b->product = o.value(QStringLiteral("product")).toInt();
    b->productName = o.value(QStringLiteral("productName")).toString();
    b->firmware = o.value(QStringLiteral("firmware")).toString();
    b->created = QDateTime::fromString(o.value(QStringLiteral("created")).toString(), Qt::ISODate);
    b->automatic = o.value(QStringLiteral("automatic")).toBool();
    b->active = o.value(QStringLiteral("active")).toInt();
    b->entries.clear();
    for (const QJsonValue& v : o.value(QStringLiteral("profiles")).toArray()) {
        const QJsonObject p = v.toObject();
        Entry e{p.value(QStringLiteral("table")).toInt(-1),
                p.value(QStringLiteral("name")).toString(),
                p.value(QStringLiteral("file")).toString(),
                p.value(QStringLiteral("sha256")).toString().toLatin1()};
        // A file name that could climb out of the folder is damage, not a path.
        if (e.table < 0 || e.table > 255 || e.file != profileFileName(e.table)) {
            b->damage = QStringLiteral("its manifest names a profile file it cannot hold");
            return false;
        }
        b->entries.append(e);
    }
    if (b->entries.isEmpty() || !b->created.isValid()) {
        b->damage = QStringLiteral("its manifest is incomplete");
        return false;
    }
    return true;
}

bool BackupStore::check(const QString& dir, Backup* b, QList<Profile>* profiles) const {
    for (const Entry& e : std::as_const(b->entries)) {
        QByteArray bytes;
        if (!readFile(dir + QLatin1Char('/') + e.file, ProfileJson::MaxBytes, &bytes)) {
            b->damage = QStringLiteral("%1 is missing or unreadable").arg(e.file);
            return false;
        }
        if (sha256(bytes) != e.sha256) {
            b->damage = QStringLiteral("%1 has changed since the backup was made").arg(e.file);
            return false;
        }
        Profile p;
        ProfileJson::Error error;
        if (!ProfileJson::read(bytes, &p, &error)) {
            b->damage = QStringLiteral("%1: %2").arg(e.file, error.englishText());
            return false;
        }
        if (p.product != b->product) {
            b->damage = QStringLiteral("%1 is a profile of product %2").arg(e.file).arg(p.product);
            return false;
        }
        if (profiles) profiles->append(p);
    }
    return true;
}

QList<BackupStore::Backup> BackupStore::list(int product) const {
    QList<Backup> out;
    const QDir dir(folder(product));
    for (const QString& id : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        if (!isValidId(id)) continue;
        Backup b;
        b.id = id;
        const QString path = dir.filePath(id);
        if (readManifest(path, &b)) {
            if (b.product != product)
                b.damage = QStringLiteral("it is a backup of product %1").arg(b.product);
            else
                check(path, &b, nullptr);
        }
        out.append(b);
    }
    // Ids are dates with a counter for backups made in the same second.
    auto key = [](const QString& id) {
        const int dash = int(id.indexOf(QLatin1Char('-'), 9));
        return qMakePair(id.left(15), dash < 0 ? 1 : id.mid(dash + 1).toInt());
    };
    std::sort(out.begin(), out.end(),
              [&](const Backup& a, const Backup& b) { return key(b.id) < key(a.id); });
    return out;
}

bool BackupStore::load(int product, const QString& id, Backup* backup, QList<Profile>* profiles,
                       QString* error) const {
    profiles->clear();
    const QString path = folder(product) + QLatin1Char('/') + id;
    if (!isValidId(id) || !QFileInfo(path).isDir()) {
        *error = QStringLiteral("there is no backup %1 of this keyboard").arg(id);
        return false;
    }
    Backup b;
    b.id = id;
    if (readManifest(path, &b) && b.product != product)
        b.damage = QStringLiteral("it is a backup of product %1, not of this keyboard's %2")
                       .arg(b.product)
                       .arg(product);
    if (!b.isDamaged()) check(path, &b, profiles);
    *backup = b;
    if (b.isDamaged()) {
        profiles->clear();
        *error = QStringLiteral("backup %1 is damaged: %2").arg(id, b.damage);
        return false;
    }
    return true;
}

bool BackupStore::write(Backup* b, const QList<Profile>& profiles, QString* error) {
    const QString base = folder(b->product);
    QDir dir(base);
    if (!dir.mkpath(QStringLiteral("."))) {
        *error = QStringLiteral("cannot create the backup folder %1").arg(base);
        return false;
    }
    // Leftovers of a backup that stopped midway (a crash, a full disk).
    for (const QString& old :
         dir.entryList({kIncompletePrefix + QLatin1Char('*')}, QDir::Dirs | QDir::Hidden))
        QDir(dir.filePath(old)).removeRecursively();

    b->created = QDateTime::currentDateTime();
    b->created.setTime(
        QTime(b->created.time().hour(), b->created.time().minute(), b->created.time().second()));
    const QString stamp = b->created.toString(QStringLiteral("yyyyMMdd-HHmmss"));
    b->id = stamp;
    for (int n = 2; dir.exists(b->id) && n < 1000; ++n)
        b->id = stamp + QLatin1Char('-') + QString::number(n);

    const QString temp = dir.filePath(kIncompletePrefix + b->id);
    auto fail = [&](const QString& why) {
        *error = why;
        QDir(temp).removeRecursively();
        return false;
    };
    if (!dir.mkpath(kIncompletePrefix + b->id))
        return fail(QStringLiteral("cannot create the backup folder %1").arg(temp));

    if (b->entries.size() != profiles.size() || profiles.isEmpty())
        return fail(QStringLiteral("nothing to back up"));
    QJsonArray list;
    for (int i = 0; i < profiles.size(); ++i) {
        Entry& e = b->entries[i];
        e.file = profileFileName(e.table);
        const QByteArray bytes = ProfileJson::write(profiles.at(i));
        e.sha256 = sha256(bytes);
        QString why;
        if (!saveFile(temp + QLatin1Char('/') + e.file, bytes, &why)) return fail(why);
        list.append(QJsonObject{{QStringLiteral("table"), e.table},
                                {QStringLiteral("name"), e.name},
                                {QStringLiteral("file"), e.file},
                                {QStringLiteral("sha256"), QString::fromLatin1(e.sha256)}});
    }
    const QJsonObject manifest{
        {QStringLiteral("format"), FormatName},
        {QStringLiteral("version"), Version},
        {QStringLiteral("product"), b->product},
        {QStringLiteral("productName"), b->productName},
        {QStringLiteral("firmware"), b->firmware},
        {QStringLiteral("created"), b->created.toString(Qt::ISODate)},
        {QStringLiteral("automatic"), b->automatic},
        {QStringLiteral("active"), b->active},
        {QStringLiteral("profiles"), list},
    };
    QString why;
    if (!saveFile(temp + QLatin1Char('/') + ManifestName,
                  QJsonDocument(manifest).toJson(QJsonDocument::Indented), &why))
        return fail(why);
    // What the disk holds is what a restore will read: check it before the
    // backup counts.
    Backup written;
    QList<Profile> back;
    if (!readManifest(temp, &written) || !check(temp, &written, &back))
        return fail(QStringLiteral("the backup does not read back: %1").arg(written.damage));
    for (int i = 0; i < profiles.size(); ++i)
        if (ProfileJson::write(back.at(i)) != ProfileJson::write(profiles.at(i)))
            return fail(QStringLiteral("profile %1 does not read back as written")
                            .arg(b->entries.at(i).name));
    if (!dir.rename(kIncompletePrefix + b->id, b->id))
        return fail(QStringLiteral("cannot name the backup folder %1").arg(b->id));
    return true;
}

bool BackupStore::remove(int product, const QString& id, QString* error) {
    const QString path = folder(product) + QLatin1Char('/') + id;
    if (!isValidId(id) || !QFileInfo(path).isDir()) {
        *error = QStringLiteral("there is no backup %1 of this keyboard").arg(id);
        return false;
    }
    // Renamed out of the list first, so that a delete that stops midway
    // leaves no half backup behind that looks whole.
    const QString doomed = folder(product) + QLatin1Char('/') + kIncompletePrefix + id;
    if (!QDir().rename(path, doomed) || !QDir(doomed).removeRecursively()) {
        *error = QStringLiteral("cannot delete backup %1").arg(id);
        return false;
    }
    return true;
}

QStringList BackupStore::prune(int product, int keep) {
    QStringList removed;
    int kept = 0;
    for (const Backup& b : list(product)) {
        if (!b.automatic || b.isDamaged()) continue;
        if (kept < keep) {
            ++kept;
            continue;
        }
        QString why;
        if (remove(product, b.id, &why)) removed << b.id;
    }
    return removed;
}
