#include "ui/pages/firmware/firewaremanageform.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QLocale>
#include <QPushButton>
#include <QSpacerItem>
#include <QTimer>

#include "catalogue/productdatautil.h"
#include "common/apppaths.h"
#include "common/signatureverifier.h"
#include "jobs/backupstore.h"
#include "model/keyboardconfigutil.h"
#include "protocol/firewaredownloadthread.h"
#include "protocol/usbcommunicateutil.h"
#include "services/systemconfigutil.h"
#include "ui/device/devicemanageform.h"
#include "ui/pages/firmware/qfirewareitemwidget.h"
#include "ui/widgets/messagebox.h"
#include "ui/widgets/qcustomprogressdialog.h"
#include "ui_firewaremanageform.h"

FirewareManageForm::FirewareManageForm(QWidget* parent)
    : BasePage(0, parent), ui(std::make_unique<Ui::FirewareManageForm>()) {
    ui->setupUi(this);
    logLine(QStringLiteral("固件管理页面初始化"));
}

FirewareManageForm::~FirewareManageForm() {
    closeDialog();
    if (mBottomSpacer) {
        ui->gridLayout->removeItem(mBottomSpacer);
        delete mBottomSpacer;
    }
    if (mThread) {
        // The transfer holds its own handle; let it end before we go.
        mThread->disconnect(this);
        mThread->wait();
        delete mThread.data();
    }
    logLine(QStringLiteral("固件管理页面销毁"));
}

QString FirewareManageForm::firmwarePath(const ProductRecord& product) {
    return AppPaths::readableDataFile(product.productData + QStringLiteral("/firmware.bin"));
}

void FirewareManageForm::refreshLanguageUi() {
    BasePage::refreshLanguageUi();
    ui->firewareTitleLabel->setText(tr("固件管理"));
}

void FirewareManageForm::enter() {
    // Firmware goes to keyboards in their boot mode: no link stays open and
    // no configuration is kept meanwhile.
    if (UsbCommunicateUtil* e = UsbCommunicateUtil::instance()) e->closeCommunicate();
    if (KeyboardConfigUtil* m = KeyboardConfigUtil::instance()) m->resetData();
    // From now on the device page opens no keyboard until the program restarts.
    DeviceManageForm::setFirmwareMode(true);
    mProducts.clear();
    if (const ProductDataUtil* catalogue = ProductDataUtil::instance())
        mProducts = catalogue->allProducts();
    clearGrid();
    buildGrid();
}

void FirewareManageForm::leave() {
    closeDialog();
}

// ------------------------------------------------------------ grid

void FirewareManageForm::clearGrid() {
    for (QFirewareItemWidget* tile : std::as_const(mTiles)) {
        tile->disconnect(this);
        ui->gridLayout->removeWidget(tile);
        delete tile;
    }
    mTiles.clear();
    for (QWidget* filler : std::as_const(mFillers)) {
        ui->gridLayout->removeWidget(filler);
        delete filler;
    }
    mFillers.clear();
    if (mBottomSpacer) ui->gridLayout->removeItem(mBottomSpacer);
    // Stretches of a former, longer grid must not squeeze the new one.
    for (int r = 0; r < ui->gridLayout->rowCount(); ++r) ui->gridLayout->setRowStretch(r, 0);
}

QPixmap FirewareManageForm::tilePicture(const ProductRecord& product) const {
    const SystemConfigUtil* settings = SystemConfigUtil::instance();
    const int theme = settings ? settings->theme() : 0;
    const QString folder = theme == 0 ? QStringLiteral("/light/") : QStringLiteral("/dark/");
    const QString path = AppPaths::readableDataFile(product.productData + folder +
                                                    QStringLiteral("fireware_bg.png"));
    QPixmap picture;
    if (!path.isEmpty() && QFile::exists(path)) picture.load(path);
    if (picture.isNull()) picture = QFirewareItemWidget::placeholder(QSize(360, 200), theme);
    return picture;
}

