#pragma once
// Base of the seven setting pages (key to other): a page with the shared
// navigation bar on top and the page's own form below it. The seven
// navigation slots are named like designer slots so that every setting
// page offers them.

#include "ui/pages/basepage.h"

class NavigationBar;
class QVBoxLayout;

class SettingPage : public BasePage {
    Q_OBJECT
public:
    // `index` is the page's PageIndex; `source` its requester code.
    SettingPage(int index, uchar source, QWidget* parent = nullptr);
    ~SettingPage() override;

    int pageIndex() const { return mIndex; }
    NavigationBar* navigationBar() const { return mNavigationBar; }

public slots:
    void refreshLanguageUi() override;
    void on_keyButton_clicked();
    void on_lightButton_clicked();
    void on_highKeyButton_clicked();
    void on_alignButton_clicked();
    void on_macroButton_clicked();
    void on_performaceButton_clicked();
    void on_otherButton_clicked();

protected:
    // The widget below the bar into which a page sets up its form
    // (ui->setupUi(content())).
    QWidget* content() const { return mContent; }

private:
    void navigate(int index);

    int mIndex;
    NavigationBar* mNavigationBar = nullptr;
    QWidget* mContent = nullptr;
};
