#pragma once
// The firmware management page: a tile for every catalogue product; a
// click writes the firmware file of that product's data folder into the
// keyboard through FirewareDownloadThread, behind a progress dialog. Once
// entered, the program stays in firmware mode: the device page opens no
// keyboard until the program restarts. A keyboard in boot mode cannot be
// read, so no backup can be made here: the newest recent backup of the
// product stands in for it, else the user must choose to update without one.

#include <QList>
#include <QPointer>
#include <memory>

#include "common/keyboardtypes.h"
#include "protocol/firewaredownloadthread.h"
#include "ui/pages/basepage.h"
#include "ui/widgets/qcustomprogressdialog.h"

namespace Ui {
class FirewareManageForm;
}

class QFirewareItemWidget;
class QSpacerItem;

class FirewareManageForm : public BasePage {
    Q_OBJECT
public:
    explicit FirewareManageForm(QWidget* parent = nullptr);
    ~FirewareManageForm() override;

    void enter() override;
    void leave() override;

    // The firmware file of a product: data/<productData>/firmware.bin.
    static QString firmwarePath(const ProductRecord& product);

    static constexpr int kColumns = 3;
    // A backup this many days old or newer stands in for the one the page
    // cannot make; an older one may miss later changes.
    static constexpr int kRecentBackupDays = 7;
    // The keyboard restarts after a complete transfer; the dialog stays up
    // this long (with the window responsive) before it closes.
    static constexpr int kRestartWaitMs = 20000;
    void setRestartWaitMs(int ms) { mRestartWaitMs = ms; }

    const QList<ProductRecordPtr>& products() const { return mProducts; }
    QList<QFirewareItemWidget*> tiles() const { return mTiles; }
    bool isTransferring() const { return mThread != nullptr; }
    QCustomProgressDialog* progressDialog() const { return mDialog; }

public slots:
    void refreshLanguageUi() override;
    void grid_Layout_Clicked(bool flag, int row, int col);
    void fireware_download_result(bool status, int value);

private:
    // Asks the user about the backup before a transfer; true to go on.
    bool backupAgreed(const ProductRecord& product);
    void buildGrid();
    void clearGrid();
    QPixmap tilePicture(const ProductRecord& product) const;
    void closeDialog();
    void dropThread();

    std::unique_ptr<Ui::FirewareManageForm> ui;
    QList<ProductRecordPtr> mProducts;
    QList<QFirewareItemWidget*> mTiles;
    QList<QWidget*> mFillers;
    QSpacerItem* mBottomSpacer = nullptr;
    QPointer<QCustomProgressDialog> mDialog;
    QPointer<FirewareDownloadThread> mThread;
    int mRestartWaitMs = kRestartWaitMs;
};
