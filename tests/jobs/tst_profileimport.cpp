// Writing a profile into a keyboard and reading it back: round trips
// between simulated keyboards (JSON and .aaa), partial imports, another
// product, and a keyboard that does not keep what it confirmed.
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTest>

#include "link/usbprotocol.h"
#include "jobs/configwritedatabase.h"
#include "jobs/importconfigutil.h"
#include "jobs/profileapply.h"
#include "model/profilejson.h"
#include "jobs/profileplan.h"
#include "support/configfilerig.h"

namespace {

using testsupport::KeyboardRig;

// Every section of the profile, keys by this keyboard's numbers; the name is
// not part of what an import writes.
QByteArray settings(const KeyboardConfigUtil& model) {
    Profile p = ProfileJson::fromModel(model);
    p.name.clear();
    return ProfileJson::write(p);
}

// Changes a little of every section of the simulated keyboard's active table.
void personalise(SimProfile& p) {
    p.layers[0][17] = {1, 0, 0x68};  // F13
    p.layers[1][30] = {2, 0, 0xE2};
    p.lights[17] = {2, 10, 20, 30};
    p.effects[1].speed = 4;
    p.effects[1].r = 200;
    p.macros[4] = {{1, 1, 4, 0, 25}, {1, 0, 4, 0, 5}};
    p.macros[0].clear();
    p.triggers[17] = {150, true, true, 20, 25};
    p.wholeParam[4] = 2;  // polling rate
}

struct Outcome {
    bool ended = false;
    bool ok = false;
    int error = 0;
    QList<ProfilePlan::Difference> differences;
};

Outcome run(KeyboardRig& rig, const ProfilePlan& plan, bool write,
            const std::function<void()>& beforeReadBack = {}) {
    ProfileApply job(rig.engine.data(), rig.model.data(), plan);
    Outcome o;
    QEventLoop loop;
    if (beforeReadBack) QObject::connect(&job, &ProfileApply::readingBack, beforeReadBack);
    QObject::connect(&job, &ProfileApply::finished, &loop, [&](bool ok, int error) {
        o = {true, ok, error, job.differences()};
        loop.quit();
    });
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    write ? job.start() : job.verify();
    if (!o.ended) loop.exec();
    return o;
}

ProfilePlan planOf(const QByteArray& json, KeyboardRig& target, int sections) {
    Profile p;
    ProfileJson::Error error;
    ProfilePlan plan;
    if (!ProfileJson::read(json, &p, &error)) qWarning() << error.englishText();
    if (!ProfilePlan::build(p, *target.model, sections, &plan, &error))
        qWarning() << error.englishText();
    return plan;
}

}  // namespace

class TestProfileImport : public QObject {
    Q_OBJECT

private slots:
    // keyboard -> JSON -> another keyboard: the same settings, confirmed by
    // the read-back; a second import has nothing left to write.
    void jsonRoundTrip() {
        KeyboardRig a, b;
        personalise(a.profile());
        QVERIFY(a.openSyncAndLoad());
        QVERIFY(b.openSyncAndLoad());
        const QByteArray json = ProfileJson::write(*a.model);
        QVERIFY(settings(*a.model) != settings(*b.model));

        const ProfilePlan plan = planOf(json, b, Profile::AllSections);
        QVERIFY(plan.unmatched().isEmpty());
        const QList<ProfilePlan::Difference> before = plan.differences(*b.model);
        QCOMPARE(ProfilePlan::count(before, Profile::Keys), 2);
        QCOMPARE(ProfilePlan::count(before, Profile::Macros), 2);
        QCOMPARE(ProfilePlan::count(before, Profile::Parameters), 1);

        const Outcome o = run(b, plan, true);
        QVERIFY(o.ended);
        QVERIFY2(o.ok, qPrintable(QString::number(o.error)));
        QCOMPARE(settings(*b.model), settings(*a.model));
        // What the model says is what the keyboard holds.
        QVERIFY(b.sync());
        QCOMPARE(settings(*b.model), settings(*a.model));
        QVERIFY(planOf(json, b, Profile::AllSections).changes(*b.model).isEmpty());
    }

