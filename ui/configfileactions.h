#pragma once
// The window's export and import of configuration files: the file dialogs,
// readable profiles (written at once, or checked, previewed and written
// section by section) and what the user is told when a job ends. The jobs
// themselves run in JobRunner.

#include <QCoreApplication>
#include <functional>

#include "jobs/importconfigutil.h"

class JobRunner;
class QWidget;

class ConfigFileActions {
    // lupdate files these texts under this class: look them up there too.
    Q_DECLARE_TR_FUNCTIONS(ConfigFileActions)
public:
    // Runs a job's start once the window has blocked the table list and
    // ended calibration.
    using JobStarter = std::function<void(std::function<void()>)>;

    ConfigFileActions(QWidget* window, JobRunner* jobs, JobStarter startJob);

    void exportFile();
    void importFile();
    // The profile on the keyboard as a share code on the clipboard, and a
    // share code from the clipboard imported like a readable profile file.
    void copyShareCode();
    void pasteShareCode();

    void exportEnded(bool ok, int error);
    // Tells how an import ended; true when the model holds what the keyboard
    // read back, so the window refreshes from it.
    bool importEnded(bool ok, int error, const ImportConfigUtil::KeyMismatch& mismatch);

private:
    void importProfile(const QByteArray& bytes);
    void showReadBackDifferences();
    void toast(const QString& text);
    static QString shareCodeErrorText(int error);

    QWidget* mWindow;
    JobRunner* mJobs;
    JobStarter mStartJob;
};
