// The embedded pictures, style sheets and translations, and the tool-tip
// files copied next to the program.

#include <algorithm>

#include <QApplication>
#include <QColor>
#include <QFile>
#include <QFontMetrics>
#include <QHash>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QRegularExpression>
#include <QSet>
#include <QSettings>
#include <QTranslator>
#include <QXmlStreamReader>
#include <QtTest>

#include "services/customtooltip.h"
#include "ui/pages/align/qadjustkeylabel.h"

namespace {

QString binDir() {
    return qEnvironmentVariable("ZENTARO_BIN_DIR");
}
QString sourceDir() {
    return qEnvironmentVariable("ZENTARO_SOURCE_DIR");
}

QString readText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// Every picture the program asks for by name.
QStringList pictureNames() {
    QStringList names{QStringLiteral("light_key_select"),
                      QStringLiteral("game_keyboard"),
                      QStringLiteral("dks_select"),
                      QStringLiteral("dks_unselect"),
                      QStringLiteral("dks_down1"),
                      QStringLiteral("dks_down2"),
                      QStringLiteral("dks_up1"),
                      QStringLiteral("dks_up2"),
                      QStringLiteral("macro_item_down"),
                      QStringLiteral("macro_item_up"),
                      QStringLiteral("trigger_bottom"),
                      QStringLiteral("trigger_index"),
                      QStringLiteral("trigger_back"),
                      QStringLiteral("extend_key_win_lock"),
                      QStringLiteral("extend_key_calibration"),
                      QStringLiteral("msg_information"),
                      QStringLiteral("msg_warning"),
                      QStringLiteral("msg_critical"),
                      QStringLiteral("msg_question")};
    for (const char* kind : {"tgl", "mt", "dks", "rs", "oks", "socd"}) {
        names << QStringLiteral("key_") + QLatin1String(kind)
              << QStringLiteral("high_key_") + QLatin1String(kind);
    }
    for (const char* media :
         {"player",  "volume_add", "volume_dec", "mute",     "play",       "stop_play", "prev",
          "next",    "light_add",  "light_dec",  "home",     "refresh",    "stop",      "back",
          "forward", "favor",      "search",     "computer", "calculator", "mail",      "start"}) {
        names << QStringLiteral("system_key_") + QLatin1String(media);
    }
    for (const char* lamp : {"rgb_next", "rgb_prev", "rgb_cycle", "hue_add", "hue_dec", "light_add",
                             "light_dec", "rgb_speed_add", "rgb_speed_dec"}) {
        names << QStringLiteral("lamp_key_") + QLatin1String(lamp);
    }
    return names;
}

// Every tool-tip key the program reads.
QStringList tipKeys() {
    QStringList keys;
    for (const char* w :
         {"deviceButton", "firewareButton", "settingButton", "addButton", "deButton",
          "exportButton", "importButton", "copyCodeButton", "pasteCodeButton"}) {
        keys << QStringLiteral("MainWindow/") + QLatin1String(w);
    }
    keys << QStringLiteral("QKeyKeyboardWidget/mPromptLabel")
         << QStringLiteral("QInputKeyboardWidget/mResetButton")
         << QStringLiteral("QInputKeyboardWidget/mNullButton")
         << QStringLiteral("QInputKeyboardWidget/mResetLayerButton")
         << QStringLiteral("QDksAddDialog/mPromptLabel")
         << QStringLiteral("QSocdAddDialog/lastRadio") << QStringLiteral("QSocdAddDialog/oneRadio")
         << QStringLiteral("QSocdAddDialog/twoRadio")
         << QStringLiteral("QSocdAddDialog/cancelRadio") << QStringLiteral("MacroForm/mPromptLabel")
         << QStringLiteral("MacroForm/keyEdit") << QStringLiteral("KeySetForm/undoButton")
         << QStringLiteral("KeySetForm/searchEdit");
    for (const char* m : {"leftControl", "leftShirt", "leftAlt", "leftWin", "rightCtrl",
                          "rightShirt", "rightAlt", "rightWin"}) {
        keys << QStringLiteral("keyboard/control/") + QLatin1String(m);
    }
    QStringList key;
    for (char c = 'a'; c <= 'z'; ++c) key << QString(QLatin1Char(c));
    for (int i = 0; i <= 9; ++i) key << QString::number(i) << QStringLiteral("num%1").arg(i);
    for (int i = 1; i <= 24; ++i) key << QStringLiteral("f%1").arg(i);
    for (const char* k :
         {"enter",       "esc",         "backSpace",    "tab",         "space",    "desc",
          "add",         "leftBracket", "rightBracket", "vertical",    "nonUs",    "colon",
          "comma",       "tilde",       "lessThan",     "greaterThan", "question", "capsLock",
          "printScreen", "lock",        "pause",        "insert",      "home",     "pageUp",
          "del",         "end",         "pageDown",     "right",       "left",     "down",
          "up",          "numLock",     "slash",        "asterisk",    "numDec",   "numAdd",
          "numEnter",    "numDel",      "menu"}) {
        key << QLatin1String(k);
    }
    for (const QString& k : key) keys << QStringLiteral("keyboard/key/") + k;
    for (const char* m :
         {"player",  "volumeAdd", "volumeDec", "mute",     "play",       "stopPlay", "prev",
          "next",    "lightAdd",  "lightDec",  "home",     "refresh",    "stop",     "back",
          "forward", "favor",     "search",    "computer", "calculator", "mail",     "start"}) {
        keys << QStringLiteral("keyboard/media/") + QLatin1String(m);
    }
    for (int i = 1; i <= 10; ++i) keys << QStringLiteral("keyboard/macro/m%1").arg(i);
    for (const char* h : {"tgl", "mt", "dks", "rs", "oks", "socd"}) {
        keys << QStringLiteral("keyboard/high/") + QLatin1String(h);
    }
    for (const char* f :
         {"rgbNext",     "rgbPrev",     "rgbCycle",  "hueAdd",     "hueDec", "lightAdd", "lightDec",
          "rgbSpeedAdd", "rgbSpeedDec", "brightOff", "web",        "24g",    "bt3",      "bt2",
          "bt1",         "fn1",         "fn2",       "fn3",        "mac",    "win",      "fninc",
          "fndec",       "winLock",     "reset",     "calibration"}) {
        keys << QStringLiteral("keyboard/internal/") + QLatin1String(f);
    }
    return keys;
}

struct Message {
    QString context;
    QString source;
    QString translation;
    bool finished = true;
};

QList<Message> readCatalogue(const QString& path) {
    QList<Message> messages;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return messages;
    QXmlStreamReader xml(&file);
    QString context;
    Message current;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement()) continue;
        if (xml.name() == QLatin1String("name")) {
            context = xml.readElementText();
        } else if (xml.name() == QLatin1String("message")) {
            current = Message{context, {}, {}, true};
        } else if (xml.name() == QLatin1String("source")) {
            current.source = xml.readElementText();
        } else if (xml.name() == QLatin1String("translation")) {
            const QString type = xml.attributes().value(QLatin1String("type")).toString();
            if (type == QLatin1String("vanished") || type == QLatin1String("obsolete")) continue;
            current.finished = type.isEmpty();
            // Plural messages hold their forms in <numerusform> children;
            // each must be there, and each is checked like a plain one.
            QStringList forms;
            QString text;
            while (!xml.atEnd()) {
                xml.readNext();
                if (xml.isEndElement() && xml.name() == QLatin1String("translation")) break;
                if (xml.isCharacters()) text += xml.text();
                if (xml.isStartElement() && xml.name() == QLatin1String("numerusform"))
                    forms << xml.readElementText();
            }
            if (forms.isEmpty()) forms << text;
            for (const QString& form : forms) {
                current.translation = form;
                messages << current;
            }
            continue;
        }
    }
    return xml.hasError() ? QList<Message>() : messages;
}

}  // namespace

