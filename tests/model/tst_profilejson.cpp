// The readable profile file: what the writer produces (deterministic, valid
// against the schema in docs/, read back to the same profile) and what the
// reader refuses, each with the field that is wrong.
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTest>
#include <cmath>

#include "model/profilejson.h"
#include "model/sharecode.h"
#include "support/configfilerig.h"

namespace {

// The part of JSON Schema the profile schema uses: type, const, enum,
// anyOf, properties, required, additionalProperties false, items, maxItems,
// minimum, maximum, pattern, $ref into $defs. Returns the first violation.
class SchemaCheck {
public:
    explicit SchemaCheck(const QJsonObject& root) : mRoot(root) {}

    QString check(const QJsonValue& v, const QJsonObject& s, const QString& path) const {
        if (s.contains("$ref")) {
            const QString ref = s.value("$ref").toString();
            return check(v, mRoot.value("$defs").toObject().value(ref.section('/', -1)).toObject(),
                         path);
        }
        if (s.contains("const") && v != s.value("const")) return path + ": not the constant";
        if (s.contains("enum") && !s.value("enum").toArray().contains(v))
            return path + ": not in enum";
        if (s.contains("anyOf")) {
            for (const QJsonValue& alt : s.value("anyOf").toArray())
                if (check(v, alt.toObject(), path).isEmpty()) return QString();
            return path + ": matches no alternative";
        }
        if (s.contains("type")) {
            const QJsonValue t = s.value("type");
            const QJsonArray types = t.isArray() ? t.toArray() : QJsonArray{t};
            bool any = false;
            for (const QJsonValue& type : types) any = any || isType(v, type.toString());
            if (!any) return path + ": wrong type";
        }
        if (v.isDouble()) {
            if (s.contains("minimum") && v.toDouble() < s.value("minimum").toDouble())
                return path + ": below minimum";
            if (s.contains("maximum") && v.toDouble() > s.value("maximum").toDouble())
                return path + ": above maximum";
        }
        if (v.isString() && s.contains("pattern") &&
            !QRegularExpression(s.value("pattern").toString()).match(v.toString()).hasMatch())
            return path + ": pattern";
        if (v.isObject()) {
            const QJsonObject o = v.toObject();
            const QJsonObject props = s.value("properties").toObject();
            for (const QJsonValue& r : s.value("required").toArray())
                if (!o.contains(r.toString())) return path + "." + r.toString() + ": required";
            for (auto it = o.begin(); it != o.end(); ++it) {
                if (!props.contains(it.key())) {
                    if (s.value("additionalProperties") == QJsonValue(false))
                        return path + "." + it.key() + ": not allowed";
                    continue;
                }
                const QString e =
                    check(it.value(), props.value(it.key()).toObject(), path + "." + it.key());
                if (!e.isEmpty()) return e;
            }
        }
        if (v.isArray()) {
            const QJsonArray a = v.toArray();
            if (s.contains("maxItems") && a.size() > s.value("maxItems").toInt())
                return path + ": too many items";
            for (int i = 0; i < a.size() && s.contains("items"); ++i) {
                const QString e = check(a.at(i), s.value("items").toObject(),
                                        path + QStringLiteral("[%1]").arg(i));
                if (!e.isEmpty()) return e;
            }
        }
        return QString();
    }

private:
    static bool isType(const QJsonValue& v, const QString& type) {
        if (type == "object") return v.isObject();
        if (type == "array") return v.isArray();
        if (type == "string") return v.isString();
        if (type == "boolean") return v.isBool();
        if (type == "number") return v.isDouble();
        if (type == "integer") return v.isDouble() && v.toDouble() == std::floor(v.toDouble());
        return false;
    }
    QJsonObject mRoot;
};

QJsonObject schema() {
    QFile f(qEnvironmentVariable("ZENTARO_SOURCE_DIR") + "/docs/zentaro-profile.schema.json");
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QJsonDocument::fromJson(f.readAll()).object();
}

// A small valid profile to spoil one field at a time.
QJsonObject minimal() {
    return QJsonDocument::fromJson(R"({
      "format": "zentaro-profile", "version": 1, "name": "p",
      "product": {"number": 258, "name": "x"},
      "keys": {"layer0": [{"key": 17, "label": "W", "function": "W"}],
               "fn": [{"key": 17, "label": "W", "function": "F13"}]},
      "lighting": {"effects": [{"effect": 1, "brightness": 3, "speed": 2, "fullColour": 0,
                                "colour": "#ff8000"}],
                   "custom": [{"key": 17, "label": "W", "colour": "#00ff00", "brightness": 4}]},
      "advancedKeys": [{"slot": 0, "kind": "RS", "key": 46, "label": "A", "secondKey": 47,
                        "secondLabel": "S", "data": []}],
      "macros": [{"macro": 3, "events": [{"key": "A", "action": "down", "time": 30}]}],
      "performance": [{"key": 17, "label": "W", "actuation": 1.2, "rapidTrigger": true,
                       "continuous": false, "press": 0.1, "release": 0.15}],
      "parameters": {"pollingRate": "1K", "debounce": "low", "deadZoneDown": 0.05,
                     "deadZoneUp": 0.1, "touchOptimize": true, "sportsMode": false,
                     "calibration": false, "layer": 0, "reserve": -1}
    })")
        .object();
}

