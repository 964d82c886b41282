#pragma once
// Edits the open keyboard's automatic-switch rules: add one from the running
// programs (or a window class or title), choose its profile and when it
// applies, order the rules, choose the default, and try which rule matches
// now. Saved only with Save.

#include <QDialog>
#include <memory>

#include "jobs/autoswitchrules.h"

class AutoSwitchController;

namespace Ui {
class AutoSwitchDialog;
}

class AutoSwitchDialog : public QDialog {
    Q_OBJECT
public:
    AutoSwitchDialog(AutoSwitchController* controller, QWidget* parent = nullptr);
    ~AutoSwitchDialog() override;

    const AutoSwitchRules& rules() const { return mRules; }
    // Opens the dialog over `parent` (non-modal, deleted when closed).
    static AutoSwitchDialog* open(QWidget* parent);

    // What the match button shows (tests read it).
    QString matchText() const;
    void addRule(const AutoSwitchRule& rule);
    void showMatch();
    void refreshPrograms();

private:
    void fillTable();
    void fillProfiles();
    void moveSelected(int by);
    void removeSelected();
    void addFromForm();
    void save();
    bool profileExists(const QString& name) const;

    std::unique_ptr<Ui::AutoSwitchDialog> ui;
    AutoSwitchController* mController;
    AutoSwitchRules mRules;
};
