#include "services/systemconfigutil.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QLibraryInfo>
#include <QPointer>

#include "common/apppaths.h"

namespace {
QPointer<SystemConfigUtil> gInstance;

const QString kLanguageKey = QStringLiteral("System/Language");
const QString kThemeKey = QStringLiteral("System/Theme");
const QString kPowerAutoKey = QStringLiteral("System/PowerAuto");
const QString kCloseMinKey = QStringLiteral("System/CloseMin");
const QString kFirewareKey = QStringLiteral("System/Fireware");
const QString kCommTypeKey = QStringLiteral("System/CommType");
const QString kCheckAppKey = QStringLiteral("System/CheckApp");
const QString kCheckAppDefault = QStringLiteral("2025-01-01 00:00:00");
}  // namespace

SystemConfigUtil::SystemConfigUtil(QObject* parent) : SystemConfigUtil(kConfigFile, parent) {}

SystemConfigUtil::SystemConfigUtil(const QString& configFile, QObject* parent)
    : QObject(parent), mSettings(std::make_unique<QSettings>(configFile, QSettings::IniFormat)) {
    qInfo().noquote() << QStringLiteral("=== SystemConfigUtil 初始化 ===");
    gInstance = this;
    load();
}

SystemConfigUtil::~SystemConfigUtil() {
    if (mTranslator) QCoreApplication::removeTranslator(mTranslator.get());
    if (mQtTranslator) QCoreApplication::removeTranslator(mQtTranslator.get());
    qInfo().noquote() << QStringLiteral("=== SystemConfigUtil 销毁 ===");
}

SystemConfigUtil* SystemConfigUtil::instance() {
    return gInstance.data();
}

void SystemConfigUtil::load() {
    mLanguage = mSettings->value(kLanguageKey, 0).toInt();
    mTheme = mSettings->value(kThemeKey, 0).toInt();
    mPowerAuto = mSettings->value(kPowerAutoKey, false).toBool();
    mCloseMin = mSettings->value(kCloseMinKey, false).toBool();
    mFireware = mSettings->value(kFirewareKey, false).toBool();
    mCommType = mSettings->value(kCommTypeKey, 0).toInt();
}

bool SystemConfigUtil::store(const QString& key, const QVariant& value) {
    const QString file = mSettings->fileName();
    // An earlier failure would taint this write: start again from the file.
    if (mSettings->status() != QSettings::NoError)
        mSettings = std::make_unique<QSettings>(file, QSettings::IniFormat);
    mSettings->setValue(key, value);
    mSettings->sync();
    if (mSettings->status() == QSettings::NoError) return true;
    qWarning().noquote() << QStringLiteral(
                                "=== SystemConfigUtil 设置保存失败 key={%1};file={%2} ===")
                                .arg(key, file);
    emit saveFailed(file);
    return false;
}

int SystemConfigUtil::effectiveLanguage(int stored, QLocale::Language systemLanguage) {
    if (stored >= 1 && stored <= 3) return stored;
    switch (systemLanguage) {
        case QLocale::English:
            return 2;
        case QLocale::Vietnamese:
            return 3;
        default:
            return 1;  // Chinese and every language without a catalogue
    }
}

int SystemConfigUtil::effectiveLanguage() const {
    return effectiveLanguage(mLanguage, QLocale::system().language());
}

QString SystemConfigUtil::externalTranslationFile(int effectiveLanguage) {
    QString name;
    switch (effectiveLanguage) {
        case 2:
            name = QStringLiteral("languages/Zentaro_en_US.qm");
            break;
        case 3:
            name = QStringLiteral("languages/Zentaro_vi_VN.qm");
            break;
        default:
            name = QStringLiteral("languages/Zentaro_zh_CN.qm");
            break;
    }
    return AppPaths::readableDataFile(name);
}

QString SystemConfigUtil::embeddedTranslationFile(int effectiveLanguage) {
    switch (effectiveLanguage) {
        case 2:
            return QStringLiteral(":/i18n/languages/Zentaro_en_US.qm");
        case 3:
            return QStringLiteral(":/i18n/languages/Zentaro_vi_VN.qm");
        default:
            return QStringLiteral(":/i18n/languages/Zentaro_zh_CN.qm");
    }
}

bool SystemConfigUtil::loadTranslation(QTranslator& translator, int effectiveLanguage) {
    QString file = externalTranslationFile(effectiveLanguage);
    if (!QFile::exists(file)) file = embeddedTranslationFile(effectiveLanguage);
    const bool loaded = translator.load(file);
    const QString outcome = loaded ? QStringLiteral(" } ===") : QStringLiteral(" } 加载失败 ===");
    qInfo().noquote() << QStringLiteral("=== SystemConfigUtil 翻译文件:{ ") + file + outcome;
    return loaded;
}