QByteArray bytesOf(const QJsonObject& o) {
    return QJsonDocument(o).toJson();
}

}  // namespace

class TestProfileJson : public QObject {
    Q_OBJECT

private slots:
    // A keyboard's profile: same bytes twice, valid against the schema, read
    // back to the same profile, and written the same again.
    void writtenFileIsStableValidAndReadsBack() {
        testsupport::KeyboardRig rig;
        QVERIFY(rig.openSyncAndLoad());
        const QByteArray first = ProfileJson::write(*rig.model);
        QCOMPARE(ProfileJson::write(*rig.model), first);

        const QJsonObject s = schema();
        QVERIFY(!s.isEmpty());
        const QJsonDocument doc = QJsonDocument::fromJson(first);
        QCOMPARE(SchemaCheck(s).check(doc.object(), s, "profile"), QString());
        QVERIFY(doc.object().value("keys").toObject().value("layer0").toArray().size() > 50);

        Profile p;
        ProfileJson::Error error;
        QVERIFY2(ProfileJson::read(first, &p, &error), qPrintable(error.englishText()));
        QCOMPARE(p.sections, int(Profile::AllSections));
        QCOMPARE(ProfileJson::write(p), first);
        // Readable units: a key by label, distances in millimetres.
        QVERIFY(first.contains(R"("label": "Esc")"));
        QVERIFY(first.contains(R"("actuation": 1.2)"));

        // The hand-made sample is valid too, and the schema catches a spoilt one.
        QCOMPARE(SchemaCheck(s).check(minimal(), s, "profile"), QString());
        QJsonObject bad = minimal();
        bad["extra"] = 1;
        QVERIFY(!SchemaCheck(s).check(bad, s, "profile").isEmpty());
    }

    void readsUnitsAndNames() {
        Profile p;
        ProfileJson::Error error;
        QVERIFY2(ProfileJson::read(bytesOf(minimal()), &p, &error),
                 qPrintable(error.englishText()));
        QCOMPARE(p.triggers.first().trigger, quint16(120));
        QCOMPARE(p.triggers.first().release, quint16(15));
        QCOMPARE(p.params.deadUp, qint16(10));
        QCOMPARE(p.params.pollingRate, qint8(3));
        QCOMPARE(p.lights.first().g, quint8(255));
        QCOMPARE(p.advanced.first().data[1], quint8(47));
        QVERIFY(p.macroGiven[2] && !p.macroGiven[0]);
        QCOMPARE(p.macros[2].first().state, quint8(1));
        QCOMPARE(p.layers[1].first().key.label, QString("W"));
    }

