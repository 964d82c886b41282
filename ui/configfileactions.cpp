#include "ui/configfileactions.h"

#include <QClipboard>
#include <QDialog>
#include <QGuiApplication>
#include <QProgressDialog>
#include <QFile>
#include <QSaveFile>

#include "jobs/profileapply.h"
#include "jobs/profileplan.h"
#include "model/keyboardconfigutil.h"
#include "model/profilejson.h"
#include "model/sharecode.h"
#include "protocol/usbcommunicateutil.h"
#include "services/qtoastbox.h"
#include "ui/importpreview/importpreviewdialog.h"
#include "ui/jobrunner.h"
#include "ui/widgets/filedialog.h"
#include "ui/widgets/messagebox.h"

namespace {
// Why an import was refused, when the file's per-key tables name other keys
// than the keyboard holds: the key by its factory label where it has one.
QString keyMismatchText(const ImportConfigUtil::KeyMismatch& mismatch) {
    QString key = QString::number(mismatch.key);
    if (KeyboardConfigUtil* m = KeyboardConfigUtil::instance()) {
        const DefaultKeyPtr factory = m->defaultKey(quint8(mismatch.key), 0);
        if (factory && !factory->label.isEmpty()) key = factory->label;
    }
    return mismatch.missing
               ? ConfigFileActions::tr("导入配置失败：此文件来自按键布局不同的键盘，缺少按键 %1")
                     .arg(key)
               : ConfigFileActions::tr(
                     "导入配置失败：此文件来自按键布局不同的键盘，含有本键盘没有的按键 %1")
                     .arg(key);
}
}  // namespace

ConfigFileActions::ConfigFileActions(QWidget* window, JobRunner* jobs, JobStarter startJob)
    : mWindow(window), mJobs(jobs), mStartJob(std::move(startJob)) {}

void ConfigFileActions::toast(const QString& text) {
    QToastBox::showToast(mWindow, text);
}

void ConfigFileActions::exportFile() {
    const QString path =
        FileDialog::getSaveFileName(mWindow, tr("保存文件"), QString(),
                                    tr("配置文件 (*.aaa);; 可读配置 (*.json);; 所有文件 (*.*)"));
    if (path.isEmpty()) return;
    if (path.endsWith(QLatin1String(".json"), Qt::CaseInsensitive)) {
        // A few kilobytes from the model: written at once, replaced whole.
        QSaveFile file(path);
        KeyboardConfigUtil* model = KeyboardConfigUtil::instance();
        const QByteArray bytes = model ? ProfileJson::write(*model) : QByteArray();
        const bool ok = !bytes.isEmpty() && file.open(QIODevice::WriteOnly) &&
                        file.write(bytes) == bytes.size() && file.commit();
        toast(ok ? tr("写入配置成功") : tr("写入配置失败"));
        return;
    }
    JobRunner* jobs = mJobs;
    mStartJob([jobs, path] { jobs->startExport(path); });
}

void ConfigFileActions::exportEnded(bool ok, int error) {
    toast(ok ? tr("写入配置成功") : JobRunner::failureText(tr("写入配置失败"), error));
}

void ConfigFileActions::importFile() {
    const QString path =
        FileDialog::getOpenFileName(mWindow, tr("选择配置文件"), QString(),
                                    tr("配置文件(*.aaa *.json);;可读配置(*.json);;所有文件(*)"));
    if (path.isEmpty()) return;
    if (path.endsWith(QLatin1String(".json"), Qt::CaseInsensitive)) {
        QFile file(path);
        const QByteArray bytes =
            file.open(QIODevice::ReadOnly) ? file.read(ProfileJson::MaxBytes + 1) : QByteArray();
        importProfile(bytes);
        return;
    }
    JobRunner* jobs = mJobs;
    mStartJob([jobs, path] { jobs->startImport(path); });
}

void ConfigFileActions::copyShareCode() {
    KeyboardConfigUtil* model = KeyboardConfigUtil::instance();
    if (!model || !model->keyboardProduct) return;
    QGuiApplication::clipboard()->setText(ShareCode::encode(ProfileJson::write(*model)));
    toast(tr("分享码已复制，可以粘贴到聊天中"));
}

