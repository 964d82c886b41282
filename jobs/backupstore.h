#pragma once
// The backups of a keyboard's profiles, one folder per keyboard product
// (<root>/<product>/<id>/): one readable profile file per on-keyboard
// profile and a manifest (product, firmware version, date, profile names,
// automatic or manual) with each file's SHA-256. A backup is written into a
// hidden folder, every file through QSaveFile, read back and checked, and
// only then renamed to its id: a backup folder never holds a half-written
// file. A backup whose files do not match their manifest is listed as
// damaged and never loaded.

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include "model/profile.h"

class BackupStore {
public:
    static const QString ManifestName;  // manifest.json
    static const QString FormatName;    // zentaro-backup
    static constexpr int Version = 1;
    // Automatic backups kept per keyboard; manual ones are never pruned.
    static constexpr int KeepAutomatic = 10;

    struct Entry {
        int table = 0;
        QString name;
        QString file;
        QByteArray sha256;  // hex
    };
    struct Backup {
        QString id;  // the folder name
        int product = 0;
        QString productName;
        QString firmware;  // as the other page shows it, e.g. 0.1.0.5
        QDateTime created;
        bool automatic = false;
        int active = 0;  // the table that was active
        QList<Entry> entries;
        // Set by list() and load(): why the backup cannot be used.
        QString damage;
        bool isDamaged() const { return !damage.isEmpty(); }
        QStringList names() const;
    };

    // <root>/<product> holds the product's backups.
    explicit BackupStore(const QString& root = defaultRoot());
    // backups/ under the user's writable data folder; ZENTARO_BACKUP_FOLDER
    // names another (tests, scripts).
    static QString defaultRoot();
    QString root() const { return mRoot; }
    QString folder(int product) const;

    // Newest first; damaged ones included, marked.
    QList<Backup> list(int product) const;
    // The backup `id` of `product` with its profiles, checked against the
    // manifest. False with `error` in words (damaged, missing).
    bool load(int product, const QString& id, Backup* backup, QList<Profile>* profiles,
              QString* error) const;
    // Writes a new backup; `backup` gives product, firmware, automatic,
    // active and per profile (in the order of `profiles`) an entry with its
    // table and name; it receives id, date, file names and hashes. False
    // with `error` (and nothing left behind) when a file cannot be written
    // or reads back otherwise.
    bool write(Backup* backup, const QList<Profile>& profiles, QString* error);
    bool remove(int product, const QString& id, QString* error);
    // Deletes automatic backups beyond the newest `keep`; their ids.
    QStringList prune(int product, int keep = KeepAutomatic);

    // A safe id: what write() makes, nothing that leaves the folder.
    static bool isValidId(const QString& id);

private:
    bool readManifest(const QString& dir, Backup* backup) const;
    bool check(const QString& dir, Backup* backup, QList<Profile>* profiles) const;

    QString mRoot;
};
