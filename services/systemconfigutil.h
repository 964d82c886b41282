#pragma once
// The application's own settings (data/config.ini under the working
// directory), the one installed translator, and the language and theme
// change notifications.

#include <QDate>
#include <QLocale>
#include <QObject>
#include <QSettings>
#include <QString>
#include <QTranslator>
#include <functional>
#include <memory>

class SystemConfigUtil : public QObject {
    Q_OBJECT
public:
    static inline const QString kConfigFile = QStringLiteral("data/config.ini");

    explicit SystemConfigUtil(QObject* parent = nullptr);
    // Tests point the settings elsewhere.
    explicit SystemConfigUtil(const QString& configFile, QObject* parent = nullptr);
    ~SystemConfigUtil() override;

    static SystemConfigUtil* instance();

    // Loads the translation of the effective language and installs it,
    // with Qt's own (standard buttons) where Qt has one for the language.
    bool loadTranslator();

    int language() const { return mLanguage; }
    // 1 simplified Chinese, 2 English, 3 Vietnamese.
    int effectiveLanguage() const;
    static int effectiveLanguage(int stored, QLocale::Language systemLanguage);
    // False (and nothing happens) when the value is the current one. Here
    // and in setTheme a failed write is told by saveFailed alone.
    bool setLanguage(int language);

    int theme() const { return mTheme; }
    bool setTheme(int theme);
    // Folder the pictures of the current theme come from; empty for an
    // unknown theme.
    QString imageFolder() const;
    static QString imageFolder(int theme);
    // The style sheet resource for a theme: dark for 1, light otherwise.
    static QString styleSheetPath(int theme);

    // Each setter below takes the value for this run and writes it at once;
    // false (and saveFailed) when the file could not be written.
    bool powerAuto() const { return mPowerAuto; }
    bool setPowerAuto(bool on);
    bool closeMin() const { return mCloseMin; }
    bool setCloseMin(bool on);
    bool fireware() const { return mFireware; }
    bool setFireware(bool on);
    int commType() const { return mCommType; }
    // System/ServerUrl: the download server (empty: none configured).
    QString serverUrl() const;
    bool setCommType(int type);

    // The catalogue is checked again once more than two days have passed.
    bool isCatalogueCheckDue() const;
    bool markCatalogueChecked();

    // Translation file for an effective language: the external file in the
    // data folders (AppPaths) when it exists, else the embedded one.
    static QString externalTranslationFile(int effectiveLanguage);
    static QString embeddedTranslationFile(int effectiveLanguage);
    // Qt's base catalogue (qtbase_*.qm in Qt's translations folder) for an
    // effective language, else the embedded one of its texts that we show
    // (Vietnamese: Debian 12 has none); empty when neither exists.
    static QString qtTranslationFile(int effectiveLanguage);

    // Tests fix "today".
    void setTodayProvider(std::function<QDate()> today);
    QString configFile() const { return mSettings->fileName(); }

signals:
    void languageChanged();
    void themeChanged();
    // A setting could not be written to the file; it holds for this run only.
    void saveFailed(const QString& configFile);

private:
    void load();
    // Writes one value through to the file; false when that failed.
    bool store(const QString& key, const QVariant& value);
    static bool loadTranslation(QTranslator& translator, int effectiveLanguage);
    // Replaces the installed Qt catalogue with the one of the language.
    void installQtTranslator(int effectiveLanguage);
    QDate today() const;

    std::shared_ptr<QTranslator> mTranslator;
    std::unique_ptr<QTranslator> mQtTranslator;
    int mLanguage = 0;
    int mTheme = 0;
    bool mPowerAuto = false;
    bool mCloseMin = false;
    bool mFireware = false;
    int mCommType = 0;

    // Replaced before a write once it has failed: QSettings keeps reporting
    // its first error, and every write must be judged on its own.
    std::unique_ptr<QSettings> mSettings;
    std::function<QDate()> mToday;
};
