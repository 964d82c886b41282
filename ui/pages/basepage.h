#pragma once
// What every page of the main window's page stack offers: its requester
// code, enter and leave (called by MainWindow on a page change) and a
// language refresh. Answer slots use acceptSource() so that answers meant
// for another requester only leave the usual log line.

#include <QWidget>

class KeyboardConfigUtil;
class UsbCommunicateUtil;

class BasePage : public QWidget {
    Q_OBJECT
public:
    // `source` is the page's requester code (UsbProtocol::CommandSource);
    // 0 for pages that send no commands.
    explicit BasePage(uchar source, QWidget* parent = nullptr);
    ~BasePage() override;

    uchar source() const { return mSource; }

    // The page became the current one / stops being it.
    virtual void enter() {}
    virtual void leave() {}
    // What the main window calls: notes where the user came from (for the
    // page's own rules, such as where "back" leads), then enters.
    void enterFrom(int previousPage);
    // The page shown before this one was entered; PageNone at first.
    int previousPage() const { return mPreviousPage; }

    // Told to every built page, shown or not; most pages ignore them.
    // The keyboards present or the communication type changed: the device
    // list is read again, and with autoOpen a keyboard opened.
    virtual void devicesChanged(bool autoOpen) { Q_UNUSED(autoOpen) }
    // A mode the page put the keyboard in (calibration) ends before another
    // command, or without telling the keyboard after it is gone.
    virtual void stopKeyboardMode(bool tellKeyboard) { Q_UNUSED(tellKeyboard) }
    // The configuration was read again (sync, import): what the page keeps
    // of the old one (undo) goes.
    virtual void configurationReloaded() {}

public slots:
    virtual void refreshLanguageUi() {}

signals:
    // Asks the main window to show the page at `index` (PageIndex).
    void navigateRequested(int index);

protected:
    // True when `source` is this page's; otherwise logs
    // "=== <class> <slot> 数据来源不匹配 source:{ <source> } ===".
    bool acceptSource(uchar source, const char* slot) const;
    // "=== <class> usb错误 source={..};order={0x..};error={..}===".
    void logUsbError(uchar source, uchar order, int error) const;
    // The engine and the model every page talks to (null in no test).
    static UsbCommunicateUtil* engine();
    static KeyboardConfigUtil* model();
    // A toast over the main window.
    void toast(const QString& text);
    // Logs "=== <text> ===" (creation and destruction lines of pages).
    static void logLine(const QString& text);

private:
    uchar mSource;
    int mPreviousPage = 200;  // PageNone
};
