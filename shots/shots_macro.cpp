// View of the macro page: a macro just recorded, with one step in the editor.
#include <QApplication>
#include <QKeyEvent>
#include <QListWidget>

#include "shots/shotcontext.h"
#include "shots/shotregistry.h"
#include "ui/pageindex.h"
#include "ui/pages/macro/macrosetform.h"

ZENTARO_SHOT("macro", [](ShotContext& c) {
    c.showPage(PageMacro);
    auto* page = qobject_cast<MacroSetForm*>(c.window()->page(PageMacro));
    if (!page) return;
    page->on_macro5Btn_clicked();
    qint64 now = 0;
    page->recorder().setClock([&now] { return now; });
    page->on_startRecordBtn_clicked();
    auto send = [page](QEvent::Type type, int key, quint32 scanCode) {
        QKeyEvent event(type, key, Qt::NoModifier, scanCode, 0, 0);
        QApplication::sendEvent(page, &event);
    };
    const struct {
        QEvent::Type type;
        int key;
        quint32 scanCode;
        int gap;
    } steps[] = {
        {QEvent::KeyPress, Qt::Key_Shift, 50, 12},  {QEvent::KeyPress, Qt::Key_H, 43, 85},
        {QEvent::KeyRelease, Qt::Key_H, 43, 40},    {QEvent::KeyRelease, Qt::Key_Shift, 50, 120},
        {QEvent::KeyPress, Qt::Key_I, 31, 70},      {QEvent::KeyRelease, Qt::Key_I, 31, 230},
        {QEvent::KeyPress, Qt::Key_Return, 36, 60}, {QEvent::KeyRelease, Qt::Key_Return, 36, 0}};
    for (const auto& s : steps) {
        send(s.type, s.key, s.scanCode);
        now += s.gap;
    }
    page->on_stopRecordBtn_clicked();
    page->recorder().setClock(nullptr);
    if (auto* list = page->findChild<QListWidget*>(QStringLiteral("macroListWidget")))
        list->setCurrentRow(1);
    c.settle(200);
    c.save(QStringLiteral("macro"));
});