    // A section the file leaves out is not part of it.
    void missingSectionsAreLeftOut() {
        QJsonObject o = minimal();
        for (const char* s : {"keys", "lighting", "advancedKeys", "macros", "performance"})
            o.remove(s);
        Profile p;
        ProfileJson::Error error;
        QVERIFY(ProfileJson::read(bytesOf(o), &p, &error));
        QCOMPARE(p.sections, int(Profile::Parameters));
    }

    void refusesBadInput_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("reason");
        using E = ProfileJson::Error;
        auto spoil = [](const std::function<void(QJsonObject&)>& f) {
            QJsonObject o = minimal();
            f(o);
            return bytesOf(o);
        };
        auto inSection = [&](const char* section, const char* list, const char* field,
                             const QJsonValue& v) {
            return spoil([=](QJsonObject& o) {
                QJsonObject s = o.value(section).toObject();
                QJsonArray a = s.value(list).toArray();
                QJsonObject e = a.first().toObject();
                e[field] = v;
                a[0] = e;
                s[list] = a;
                o[section] = s;
            });
        };
        QTest::newRow("garbage") << QByteArray("\x01\x02not json") << "" << int(E::NotJson);
        QTest::newRow("list at top") << QByteArray("[1]") << "" << int(E::WrongType);
        QTest::newRow("unknown top field")
            << spoil([](QJsonObject& o) { o["colours"] = 1; }) << "colours" << int(E::UnknownField);
        QTest::newRow("unknown entry field") << inSection("keys", "layer0", "shift", true)
                                             << "keys.layer0[0].shift" << int(E::UnknownField);
        QTest::newRow("other version") << spoil([](QJsonObject& o) {
            o["version"] = 2;
            o["future"] = 1;
        }) << "version" << int(E::BadVersion);
        QTest::newRow("other format") << spoil([](QJsonObject& o) { o["format"] = "keymap"; })
                                      << "format" << int(E::BadFormat);
        QTest::newRow("no product")
            << spoil([](QJsonObject& o) { o.remove("product"); }) << "product" << int(E::Missing);
        QTest::newRow("entry without function") << spoil([](QJsonObject& o) {
            o["keys"] = QJsonObject{{"layer0", QJsonArray{QJsonObject{{"key", 3}}}}};
        }) << "keys.layer0[0].function" << int(E::Missing);
        QTest::newRow("key out of range")
            << inSection("keys", "fn", "key", 300) << "keys.fn[0].key" << int(E::OutOfRange);
        QTest::newRow("unknown function") << inSection("keys", "fn", "function", "Hyper")
                                          << "keys.fn[0].function" << int(E::UnknownFunction);
        QTest::newRow("macro of an eleventh macro")
            << inSection("keys", "fn", "function", "3:0:10") << "keys.fn[0].function"
            << int(E::UnknownFunction);
        QTest::newRow("bad colour") << inSection("lighting", "custom", "colour", "#12345")
                                    << "lighting.custom[0].colour" << int(E::BadColour);
        QTest::newRow("brightness out of range")
            << inSection("lighting", "effects", "brightness", 256)
            << "lighting.effects[0].brightness" << int(E::OutOfRange);
        QTest::newRow("three decimals") << spoil([](QJsonObject& o) {
            QJsonArray a = o["performance"].toArray();
            QJsonObject e = a[0].toObject();
            e["actuation"] = 1.205;
            a[0] = e;
            o["performance"] = a;
        }) << "performance[0].actuation" << int(E::BadDistance);
        QTest::newRow("negative distance") << spoil([](QJsonObject& o) {
            QJsonObject p = o["parameters"].toObject();
            p["deadZoneUp"] = -0.1;
            o["parameters"] = p;
        }) << "parameters.deadZoneUp" << int(E::OutOfRange);
        QTest::newRow("same key twice") << spoil([](QJsonObject& o) {
            QJsonObject k = o["keys"].toObject();
            QJsonArray a = k["layer0"].toArray();
            a.append(QJsonObject{{"key", 17}, {"label", "W"}, {"function", "Q"}});
            k["layer0"] = a;
            o["keys"] = k;
        }) << "keys.layer0[1].key" << int(E::Duplicate);
        QTest::newRow("same member twice")
            << QByteArray(R"({"format": "zentaro-profile", "version": 1,
                 "product": {"number": 258, "number": 259}})")
            << "product.number" << int(E::Duplicate);
        QTest::newRow("same macro twice") << spoil([](QJsonObject& o) {
            QJsonArray a = o["macros"].toArray();
            a.append(a.first());
            o["macros"] = a;
        }) << "macros[1].macro" << int(E::Duplicate);
        QTest::newRow("wrong data length") << spoil([](QJsonObject& o) {
            QJsonArray a = o["advancedKeys"].toArray();
            QJsonObject e = a[0].toObject();
            e["data"] = QJsonArray{1, 2};
            a[0] = e;
            o["advancedKeys"] = a;
        }) << "advancedKeys[0].data" << int(E::BadData);
        QTest::newRow("RS without second key") << spoil([](QJsonObject& o) {
            QJsonArray a = o["advancedKeys"].toArray();
            QJsonObject e = a[0].toObject();
            e.remove("secondKey");
            a[0] = e;
            o["advancedKeys"] = a;
        }) << "advancedKeys[0].secondKey" << int(E::Missing);
        QTest::newRow("text for a switch") << spoil([](QJsonObject& o) {
            QJsonObject p = o["parameters"].toObject();
            p["sportsMode"] = "yes";
            o["parameters"] = p;
        }) << "parameters.sportsMode" << int(E::WrongType);
        QTest::newRow("too large")
            << QByteArray(ProfileJson::MaxBytes + 1, ' ') << "" << int(E::TooLarge);
    }

    void refusesBadInput() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, field);
        QFETCH(int, reason);
        Profile p;
        ProfileJson::Error error;
        QVERIFY(!ProfileJson::read(bytes, &p, &error));
        QCOMPARE(error.field, field);
        QCOMPARE(int(error.reason), reason);
        // One line that names the field and says why.
        const QString text = error.englishText();
        QVERIFY2(text.startsWith(field) && text.size() > field.size() + 4, qPrintable(text));
    }

    void shareCodes() {
        const QByteArray json = bytesOf(minimal());
        const QString code = ShareCode::encode(json);
        QVERIFY(code.startsWith("ZP1."));
        QVERIFY(!code.contains('+') && !code.contains('/') && !code.contains('='));
        QByteArray back;
        // Pasted with line breaks, it still reads.
        QCOMPARE(ShareCode::decode(code.left(20) + "\n " + code.mid(20), &back), ShareCode::Ok);
        QCOMPARE(QJsonDocument::fromJson(back).object(), minimal());

        QCOMPARE(ShareCode::decode("  ", &back), ShareCode::Empty);
        QCOMPARE(ShareCode::decode("ZP2." + code.mid(4), &back), ShareCode::UnknownVersion);
        QCOMPARE(ShareCode::decode("hello world", &back), ShareCode::Garbage);
        QCOMPARE(ShareCode::decode("ZP1.!!!!", &back), ShareCode::Garbage);
        QCOMPARE(ShareCode::decode(code.chopped(12), &back), ShareCode::Garbage);
        QCOMPARE(ShareCode::decode(QString(ShareCode::MaxChars + 1, 'A'), &back),
                 ShareCode::TooLong);
        // A packed bomb is refused by its announced size, before unpacking.
        const QByteArray bomb = qCompress(QByteArray(ProfileJson::MaxBytes + 1, ' '));
        QCOMPARE(ShareCode::decode(
                     "ZP1." + QString::fromLatin1(bomb.toBase64(QByteArray::Base64UrlEncoding |
                                                                QByteArray::OmitTrailingEquals)),
                     &back),
                 ShareCode::TooLarge);
        QVERIFY(back.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestProfileJson)
#include "tst_profilejson.moc"
