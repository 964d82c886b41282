#pragma once
// What a view of zentaro-shots works with: the real main window on a
// simulated keyboard, the chosen theme and language, and save().

#include <QString>

#include "support/gui/guisession.h"
#include "ui/mainwindow.h"

class QKeyboardWidget;
class QWidget;

class ShotContext {
public:
    ShotContext(GuiSession& session, const QString& outDir, int theme, int language);

    MainWindow* window() const { return mSession.window(); }
    GuiSession& session() { return mSession; }
    SimHidBackend& sim() { return mSession.sim(); }
    int theme() const { return mTheme; }
    int language() const { return mLanguage; }

    // Shows a page and lets it draw.
    void showPage(int index);
    // Processes events for a while (animations, queued redraws).
    void settle(int ms = 150);
    // Writes the whole main window to OUTDIR/<name>.png (name in lower case)
    // and notes every label or button of it whose text does not fit.
    bool save(const QString& name);
    // Writes one widget (a dialog, a popup) to OUTDIR/<name>.png.
    bool save(const QString& name, QWidget* widget);
    // Key numbers of the picture's keys that show these texts, in the order given.
    static QByteArray keysLabelled(QKeyboardWidget* picture, const QStringList& texts);
    // Names of the files written so far.
    const QStringList& written() const { return mWritten; }
    // Labels and buttons of the shots so far whose text did not fit.
    const QStringList& clipped() const { return mClipped; }

private:
    GuiSession& mSession;
    QString mOutDir;
    int mTheme;
    int mLanguage;
    QStringList mWritten;
    QStringList mClipped;
};
