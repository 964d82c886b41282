#pragma once
// Runs the main window's long jobs, one at a time: a full sync, an export to
// a configuration file and an import from one. It shows their progress, ends
// a job that hears nothing for a while through its failure road, and says
// how each job ended; what the window does then (toasts, the table list, the
// shown page) is the window's.

#include <QObject>
#include <QPointer>

#include "jobs/importconfigutil.h"
#include "jobs/profileplan.h"

class ConfigWriteDatabase;
class ProfileApply;
class QProgressDialog;
class QTimer;
class QWidget;
class SyncConfigUtil;

class JobRunner : public QObject {
    Q_OBJECT
public:
    // A job that hears nothing for this long has failed.
    static constexpr int kSilenceMs = 10000;

    // The progress dialog is shown over `window`.
    explicit JobRunner(QWidget* window);
    ~JobRunner() override;

    bool isRunning() const;
    // `text`, followed by why a job or command failed when the engine's
    // error code says more than that it failed.
    static QString failureText(const QString& text, int error);
    // The progress dialog of the job running now, if any.
    QProgressDialog* progressDialog() const { return mProgress; }
    void setSilenceMs(int ms);

    // Each replaces a job of the same kind that still runs.
    void startSync();
    void startExport(const QString& path);
    void startImport(const QString& path);
    // Writes a readable profile's plan one change at a time, with Cancel;
    // ends through importEnded like a file import.
    void startProfileImport(const ProfilePlan& plan);
    // Values the last import's read-back found otherwise than written
    // (importEnded with ProfileApply::ErrorMismatch).
    const QList<ProfilePlan::Difference>& lastDifferences() const { return mDifferences; }

signals:
    // `error`: the engine's or the job's code when it failed (ErrorNoAnswer
    // when it heard nothing), 0 when it succeeded.
    void syncEnded(bool ok, int error);
    void exportEnded(bool ok, int error);
    // `mismatch` says why a file was refused for another key layout.
    void importEnded(bool ok, int error, const ImportConfigUtil::KeyMismatch& mismatch);

private:
    void onSyncResult(bool status, int value);
    void onExportResult(bool status, int value);
    void onImportResult(bool status, int value);
    // After a file import: read the keyboard back and compare.
    void startReadBack(const ProfilePlan& plan, bool write);
    void onApplyEnded(bool ok, int error);
    void onSilent();
    void openProgress(const QString& label);
    void closeProgress();
    // Progress moves the bar and re-arms the watchdog (false); the end stops
    // the watchdog, lets the job go and closes the dialog (true).
    template <class Job>
    bool finishStep(QPointer<Job>& job, bool status, int value);

    QWidget* mWindow;
    QPointer<QProgressDialog> mProgress;
    QPointer<SyncConfigUtil> mSync;
    QPointer<ConfigWriteDatabase> mExporter;
    QPointer<ImportConfigUtil> mImporter;
    QPointer<ProfileApply> mApply;
    QList<ProfilePlan::Difference> mDifferences;
    QTimer* mWatchdog = nullptr;
};
