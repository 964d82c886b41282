#pragma once
// What a profile import would change before anything is sent: per section
// how many values differ from the keyboard, a check box per section, every
// difference and what the keyboard cannot match. Apply hands back the plan
// of the chosen sections.

#include <QDialog>
#include <memory>

#include "jobs/profileplan.h"

class KeyboardConfigUtil;
class QCheckBox;

namespace Ui {
class ImportPreviewDialog;
}

class ImportPreviewDialog : public QDialog {
    Q_OBJECT
public:
    ImportPreviewDialog(const Profile& profile, const KeyboardConfigUtil& model,
                        QWidget* parent = nullptr);
    ~ImportPreviewDialog() override;

    // The sections ticked now.
    int chosenSections() const;
    QCheckBox* sectionCheck(int section) const;

    // Translated texts of the core's findings.
    static QString sectionText(int section);
    static QString errorText(const ProfileJson::Error& error);
    static QString differenceText(const ProfilePlan::Difference& difference);
    static QString unmatchedText(const ProfilePlan::Unmatched& unmatched);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fill();
    // Gives each difference the height of its wrapped lines at the list's
    // width (the view's own guess takes the Latin font's line height and cuts
    // the last line of a wrapped mixed-script text).
    void fitRows();

    std::unique_ptr<Ui::ImportPreviewDialog> ui;
    Profile mProfile;
    const KeyboardConfigUtil& mModel;
};
