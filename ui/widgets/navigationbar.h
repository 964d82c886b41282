#pragma once
// The row of buttons above every setting page (key to other). Each page
// holds its own bar with its own button checked; a click asks the main
// window for another page.

#include <QWidget>
#include <memory>

namespace Ui {
class NavigationBar;
}
class QPushButton;

class NavigationBar : public QWidget {
    Q_OBJECT
public:
    // `current` is the PageIndex of the page that holds the bar.
    explicit NavigationBar(int current, QWidget* parent = nullptr);
    ~NavigationBar() override;

    // The button that shows page `index`, or nullptr.
    QPushButton* button(int index) const;

public slots:
    void refreshLanguageUi();

signals:
    void navigateRequested(int index);

private:
    std::unique_ptr<Ui::NavigationBar> ui;
    int mCurrent;
};