void ConfigFileActions::pasteShareCode() {
    QByteArray json;
    const ShareCode::Error error = ShareCode::decode(QGuiApplication::clipboard()->text(), &json);
    if (error != ShareCode::Ok) {
        MessageBox::warning(mWindow, tr("导入配置失败"), shareCodeErrorText(error));
        return;
    }
    importProfile(json);
}

QString ConfigFileActions::shareCodeErrorText(int error) {
    switch (error) {
        case ShareCode::Empty:
            return tr("剪贴板中没有分享码。请先复制一个分享码。");
        case ShareCode::TooLong:
            return tr("剪贴板中的文字太长，不是分享码。");
        case ShareCode::UnknownVersion:
            return tr("这个分享码来自更新的版本，请先更新本程序。");
        case ShareCode::TooLarge:
            return tr("这个分享码解开后太大，不是配置。");
        default:
            return tr("剪贴板中的文字不是分享码。");
    }
}

// A readable profile: checked whole, previewed, then only the chosen
// sections are written.
void ConfigFileActions::importProfile(const QByteArray& bytes) {
    Profile profile;
    ProfileJson::Error error;
    if (!ProfileJson::read(bytes, &profile, &error)) {
        MessageBox::warning(mWindow, tr("导入配置失败"), ImportPreviewDialog::errorText(error));
        return;
    }
    KeyboardConfigUtil* model = KeyboardConfigUtil::instance();
    if (!model) return;
    ProfilePlan plan;
    if (!ProfilePlan::build(profile, *model, Profile::AllSections, &plan, &error)) {
        MessageBox::warning(mWindow, tr("导入配置失败"), ImportPreviewDialog::errorText(error));
        return;
    }
    auto* preview = new ImportPreviewDialog(profile, *model, mWindow);
    preview->setAttribute(Qt::WA_DeleteOnClose);
    // The preview cannot outlive the keyboard it compares with.
    if (UsbCommunicateUtil* engine = UsbCommunicateUtil::instance())
        QObject::connect(engine, &UsbCommunicateUtil::protocol_device_disconnected, preview,
                         &QDialog::reject);
    QObject::connect(preview, &QDialog::accepted, mWindow, [this, preview, profile] {
        KeyboardConfigUtil* now = KeyboardConfigUtil::instance();
        ProfilePlan chosen;
        ProfileJson::Error why;
        if (!now || !ProfilePlan::build(profile, *now, preview->chosenSections(), &chosen, &why))
            return;
        JobRunner* jobs = mJobs;
        mStartJob([jobs, chosen] { jobs->startProfileImport(chosen); });
    });
    preview->open();
}

bool ConfigFileActions::importEnded(bool ok, int error,
                                    const ImportConfigUtil::KeyMismatch& mismatch) {
    if (ok) {
        toast(tr("导入配置成功"));
        return true;
    }
    if (error == ImportConfigUtil::ErrorKeySet && mismatch.key >= 0)
        toast(keyMismatchText(mismatch));
    else if (error == ImportConfigUtil::ErrorHighKeySlots)
        toast(tr("导入配置失败：此文件的高级键多于本键盘能保存的数量"));
    else if (error == ProfileApply::ErrorCancelled)
        toast(tr("导入已取消，已写入的部分保留在键盘中"));
    else if (error == ProfileApply::ErrorMismatch)
        showReadBackDifferences();
    else
        toast(JobRunner::failureText(tr("导入配置失败"), error));
    // The read-back left the model as the keyboard holds it.
    return error == ProfileApply::ErrorMismatch;
}

void ConfigFileActions::showReadBackDifferences() {
    QStringList lines;
    for (const ProfilePlan::Difference& d : mJobs->lastDifferences())
        lines << ImportPreviewDialog::differenceText(d);
    const int shown = 12;
    if (lines.size() > shown) {
        const int more = int(lines.size()) - shown;
        lines = lines.mid(0, shown);
        lines << tr("还有 %1 处").arg(more);
    }
    MessageBox::warning(mWindow, tr("导入配置失败"),
                        tr("键盘中的值与写入的不一致：\n%1").arg(lines.join(QLatin1Char('\n'))));
}