class TestResources : public QObject {
    Q_OBJECT

private slots:
    void picturesExistInBothThemes_data() {
        QTest::addColumn<QString>("name");
        for (const QString& name : pictureNames()) QTest::newRow(qPrintable(name)) << name;
    }

    void picturesExistInBothThemes() {
        QFETCH(QString, name);
        const QPixmap light(QStringLiteral(":/images/images/light/%1.png").arg(name));
        const QPixmap dark(QStringLiteral(":/images/images/dark/%1.png").arg(name));
        QVERIFY(!light.isNull());
        QVERIFY(!dark.isNull());
        QCOMPARE(dark.size(), light.size());
        // Key pictures are shown unscaled inside key labels of about 44 px.
        if (name.startsWith(QLatin1String("system_key_")) ||
            name.startsWith(QLatin1String("lamp_key_")) || name.startsWith(QLatin1String("key_")) ||
            name.startsWith(QLatin1String("extend_"))) {
            QVERIFY(light.width() <= 40 && light.height() <= 40);
        }
    }

    void themesDiffer() {
        // The dark picture of a line-art key must not be the light one.
        const QImage light(QStringLiteral(":/images/images/light/system_key_home.png"));
        const QImage dark(QStringLiteral(":/images/images/dark/system_key_home.png"));
        QVERIFY(!light.isNull());
        QVERIFY(light != dark);
        // The check mark is drawn opaque in its centre.
        const QImage mark(QStringLiteral(":/images/images/light/light_key_select.png"));
        QCOMPARE(mark.pixelColor(mark.width() / 2, 1).alpha(), 255);
    }

