#include "ui/autoswitch/autoswitchdialog.h"

#include <QPushButton>

#include "jobs/procprocesssource.h"
#include "model/keyboardconfigutil.h"
#include "ui/autoswitch/autoswitchcontroller.h"
#include "ui_autoswitchdialog.h"

AutoSwitchDialog::AutoSwitchDialog(AutoSwitchController* controller, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::AutoSwitchDialog>()), mController(controller) {
    ui->setupUi(this);
    setObjectName(QStringLiteral("autoSwitchDialog"));
    if (mController) {
        mController->reload();
        mRules = mController->switcher()->rules();
    }
    QPushButton* saveButton = ui->buttonBox->button(QDialogButtonBox::Save);
    saveButton->setText(tr("保存"));
    saveButton->setObjectName(QStringLiteral("saveButton"));
    // Rules belong to a product: without a keyboard read there is nothing to save to.
    saveButton->setEnabled(mController && mController->product() != 0);
    ui->buttonBox->button(QDialogButtonBox::Cancel)->setText(tr("取消"));
    connect(saveButton, &QPushButton::clicked, this, &AutoSwitchDialog::save);
    connect(ui->buttonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);
    ui->rulesTable->horizontalHeader()->setStretchLastSection(true);
    ui->rulesTable->verticalHeader()->setVisible(true);
    ui->rulesTable->setColumnWidth(0, 220);
    ui->rulesTable->setColumnWidth(1, 140);
    connect(ui->upButton, &QPushButton::clicked, this, [this] { moveSelected(-1); });
    connect(ui->downButton, &QPushButton::clicked, this, [this] { moveSelected(1); });
    connect(ui->removeButton, &QPushButton::clicked, this, &AutoSwitchDialog::removeSelected);
    connect(ui->addButton, &QPushButton::clicked, this, &AutoSwitchDialog::addFromForm);
    connect(ui->refreshButton, &QPushButton::clicked, this, &AutoSwitchDialog::refreshPrograms);
    connect(ui->matchButton, &QPushButton::clicked, this, &AutoSwitchDialog::showMatch);
    connect(ui->kindCombo, &QComboBox::currentIndexChanged, this, [this](int kind) {
        // Window rules follow the focus; only a program may apply while it runs.
        ui->focusCheck->setEnabled(kind == AutoSwitchRule::Process);
        if (kind != AutoSwitchRule::Process) ui->focusCheck->setChecked(true);
    });
    connect(ui->defaultCombo, &QComboBox::currentIndexChanged, this, [this](int index) {
        mRules.defaultProfile = index <= 0 ? QString() : ui->defaultCombo->itemText(index);
    });
    const QString note = mController ? mController->focusNote() : QString();
    ui->noteLabel->setText(note);
    ui->noteLabel->setVisible(!note.isEmpty());
    fillProfiles();
    fillTable();
    refreshPrograms();
}

AutoSwitchDialog::~AutoSwitchDialog() = default;