QString SystemConfigUtil::qtTranslationFile(int effectiveLanguage) {
    QString name;
    switch (effectiveLanguage) {
        case 2:
            name = QStringLiteral("qtbase_en.qm");
            break;
        case 3:
            name = QStringLiteral("qtbase_vi.qm");
            break;
        default:
            name = QStringLiteral("qtbase_zh_CN.qm");
            break;
    }
    const QString file = QDir(QLibraryInfo::path(QLibraryInfo::TranslationsPath)).filePath(name);
    if (QFile::exists(file)) return file;
    // Qt's folder has none for this language: our own copy of the texts we show.
    const QString embedded = QStringLiteral(":/i18n/qt/") + name;
    return QFile::exists(embedded) ? embedded : QString();
}

void SystemConfigUtil::installQtTranslator(int effectiveLanguage) {
    if (mQtTranslator) QCoreApplication::removeTranslator(mQtTranslator.get());
    mQtTranslator.reset();
    const QString file = qtTranslationFile(effectiveLanguage);
    auto translator = std::make_unique<QTranslator>();
    if (file.isEmpty() || !translator->load(file)) {
        // Standard buttons then keep Qt's English words.
        qInfo().noquote() << QStringLiteral("=== SystemConfigUtil 无 Qt 翻译文件 language={%1} ===")
                                 .arg(effectiveLanguage);
        return;
    }
    mQtTranslator = std::move(translator);
    QCoreApplication::installTranslator(mQtTranslator.get());
}

bool SystemConfigUtil::loadTranslator() {
    installQtTranslator(effectiveLanguage());
    if (mTranslator) QCoreApplication::removeTranslator(mTranslator.get());
    mTranslator = std::make_shared<QTranslator>();
    const bool loaded = loadTranslation(*mTranslator, effectiveLanguage());
    if (loaded) QCoreApplication::installTranslator(mTranslator.get());
    return loaded;
}

bool SystemConfigUtil::setLanguage(int language) {
    if (language == mLanguage) return false;
    mLanguage = language;
    store(kLanguageKey, language);

    auto translator = std::make_shared<QTranslator>();
    if (!loadTranslation(*translator, effectiveLanguage())) return false;
    installQtTranslator(effectiveLanguage());
    if (mTranslator) QCoreApplication::removeTranslator(mTranslator.get());
    mTranslator = translator;
    QCoreApplication::installTranslator(mTranslator.get());
    emit languageChanged();
    return true;
}

bool SystemConfigUtil::setTheme(int theme) {
    if (theme == mTheme) return false;
    mTheme = theme;
    store(kThemeKey, theme);
    emit themeChanged();
    return true;
}

QString SystemConfigUtil::imageFolder() const {
    return imageFolder(mTheme);
}

QString SystemConfigUtil::imageFolder(int theme) {
    switch (theme) {
        case 0:
            return QStringLiteral(":/images/images/light/");
        case 1:
            return QStringLiteral(":/images/images/dark/");
        default:
            return QString();
    }
}

QString SystemConfigUtil::styleSheetPath(int theme) {
    return theme == 1 ? QStringLiteral(":/styles/styles/dark.qss")
                      : QStringLiteral(":/styles/styles/light.qss");
}

bool SystemConfigUtil::setPowerAuto(bool on) {
    mPowerAuto = on;
    return store(kPowerAutoKey, on);
}

bool SystemConfigUtil::setCloseMin(bool on) {
    mCloseMin = on;
    return store(kCloseMinKey, on);
}

bool SystemConfigUtil::setFireware(bool on) {
    mFireware = on;
    return store(kFirewareKey, on);
}

bool SystemConfigUtil::setCommType(int type) {
    mCommType = type;
    return store(kCommTypeKey, type);
}

bool SystemConfigUtil::isCatalogueCheckDue() const {
    const QString stored = mSettings->value(kCheckAppKey, kCheckAppDefault).toString();
    // Written as "yyyy-MM-dd"; the default also carries a time of day.
    const QDate last = QDate::fromString(stored.left(10), Qt::ISODate);
    if (!last.isValid()) return true;
    return last.daysTo(today()) > 2;
}

bool SystemConfigUtil::markCatalogueChecked() {
    return store(kCheckAppKey, today().toString(Qt::ISODate));
}

void SystemConfigUtil::setTodayProvider(std::function<QDate()> today) {
    mToday = std::move(today);
}

QDate SystemConfigUtil::today() const {
    return mToday ? mToday() : QDate::currentDate();
}

QString SystemConfigUtil::serverUrl() const {
    return mSettings->value(QStringLiteral("System/ServerUrl")).toString();
}
