// The other page's backups card: an automatic, a manual and a damaged
// backup of the simulated keyboard, in a folder of its own.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTreeWidget>

#include "jobs/backupstore.h"
#include "model/keyboardconfigutil.h"
#include "model/profilejson.h"
#include "shotcontext.h"
#include "shotregistry.h"
#include "ui/pageindex.h"
#include "ui/pages/other/backuplistform.h"
#include "ui/pages/other/othersetform.h"

ZENTARO_SHOT("other-backups", [](ShotContext& c) {
    c.session().reachKeyPage();
    const KeyboardConfigUtil* model = KeyboardConfigUtil::instance();
    if (!model || !model->keyboardProductInfo) return;
    QTemporaryDir folder;
    qputenv("ZENTARO_BACKUP_FOLDER", folder.path().toUtf8());
    BackupStore store(folder.path());
    const Profile active = ProfileJson::fromModel(*model);
    QList<Profile> profiles;
    BackupStore::Backup made;
    made.product = active.product;
    made.productName = active.productName;
    for (const ConfigTableEntryPtr& t : model->keyboardConfigList) {
        Profile p = active;
        p.name = t->configName;
        profiles << p;
        made.entries.append({t->index, t->configName, {}, {}});
    }
    QString why;
    const QStringList firmware = {QStringLiteral("0.1.0.4"), QStringLiteral("0.1.0.5"),
                                  QStringLiteral("0.1.0.5")};
    for (int i = 0; i < 3; ++i) {
        BackupStore::Backup b = made;
        b.firmware = firmware.at(i);
        b.automatic = i != 1;
        if (!store.write(&b, profiles, &why)) return;
        if (i == 0) {
            // The oldest one was edited by hand since: shown as damaged.
            QFile f(store.folder(b.product) + QLatin1Char('/') + b.id +
                    QStringLiteral("/profile-%1.json").arg(b.entries.first().table));
            if (f.open(QIODevice::Append)) f.write(" ");
        }
    }
    c.showPage(PageOther);
    if (auto* list = c.window()->findChild<QTreeWidget*>(QStringLiteral("backupList"))) {
        list->setCurrentItem(list->topLevelItem(0));
        list->setFocus();
    }
    c.settle(200);
    c.save(QStringLiteral("other-backups"));
    qunsetenv("ZENTARO_BACKUP_FOLDER");
});