void FirewareManageForm::buildGrid() {
    QGridLayout* grid = ui->gridLayout;
    int row = 0;
    int col = 0;
    int rowHeight = 0;
    int total = 0;
    for (const ProductRecordPtr& product : std::as_const(mProducts)) {
        if (!product) continue;
        auto* tile = new QFirewareItemWidget(product->productName, tilePicture(*product), row, col,
                                             ui->fireware_scroll_area_widget_contents);
        grid->addWidget(tile, row, col, Qt::AlignCenter);
        grid->setColumnStretch(col, 1);
        connect(tile, &QFirewareItemWidget::fireware_item_clicked, this,
                &FirewareManageForm::grid_Layout_Clicked);
        mTiles.append(tile);
        rowHeight = qMax(rowHeight, tile->minimumHeight());
        if (++col == kColumns) {
            grid->setRowStretch(row, 1);
            total += rowHeight;
            rowHeight = 0;
            col = 0;
            ++row;
        }
    }
    int rows = row;
    if (col > 0) {
        // A partly filled last row: empty cells keep the columns even.
        grid->setRowStretch(row, 1);
        for (int c = col; c < kColumns; ++c) {
            auto* filler = new QWidget(ui->fireware_scroll_area_widget_contents);
            filler->setObjectName(QStringLiteral("fireware_empty_cell"));
            grid->addWidget(filler, row, c);
            grid->setColumnStretch(c, 1);
            mFillers.append(filler);
        }
        total += rowHeight;
        ++rows;
    } else if (rows > 0) {
        grid->setRowStretch(rows - 1, 1);
    }
    ui->fireware_scroll_area_widget_contents->setMinimumHeight(total + (rows + 2) *
                                                                           grid->verticalSpacing());
    // Rows stay together at the top however tall the page is: a spacer row
    // below them takes what the rows do not need.
    if (!mBottomSpacer)
        mBottomSpacer = new QSpacerItem(0, 0, QSizePolicy::Minimum, QSizePolicy::Expanding);
    grid->addItem(mBottomSpacer, rows, 0, 1, kColumns);
    grid->setRowStretch(rows, 1000);
    ui->fireware_scroll_area->setWidgetResizable(true);
}

// ------------------------------------------------------------ transfer

