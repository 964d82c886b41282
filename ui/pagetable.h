#pragma once
// The one list of the main window's pages and their places in the page
// stack. A page is built the first time it is asked for; until then its
// place holds an empty widget. The rest can be built when the event loop
// is idle, one page per turn, so the first window appears without them.

#include <QObject>
#include <QTimer>
#include <vector>

#include "ui/pageindex.h"

class BasePage;
class QStackedWidget;

class PageTable : public QObject {
    Q_OBJECT
public:
    // Fills `stack` with a place for every PageIndex.
    explicit PageTable(QStackedWidget* stack, QObject* parent = nullptr);
    ~PageTable() override;

    // The page at a PageIndex, built now if it was not; null out of range.
    BasePage* page(int index);
    // The page if it is built already; never builds.
    BasePage* builtPage(int index) const;
    std::vector<BasePage*> builtPages() const;

    // Builds the pages not built yet, one per idle turn of the event loop.
    void buildRestWhenIdle();

signals:
    // A page was built and stands in its place (before anyone enters it).
    void pageBuilt(BasePage* page);
    // The system page's service key was entered.
    void firewarePageUnlocked();

private:
    BasePage* create(int index);
    void buildNext();

    QStackedWidget* mStack;
    std::vector<BasePage*> mPages;
    QTimer mIdle;
};
