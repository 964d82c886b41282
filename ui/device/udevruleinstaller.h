#pragma once
// Installs the keyboard's udev rule for a user whose keyboard could not be
// opened: one privileged run through pkexec that copies the rule into
// /etc/udev/rules.d (unless udev already reads it where it lies), reloads the
// rules and applies them to the hidraw nodes. The run is asynchronous and
// bounded by a time-out, so the window never waits on the password prompt.

#include <QObject>
#include <QString>
#include <QStringList>

class QProcess;
class QTimer;

class UdevRuleInstaller : public QObject {
    Q_OBJECT
public:
    static inline const QString kRuleName = QStringLiteral("70-zentaro.rules");
    static inline const QString kTargetFolder = QStringLiteral("/etc/udev/rules.d");
    // Long enough to type a password in the authentication dialog.
    static constexpr int kDefaultTimeoutMs = 120000;

    explicit UdevRuleInstaller(QObject* parent = nullptr);
    ~UdevRuleInstaller() override;

    // The rule beside the installed program (<prefix>/lib/udev/rules.d), or
    // the copy in the build folder's data when run from a build.
    static QString ruleFile();
    // pkexec as found on PATH, or the launcher a test put in its place.
    static QString launcher();
    // Tests run a stand-in for pkexec that takes the same arguments; empty
    // goes back to pkexec.
    static void setLauncherForTests(const QString& program);

    // True when a rule file and a launcher exist.
    static bool available();
    // What the user can type instead, with the right path.
    static QString manualCommand(const QString& rule);
    // The privileged command: the launcher's arguments for a rule file.
    static QStringList launcherArguments(const QString& rule);

    void setTimeout(int ms) { mTimeoutMs = ms; }
    bool isRunning() const { return mProcess != nullptr; }
    // Starts the run; false (and nothing started) without launcher or rule.
    bool start();

signals:
    // ok: the rule is in place and udev has applied it. Otherwise the
    // reason in words (dismissed, refused, timed out, failed).
    void finished(bool ok, const QString& error);

private:
    void end(bool ok, const QString& error);

    QProcess* mProcess = nullptr;
    QTimer* mTimer = nullptr;
    int mTimeoutMs = kDefaultTimeoutMs;
};