void FirewareManageForm::grid_Layout_Clicked(bool flag, int row, int col) {
    qInfo().noquote() << QStringLiteral(
                             "FirewareManageForm grid_Layout_Clicked flag:{ %1 }; row:{ %2 }; "
                             "col:{ %3 }")
                             .arg(flag ? QStringLiteral("true") : QStringLiteral("false"))
                             .arg(row)
                             .arg(col);
    if (flag) return;
    if (mThread) return;  // one transfer at a time
    const int index = row * kColumns + col;
    // Only a real product starts anything: a dialog without a transfer
    // behind it would never close.
    if (row < 0 || col < 0 || col >= kColumns || index >= mProducts.size()) return;
    const ProductRecordPtr product = mProducts.at(index);
    if (!product) return;

    // Signed by a trusted key (firmware.bin.sig beside it), or sent only
    // after the user took the risk in words; a bad signature is never sent.
    const QString path = firmwarePath(*product);
    const QString name = QFileInfo(path).fileName();
    // A missing file ends in the thread's own failure.
    const SignatureVerifier::Result signature =
        QFileInfo::exists(path) ? SignatureVerifier::verifyFile(path) : SignatureVerifier::Valid;
    if (signature != SignatureVerifier::Valid) {
        if (signature != SignatureVerifier::Missing) {
            toast(SignatureVerifier::refusalText(signature, name));
            return;
        }
        const auto answer = MessageBox::question(
            window(), tr("固件没有签名"),
            tr("%1 没有签名，无法确认它来自键盘厂商。未签名的固件可能被人篡改，"
               "写入后键盘可能无法再使用。\n\n仍要写入这个固件吗？")
                .arg(name),
            QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
        if (answer != QMessageBox::Yes) return;
        qWarning().noquote()
            << QStringLiteral("=== FirewareManageForm 用户确认写入未签名固件:{ %1 } ===").arg(path);
    }

    // A missing file sends nothing: no backup question for it.
    if (QFileInfo::exists(path) && !backupAgreed(*product)) return;

    closeDialog();
    mDialog = QCustomProgressDialog::open(window(), tr("下载固件中，请不要执行其他操作"), QString(),
                                          0, 100, true);
    mDialog->cancelButton()->hide();

    auto* thread = new FirewareDownloadThread(path, quint16(product->serialNumber));
    mThread = thread;
    connect(thread, &FirewareDownloadThread::fireware_download_result, this,
            &FirewareManageForm::fireware_download_result);
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    thread->start();
}

bool FirewareManageForm::backupAgreed(const ProductRecord& product) {
    const BackupStore store;
    const QList<BackupStore::Backup> backups = store.list(product.serialNumber);
    const BackupStore::Backup* newest = nullptr;
    for (const BackupStore::Backup& backup : backups) {
        if (backup.isDamaged()) continue;
        newest = &backup;  // the list is newest first
        break;
    }
    const QDateTime now = QDateTime::currentDateTime();
    const bool recent = newest && newest->created.isValid() && newest->created <= now.addSecs(60) &&
                        newest->created >= now.addDays(-kRecentBackupDays);
    QMessageBox::StandardButton answer;
    if (recent) {
        const QString when = QLocale().toString(newest->created, QLocale::ShortFormat);
        answer = MessageBox::confirm(
            window(), tr("固件更新前的备份"),
            tr("引导模式下的键盘无法读取，这次更新前不能再备份。将以 %1 的备份为准（%2 个配置：%3）"
               "；更新后如果设置丢失，请在“其他”页面恢复这个备份。\n\n继续更新吗？")
                .arg(when)
                .arg(newest->entries.size())
                .arg(newest->names().join(QStringLiteral("、"))),
            tr("更新"), tr("取消"));
        qInfo().noquote() << QStringLiteral("=== FirewareManageForm 以备份为准:{ %1/%2 } ===")
                                 .arg(product.serialNumber)
                                 .arg(newest->id);
    } else {
        const QString why =
            newest ? tr("最新的备份是 %1 做的，已超过 %2 天。")
                         .arg(QLocale().toString(newest->created, QLocale::ShortFormat))
                         .arg(kRecentBackupDays)
                   : tr("这个键盘还没有可用的备份。");
        answer = MessageBox::confirm(
            window(), tr("无法备份"),
            tr("引导模式下的键盘无法读取，不能在更新前备份它的配置。%1更新固件可能清除键盘上的"
               "配置。\n\n仍要不备份直接更新吗？")
                .arg(why),
            tr("不备份直接更新"), tr("取消"));
        if (answer == QMessageBox::Ok)
            qWarning().noquote() << QStringLiteral(
                                        "=== FirewareManageForm 用户选择不备份直接更新:{ %1 } ===")
                                        .arg(product.serialNumber);
    }
    return answer == QMessageBox::Ok;
}

void FirewareManageForm::fireware_download_result(bool status, int value) {
    if (!status) {
        closeDialog();
        dropThread();
        toast(tr("下载固件失败"));
        return;
    }
    if (mDialog) mDialog->setProgressValue(qBound(0, value, 100));
    if (value < 100) return;
    dropThread();
    // The keyboard restarts now. Keep the dialog up meanwhile without
    // blocking the window, then close it.
    QPointer<QCustomProgressDialog> dialog = mDialog;
    QTimer::singleShot(mRestartWaitMs, this, [this, dialog] {
        if (dialog && dialog == mDialog) closeDialog();
    });
}

void FirewareManageForm::dropThread() {
    if (!mThread) return;
    mThread->disconnect(this);
    mThread = nullptr;  // deletes itself when its run ends
}

void FirewareManageForm::closeDialog() {
    if (!mDialog) return;
    QCustomProgressDialog* dialog = mDialog;
    mDialog = nullptr;
    dialog->close();
    dialog->deleteLater();
}
