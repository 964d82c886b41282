#pragma once
// One step of a macro in the macro page's list: its number, a down or up
// arrow, the key's short name, the time to the next step and a delete button.

#include <QWidget>
#include <memory>

#include "common/keyboardtypes.h"

namespace Ui {
class QMacroItemWidget;
}
class QListWidgetItem;

class QMacroItemWidget : public QWidget {
    Q_OBJECT
public:
    static constexpr int kRowHeight = 50;

    QMacroItemWidget(QListWidgetItem* item, int number, const MacroEvent& event,
                     QWidget* parent = nullptr);
    ~QMacroItemWidget() override;

    void setNumber(int number);
    void setEvent(const MacroEvent& event);
    const MacroEvent& event() const { return mEvent; }
    QListWidgetItem* item() const { return mItem; }

    // What the row shows (tests, pictures).
    QString numberText() const;
    QString nameText() const;
    QString timeText() const;

    // The short key name of an event's key; empty when it has none.
    static QString keyName(const MacroEvent& event);

signals:
    void macroItemDelete(QListWidgetItem* item);

private slots:
    void on_delButton_clicked();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void nameForReaders();

    std::unique_ptr<Ui::QMacroItemWidget> ui;
    QListWidgetItem* mItem;
    MacroEvent mEvent;
};