AutoSwitchDialog* AutoSwitchDialog::open(QWidget* parent) {
    auto* dialog = new AutoSwitchDialog(AutoSwitchController::instance(), parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
    return dialog;
}

bool AutoSwitchDialog::profileExists(const QString& name) const {
    const KeyboardConfigUtil* m = KeyboardConfigUtil::instance();
    if (!m) return false;
    for (const ConfigTableEntryPtr& t : m->keyboardConfigList)
        if (t && t->configName == name) return true;
    return false;
}

void AutoSwitchDialog::fillProfiles() {
    ui->profileCombo->clear();
    ui->defaultCombo->blockSignals(true);
    ui->defaultCombo->clear();
    ui->defaultCombo->addItem(tr("保持不变"));
    if (const KeyboardConfigUtil* m = KeyboardConfigUtil::instance()) {
        for (const ConfigTableEntryPtr& t : m->keyboardConfigList) {
            if (!t) continue;
            ui->profileCombo->addItem(t->configName);
            ui->defaultCombo->addItem(t->configName);
        }
    }
    if (!mRules.defaultProfile.isEmpty()) {
        int index = ui->defaultCombo->findText(mRules.defaultProfile);
        if (index < 0) {
            // Kept as it is, so that saving other changes does not drop it.
            ui->defaultCombo->addItem(mRules.defaultProfile);
            index = ui->defaultCombo->count() - 1;
        }
        ui->defaultCombo->setCurrentIndex(index);
    }
    ui->defaultCombo->blockSignals(false);
    ui->addButton->setEnabled(ui->profileCombo->count() > 0);
}

void AutoSwitchDialog::fillTable() {
    const int selected = ui->rulesTable->currentRow();
    ui->rulesTable->setRowCount(int(mRules.rules.size()));
    const QStringList kinds = {tr("程序"), tr("窗口类"), tr("窗口标题")};
    for (int row = 0; row < mRules.rules.size(); ++row) {
        const AutoSwitchRule& rule = mRules.rules.at(row);
        ui->rulesTable->setItem(row, 0,
                                new QTableWidgetItem(QStringLiteral("%1: %2").arg(
                                    kinds.value(rule.kind), rule.pattern)));
        auto* profile = new QTableWidgetItem(
            profileExists(rule.profile) ? rule.profile : tr("%1（键盘上没有）").arg(rule.profile));
        ui->rulesTable->setItem(row, 1, profile);
        ui->rulesTable->setItem(
            row, 2, new QTableWidgetItem(rule.needsFocus() ? tr("拥有焦点时") : tr("运行时")));
    }
    if (selected >= 0 && selected < mRules.rules.size()) ui->rulesTable->selectRow(selected);
    const bool any = !mRules.rules.isEmpty();
    ui->upButton->setEnabled(any);
    ui->downButton->setEnabled(any);
    ui->removeButton->setEnabled(any);
}

void AutoSwitchDialog::refreshPrograms() {
    const QString typed = ui->patternCombo->currentText();
    ProcProcessSource source;
    QStringList names;
    for (const RunningProcess& p : source.processes(false))
        if (!names.contains(p.name)) names.append(p.name);
    names.sort(Qt::CaseInsensitive);
    ui->patternCombo->clear();
    ui->patternCombo->addItems(names);
    ui->patternCombo->setCurrentText(typed);
}

void AutoSwitchDialog::addRule(const AutoSwitchRule& rule) {
    mRules.rules.append(rule);
    fillTable();
    ui->rulesTable->selectRow(int(mRules.rules.size()) - 1);
}

void AutoSwitchDialog::addFromForm() {
    AutoSwitchRule rule;
    rule.kind = AutoSwitchRule::Kind(ui->kindCombo->currentIndex());
    rule.pattern = ui->patternCombo->currentText().trimmed();
    rule.profile = ui->profileCombo->currentText();
    rule.focus = ui->focusCheck->isChecked() || rule.kind != AutoSwitchRule::Process;
    if (rule.pattern.isEmpty() || rule.profile.isEmpty()) return;
    addRule(rule);
    ui->patternCombo->setCurrentText(QString());
}

void AutoSwitchDialog::moveSelected(int by) {
    const int row = ui->rulesTable->currentRow();
    if (!mRules.move(row, row + by)) return;
    fillTable();
    ui->rulesTable->selectRow(row + by);
}

void AutoSwitchDialog::removeSelected() {
    const int row = ui->rulesTable->currentRow();
    if (row < 0 || row >= mRules.rules.size()) return;
    mRules.rules.removeAt(row);
    fillTable();
}

QString AutoSwitchDialog::matchText() const {
    return ui->matchLabel->text();
}

void AutoSwitchDialog::showMatch() {
    if (!mController) return;
    const AutoSwitcher::Choice c = mController->switcher()->choose(mRules);
    QString text;
    if (c.rule >= 0)
        text = tr("规则 %1：%2")
                   .arg(c.rule + 1)
                   .arg(AutoSwitchController::switchText(c.profile, c.program));
    else if (c.profile.isEmpty())
        text = tr("没有规则匹配：配置表保持不变");
    else
        text = tr("没有规则匹配：默认 %1").arg(c.profile);
    if (!c.profile.isEmpty() && !profileExists(c.profile))
        text += QLatin1Char(' ') + tr("键盘上没有配置表“%1”，不会切换").arg(c.profile);
    ui->matchLabel->setText(text);
    if (c.rule >= 0) ui->rulesTable->selectRow(c.rule);
}

void AutoSwitchDialog::save() {
    if (mController && mController->saveRules(mRules)) accept();
}
