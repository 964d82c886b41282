#include "shots/shotcontext.h"

#include <QDir>
#include <QLabel>
#include <QPixmap>
#include <QTextStream>
#include <QWidget>

#include "protocol/usbcommunicateutil.h"
#include "shots/clipcheck.h"
#include "ui/pageindex.h"
#include "ui/widgets/qkeyboardwidget.h"

ShotContext::ShotContext(GuiSession& session, const QString& outDir, int theme, int language)
    : mSession(session), mOutDir(outDir), mTheme(theme), mLanguage(language) {}

void ShotContext::showPage(int index) {
    if (!window()) return;
    // Setting pages need a keyboard that has been read: walk the road again
    // when an earlier view went back to the device page.
    UsbCommunicateUtil* engine = UsbCommunicateUtil::instance();
    if (index >= PageKey && index <= PageOther &&
        (!engine || !engine->isConnected() || window()->currentPageIndex() == PageDevice))
        mSession.reachKeyPage();
    // The start's own read ends on the key page: let it end first, or it
    // takes the window away from the page asked for.
    mSession.waitForEngineIdle(5000);
    window()->showPage(index);
    mSession.waitForPage(index, 5000);
    mSession.waitForEngineIdle(5000);
    settle();
}

void ShotContext::settle(int ms) {
    GuiSession::settle(ms);
}

bool ShotContext::save(const QString& name) {
    return save(name, window());
}

bool ShotContext::save(const QString& name, QWidget* widget) {
    if (!widget) return false;
    settle(50);
    const QString file = QDir(mOutDir).filePath(name.toLower() + QStringLiteral(".png"));
    const bool ok = widget->grab().save(file);
    QTextStream(stdout) << (ok ? "wrote " : "FAILED ") << file << Qt::endl;
    if (ok) mWritten.append(file);
    for (const QString& clipped : ClipCheck::clippedTexts(widget)) {
        QTextStream(stdout) << "CLIPPED " << name.toLower() << ": " << clipped << Qt::endl;
        mClipped.append(name.toLower() + QStringLiteral(": ") + clipped);
    }
    return ok;
}

QByteArray ShotContext::keysLabelled(QKeyboardWidget* picture, const QStringList& texts) {
    QByteArray keys;
    for (const QString& text : texts)
        for (QLabel* label : picture->labels())
            if (label->text() == text) {
                keys.append(char(picture->keyItemOf(label)));
                break;
            }
    return keys;
}