    void styleSheetsApplyTheirProperties_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QColor>("failColor");
        QTest::newRow("light") << QStringLiteral(":/styles/styles/light.qss")
                               << QColor(242, 243, 245);
        QTest::newRow("dark") << QStringLiteral(":/styles/styles/dark.qss") << QColor(54, 57, 64);
    }

    void styleSheetsApplyTheirProperties() {
        QFETCH(QString, path);
        QFETCH(QColor, failColor);
        const QString sheet = readText(path);
        QVERIFY(!sheet.isEmpty());
        // Pictures named by the sheet must come from its own theme.
        const bool dark = path.contains(QLatin1String("dark"));
        QVERIFY(!sheet.contains(dark ? QLatin1String("/light/") : QLatin1String("/dark/")));
        static const QRegularExpression url(QStringLiteral("url\\((:[^)]+)\\)"));
        for (auto it = url.globalMatch(sheet); it.hasNext();) {
            const QString picture = it.next().captured(1);
            QVERIFY2(!QPixmap(picture).isNull(), qPrintable(picture));
        }

        qApp->setStyleSheet(sheet);
        // The real widgets: a property the sheet sets but the class does not
        // declare would stay at its default here.
        CustomToolTip tip;
        tip.ensurePolished();
        QCOMPARE(tip.bottomOffset(), -10);
        QCOMPARE(tip.minimumSize(), QSize(240, 30));
        QCOMPARE(tip.maximumSize(), QSize(240, 30));

        QAdjustKeyLabel key(0, 400);
        key.ensurePolished();
        QCOMPARE(key.passColor(), QColor(59, 167, 118));
        QCOMPARE(key.failColor(), failColor);
        QCOMPARE(key.adjustColor(), QColor(204, 153, 102));
        QCOMPARE(key.borderRadius(), 8);
        QVERIFY(key.backColor().isValid());
        qApp->setStyleSheet(QString());
    }

    void darkSheetHasTheRulesOfTheLightOne() {
        // The dark sheet is generated from the light one: the same rules, only
        // colours and the picture folder told apart; and the cards do turn dark
        // while white text on the accent stays white.
        static const QRegularExpression comment(QStringLiteral(R"(/\*.*?\*/)"),
                                                QRegularExpression::DotMatchesEverythingOption);
        static const QRegularExpression colour(
            QStringLiteral(R"(#[0-9a-fA-F]{6}\b|#[0-9a-fA-F]{3}\b|rgba?\([^)]*\))"));
        auto rules = [](QString sheet) {
            sheet.remove(comment);
            sheet.replace(colour, QStringLiteral("@"));
            sheet.replace(QLatin1String("/dark/"), QLatin1String("/light/"));
            return sheet.trimmed();
        };
        const QString light = readText(QStringLiteral(":/styles/styles/light.qss"));
        const QString dark = readText(QStringLiteral(":/styles/styles/dark.qss"));
        QVERIFY(!light.isEmpty() && !dark.isEmpty());
        QCOMPARE(rules(dark), rules(light));
        QVERIFY(light.contains(QLatin1String("background-color: #ffffff;")));
        QVERIFY(!dark.contains(QLatin1String("background-color: #ffffff;")));
        QCOMPARE(dark.count(QLatin1String("    color: #ffffff;")),
                 light.count(QLatin1String("    color: #ffffff;")));
    }

    void translationsLoadFromResourcesAndDataFolder_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("device");
        QTest::addColumn<QString>("upToDate");
        QTest::newRow("en") << QStringLiteral("en_US") << QStringLiteral("Device")
                            << QStringLiteral("The firmware is up to date");
        QTest::newRow("vi") << QStringLiteral("vi_VN") << QStringLiteral("Thiết bị")
                            << QStringLiteral("Firmware đã là bản mới nhất");
        QTest::newRow("zh") << QStringLiteral("zh_CN") << QStringLiteral("设备")
                            << QStringLiteral("没有新版本");
    }

    void translationsLoadFromResourcesAndDataFolder() {
        QFETCH(QString, locale);
        QFETCH(QString, device);
        QFETCH(QString, upToDate);
        const QString file = QStringLiteral("Zentaro_%1.qm").arg(locale);
        for (const QString& path : {QStringLiteral(":/i18n/languages/") + file,
                                    binDir() + QStringLiteral("/data/languages/") + file}) {
            QTranslator translator;
            QVERIFY2(translator.load(path), qPrintable(path));
            QCOMPARE(translator.translate("MainWindow", "设备"), device);
            // The same source text is translated per class.
            QCOMPARE(translator.translate("OtherSetForm", "没有新版本"), upToDate);
        }
    }

    void installedTranslatorTranslatesTr() {
        QTranslator translator;
        QVERIFY(translator.load(QStringLiteral(":/i18n/languages/Zentaro_en_US.qm")));
        QVERIFY(QCoreApplication::installTranslator(&translator));
        QCOMPARE(QCoreApplication::translate("OtherSetForm", "键盘固件版本：V"),
                 QStringLiteral("Firmware version: V"));
        QCOMPARE(QCoreApplication::translate("SystemSetForm",
                                             "发现新版本 %1\n\n更新内容:\n%2\n\n"
                                             "是否立即下载更新?")
                     .arg(QStringLiteral("1.2"), QStringLiteral("fixes")),
                 QStringLiteral("Version 1.2 is available\n\nWhat is new:\nfixes\n\n"
                                "Download it now?"));
        QCoreApplication::removeTranslator(&translator);
        QCOMPARE(QCoreApplication::translate("MainWindow", "设备"), QStringLiteral("设备"));
    }

    void cataloguesAreCompleteAndConsistent() {
        const QString dir = sourceDir() + QStringLiteral("/resources/i18n/languages/");
        const QList<Message> reference = readCatalogue(dir + QStringLiteral("Zentaro_zh_CN.ts"));
        QVERIFY(!reference.isEmpty());
        QSet<QString> keys;
        for (const Message& m : reference) keys.insert(m.context + QLatin1Char('|') + m.source);

        static const QRegularExpression placeholder(QStringLiteral("%\\d"));
        for (const char* locale : {"en_US", "vi_VN"}) {
            const QList<Message> messages =
                readCatalogue(dir + QStringLiteral("Zentaro_%1.ts").arg(QLatin1String(locale)));
            QSet<QString> seen;
            for (const Message& m : messages) {
                const QString where = QStringLiteral("%1 %2: %3")
                                          .arg(QLatin1String(locale), m.context, m.source.left(20));
                seen.insert(m.context + QLatin1Char('|') + m.source);
                QVERIFY2(m.finished && !m.translation.isEmpty(), qPrintable(where));
                // Placeholders and line breaks must survive the translation.
                QCOMPARE(m.translation.count(placeholder), m.source.count(placeholder));
                QCOMPARE(m.translation.count(QLatin1Char('\n')), m.source.count(QLatin1Char('\n')));
            }
            QCOMPARE(seen, keys);
        }
    }

    // The glossary's forbidden variants (words that were mended) appear in no
    // English or Vietnamese message or tool tip, so they cannot come back.
    void translationsAvoidTheGlossarysForbiddenWords() {
        const QString glossary =
            readText(sourceDir() + QStringLiteral("/resources/i18n/GLOSSARY.md"));
        const qsizetype section = glossary.indexOf(QLatin1String("## Forbidden variants"));
        QVERIFY(section > 0);
        static const QRegularExpression item(QStringLiteral("^- `([^`]+)`"),
                                             QRegularExpression::MultilineOption);
        QList<QRegularExpression> forbidden;
        for (auto it = item.globalMatch(glossary.mid(section)); it.hasNext();) {
            forbidden << QRegularExpression(
                QStringLiteral("(?<!\\w)") + QRegularExpression::escape(it.next().captured(1)) +
                    QStringLiteral("(?!\\w)"),
                QRegularExpression::CaseInsensitiveOption |
                    QRegularExpression::UseUnicodePropertiesOption);
        }
        QVERIFY(forbidden.size() >= 10);
        // The check itself must see a forbidden word in a sentence.
        QVERIFY(std::any_of(forbidden.cbegin(), forbidden.cend(), [](const auto& word) {
            return word.match(QStringLiteral("Sports mode is on")).hasMatch();
        }));

        QStringList texts;
        const QString dir = sourceDir() + QStringLiteral("/resources/i18n/languages/");
        for (const char* locale : {"en_US", "vi_VN"}) {
            for (const Message& m :
                 readCatalogue(dir + QStringLiteral("Zentaro_%1.ts").arg(QLatin1String(locale))))
                texts << m.translation;
        }
        for (const char* file : {"tip_file_en.ini", "tip_file_vn.ini"}) {
            QSettings tips(sourceDir() + QStringLiteral("/resources/tips/") + QLatin1String(file),
                           QSettings::IniFormat);
            for (const QString& key : tips.allKeys()) texts << tips.value(key).toString();
        }
        QVERIFY(texts.size() > 500);
        for (const QString& text : std::as_const(texts)) {
            for (const QRegularExpression& word : std::as_const(forbidden))
                QVERIFY2(!word.match(text).hasMatch(),
                         qPrintable(word.pattern() + QLatin1String(" in: ") + text));
        }
    }

    void tipFilesCoverEveryKey_data() {
        QTest::addColumn<QString>("file");
        QTest::newRow("cn") << QStringLiteral("tip_file_cn.ini");
        QTest::newRow("en") << QStringLiteral("tip_file_en.ini");
        QTest::newRow("vn") << QStringLiteral("tip_file_vn.ini");
    }

    void tipFilesCoverEveryKey() {
        QFETCH(QString, file);
        const QString path = binDir() + QStringLiteral("/data/") + file;
        QVERIFY2(QFile::exists(path), qPrintable(path));
        QSettings tips(path, QSettings::IniFormat);
        QCOMPARE(tips.status(), QSettings::NoError);
        const QStringList required = tipKeys();
        QCOMPARE(required.size(), 9 + 13 + 8 + 109 + 21 + 10 + 6 + 25);
        for (const QString& key : required) {
            // A value read back as a list (an unquoted comma) would show empty.
            const QVariant value = tips.value(key);
            QVERIFY2(value.typeId() == QMetaType::QString && !value.toString().trimmed().isEmpty(),
                     qPrintable(file + QLatin1Char(' ') + key));
        }
        // Nothing beyond the keys the program reads, so the three files stay
        // in step.
        QStringList all = tips.allKeys();
        QStringList expected = required;
        all.sort();
        expected.sort();
        QCOMPARE(all, expected);
    }

    void promptTipsFitTheTipWindow() {
        QFont font;
        font.setPixelSize(12);
        const QFontMetrics metrics(font);
        for (const char* file : {"tip_file_cn.ini", "tip_file_en.ini", "tip_file_vn.ini"}) {
            QSettings tips(binDir() + QStringLiteral("/data/") + QLatin1String(file),
                           QSettings::IniFormat);
            for (const char* key : {"QKeyKeyboardWidget/mPromptLabel", "QDksAddDialog/mPromptLabel",
                                    "MacroForm/mPromptLabel"}) {
                const QString text = tips.value(QLatin1String(key)).toString();
                // 240 pixels less the label's padding and frame.
                QVERIFY2(metrics.horizontalAdvance(text) <= 226, qPrintable(text));
            }
        }
    }
};

QTEST_MAIN(TestResources)
#include "tst_resources.moc"
