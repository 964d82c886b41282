#pragma once
// Item delegate of the configuration-table list: names are edited in a
// frameless line edit of at most 28 characters (what a table name holds on
// the keyboard), painted over the palette's base colour.

#include <QStyledItemDelegate>

class QConfigListDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    static constexpr int kMaxNameLength = 28;
    static constexpr int kMaxNameBytes = 28;  // UTF-8, as the keyboard stores it

    explicit QConfigListDelegate(QObject* parent = nullptr);

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const override;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

private:
    mutable QPersistentModelIndex mEditing;
};