    // .aaa -> keyboard (checked by the read-back) -> JSON -> keyboard.
    void configurationFileRoundTrip() {
        // The engine clears a deleted macro in the newest model too: the
        // keyboard being imported into is made last.
        KeyboardRig c, a, b;
        personalise(a.profile());
        QVERIFY(a.openSyncAndLoad());
        QVERIFY(b.openSyncAndLoad());
        QVERIFY(c.openSyncAndLoad());
        const QString file = a.dir.filePath("a.aaa");
        {
            ConfigWriteDatabase job(a.model.data(), file);
            const auto r = testsupport::collect(&job, &ConfigWriteDatabase::config_write_result);
            QVERIFY(testsupport::ended(r) && r.constLast().first);
        }
        ImportConfigUtil import(b.engine.data(), b.model.data(), file);
        const auto r = testsupport::collect(&import, &ImportConfigUtil::import_config_result);
        QVERIFY(testsupport::ended(r) && r.constLast().first);
        const ProfilePlan check = ProfilePlan::fromContent(import.content(), *b.model);
        const Outcome verified = run(b, check, false);
        QVERIFY(verified.ok);
        QCOMPARE(settings(*b.model), settings(*a.model));

        const ProfilePlan plan = planOf(ProfileJson::write(*b.model), c, Profile::AllSections);
        const Outcome o = run(c, plan, true);
        QVERIFY2(o.ok, qPrintable(QString::number(o.error) + " " +
                                  (o.differences.isEmpty() ? QString()
                                                           : o.differences.first().englishText())));
        QCOMPARE(settings(*c.model), settings(*a.model));
    }

    // Only the chosen sections are written; the others keep their values
    // on the keyboard.
    void partialImportChangesOnlyItsSections() {
        KeyboardRig a, b;
        personalise(a.profile());
        QVERIFY(a.openSyncAndLoad());
        QVERIFY(b.openSyncAndLoad());
        const Profile untouched = ProfileJson::fromModel(*b.model);
        const ProfilePlan plan =
            planOf(ProfileJson::write(*a.model), b, Profile::Lighting | Profile::Macros);
        QVERIFY(plan.changes(*b.model).size() > 0);
        for (const ProfilePlan::Change& change : plan.changes(*b.model))
            QVERIFY(change.section == Profile::Lighting || change.section == Profile::Macros);
        QVERIFY(run(b, plan, true).ok);
        QVERIFY(b.sync());
        const Profile after = ProfileJson::fromModel(*b.model);
        const Profile source = ProfileJson::fromModel(*a.model);
        Profile onlyRest = after, restBefore = untouched;
        for (Profile* p : {&onlyRest, &restBefore})
            p->sections =
                Profile::Keys | Profile::AdvancedKeys | Profile::Performance | Profile::Parameters;
        QCOMPARE(ProfileJson::write(onlyRest), ProfileJson::write(restBefore));
        Profile lit = after, litSource = source;
        for (Profile* p : {&lit, &litSource}) {
            p->sections = Profile::Lighting | Profile::Macros;
            p->name.clear();
        }
        QCOMPARE(ProfileJson::write(lit), ProfileJson::write(litSource));

        // A file without a section leaves it alone even when all are chosen.
        QJsonObject o = QJsonDocument::fromJson(ProfileJson::write(*a.model)).object();
        o.remove("keys");
        const ProfilePlan noKeys = planOf(QJsonDocument(o).toJson(), b, Profile::AllSections);
        QVERIFY(!(noKeys.sections() & Profile::Keys));
        QCOMPARE(ProfilePlan::count(noKeys.differences(*b.model), Profile::Keys), 0);
    }

    // A keyboard that confirms a write but does not keep it is caught by the
    // read-back, and the values are named by key; the model then shows what
    // the keyboard holds.
    void readBackCatchesWhatTheKeyboardDropped() {
        KeyboardRig a, b;
        personalise(a.profile());
        QVERIFY(a.openSyncAndLoad());
        QVERIFY(b.openSyncAndLoad());
        const Outcome o =
            run(b, planOf(ProfileJson::write(*a.model), b, Profile::AllSections), true, [&] {
                b.profile().layers[0][17] = {1, 0, 0x20};  // back to "3"
                b.profile().triggers[17].trigger = 200;
            });
        QVERIFY(o.ended);
        QVERIFY(!o.ok);
        QCOMPARE(o.error, int(ProfileApply::ErrorMismatch));
        QCOMPARE(o.differences.size(), 2);
        QCOMPARE(o.differences.at(0).key, 17);
        QVERIFY2(o.differences.at(0).englishText().startsWith("#3 (key 17): 3 -> F13"),
                 qPrintable(o.differences.at(0).englishText()));
        QCOMPARE(o.differences.at(1).section, int(Profile::Performance));
        QCOMPARE(b.model->keyboardTriggerMap.value(17)->trigger, quint16(200));

        // The check after a configuration file import catches it the same way.
        const QString file = a.dir.filePath("a.aaa");
        ConfigWriteDatabase job(a.model.data(), file);
        testsupport::collect(&job, &ConfigWriteDatabase::config_write_result);
        ImportConfigUtil import(b.engine.data(), b.model.data(), file);
        const auto r = testsupport::collect(&import, &ImportConfigUtil::import_config_result);
        QVERIFY(testsupport::ended(r) && r.constLast().first);
        b.profile().lights[17] = {1, 1, 1, 1};
        const Outcome check = run(b, ProfilePlan::fromContent(import.content(), *b.model), false);
        QVERIFY(!check.ok);
        QCOMPARE(check.differences.size(), 1);
        QCOMPARE(check.differences.first().what, ProfilePlan::Difference::CustomLight);
    }

    // A keyboard that stops answering ends the import with the engine's
    // error, never with success; cancelling stops after the change in flight.
    void silenceAndCancelEndTheImport() {
        KeyboardRig a, b;
        personalise(a.profile());
        QVERIFY(a.openSyncAndLoad());
        QVERIFY(b.openSyncAndLoad());
        const ProfilePlan plan = planOf(ProfileJson::write(*a.model), b, Profile::AllSections);
        b.sim.setSilent(true);
        const Outcome silent = run(b, plan, true);
        QVERIFY(silent.ended && !silent.ok);
        QCOMPARE(silent.error, int(UsbProtocol::ErrorNoAnswer));
        b.sim.setSilent(false);

        ProfileApply job(b.engine.data(), b.model.data(), plan);
        QSignalSpy finished(&job, &ProfileApply::finished);
        connect(&job, &ProfileApply::progress, &job, [&](int done) {
            if (done == 1) job.cancel();
        });
        job.start();
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 20000);
        QCOMPARE(finished.first().at(1).toInt(), int(ProfileApply::ErrorCancelled));
        // Only the confirmed change reached the model, and the keyboard has it.
        const QByteArray model = settings(*b.model);
        QVERIFY(b.sync());
        QCOMPARE(settings(*b.model), model);
    }

    // Another product: keys are found by label; what this keyboard lacks is
    // listed and nothing is written under another key.
    void anotherProductMatchesByLabel() {
        KeyboardRig a, b;
        personalise(a.profile());
        QVERIFY(a.openSyncAndLoad());
        QVERIFY(SimCatalogueSeed::apply(b.sim, *b.catalogue, samplecatalogue::Compact));
        QVERIFY(b.openSyncAndLoad());
        QCOMPARE(b.model->keyboardProductInfo->serialNumber, samplecatalogue::Compact);

        Profile p;
        ProfileJson::Error error;
        QVERIFY(ProfileJson::read(ProfileJson::write(*a.model), &p, &error));
        ProfilePlan plan;
        QVERIFY(ProfilePlan::build(p, *b.model, Profile::AllSections, &plan, &error));
        // Every planned binding lands on a key with the same label.
        const QList<ProfilePlan::Difference> diffs = plan.differences(*b.model);
        for (const ProfilePlan::Difference& d : diffs) {
            if (d.what != ProfilePlan::Difference::Binding) continue;
            const DefaultKeyPtr there = b.model->defaultKey(quint8(d.key), 0);
            bool found = false;
            for (const Profile::Binding& source : p.layers[size_t(d.layer)])
                found = found || (there && source.key.label == there->label);
            QVERIFY2(found, qPrintable(d.englishText()));
        }
        QVERIFY(run(b, plan, true).ok);
        // W of the source keeps its function on the compact board, wherever W is.
        int sourceKey = -1, targetKey = -1;
        for (const DefaultKeyPtr& d : a.model->keyboardDefaultList)
            if (d->label == "#3") sourceKey = d->keyItem;
        for (const DefaultKeyPtr& d : b.model->keyboardDefaultList)
            if (d->label == "#3") targetKey = d->keyItem;
        if (sourceKey >= 0 && targetKey >= 0)
            QCOMPARE(b.model->keyboardFnMap.value(quint8(targetKey))->lValue,
                     a.model->keyboardFnMap.value(quint8(sourceKey))->lValue);
        // Keys the compact board lacks were listed, not written elsewhere.
        if (a.model->keyboardFnMap.size() > b.model->keyboardFnMap.size())
            QVERIFY(!plan.unmatched().isEmpty());
    }

    // Values this keyboard does not accept are refused before anything is sent.
    void refusesValuesOutsideTheKeyboardsRange() {
        KeyboardRig b;
        QVERIFY(b.openSyncAndLoad());
        Profile p = ProfileJson::fromModel(*b.model);
        p.triggers[3].trigger = quint16(b.model->keyboardProduct->triggerMax + 1);
        ProfilePlan plan;
        ProfileJson::Error error;
        QVERIFY(!ProfilePlan::build(p, *b.model, Profile::AllSections, &plan, &error));
        QCOMPARE(error.field, QString("performance[3].actuation"));
        // Without the section the rest may still go.
        QVERIFY(ProfilePlan::build(p, *b.model, Profile::Keys, &plan, &error));
    }
};

QTEST_GUILESS_MAIN(TestProfileImport)
#include "tst_profileimport.moc"
