#include "ui/qconfiglistdelegate.h"

#include <QLineEdit>
#include <QPainter>

QConfigListDelegate::QConfigListDelegate(QObject* parent) : QStyledItemDelegate(parent) {}

QWidget* QConfigListDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                           const QModelIndex& index) const {
    auto* editor = new QLineEdit(parent);
    editor->setObjectName(QStringLiteral("configNameEditor"));
    editor->setFrame(false);
    editor->setMaxLength(kMaxNameLength);
    // The keyboard keeps 28 bytes of UTF-8: the editor takes no more, so the
    // name a user sees while typing is the name the keyboard will hold
    // (9 Chinese characters, 28 Latin letters).
    connect(editor, &QLineEdit::textEdited, editor, [editor](const QString& text) {
        QString kept = text;
        while (kept.toUtf8().size() > kMaxNameBytes)
            kept.chop(kept.back().isLowSurrogate() ? 2 : 1);
        if (kept.size() == text.size()) return;
        const int cursor = qMin(editor->cursorPosition(), int(kept.size()));
        editor->setText(kept);
        editor->setCursorPosition(cursor);
    });
    mEditing = index;
    connect(editor, &QObject::destroyed, this, [this] { mEditing = QPersistentModelIndex(); });
    return editor;
}

void QConfigListDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    if (auto* line = qobject_cast<QLineEdit*>(editor))
        line->setText(index.data(Qt::EditRole).toString().left(kMaxNameLength));
}

void QConfigListDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                       const QModelIndex& index) const {
    auto* line = qobject_cast<QLineEdit*>(editor);
    if (!line) return;
    const QString text = line->text().trimmed();
    // An empty name or the same name is no rename.
    if (text.isEmpty() || text == index.data(Qt::EditRole).toString()) return;
    model->setData(index, text, Qt::EditRole);
}

void QConfigListDelegate::updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                                               const QModelIndex&) const {
    editor->setGeometry(option.rect.adjusted(4, 2, -4, -2));
}

void QConfigListDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                const QModelIndex& index) const {
    if (mEditing.isValid() && mEditing == index) {
        // The editor sits on the row; keep the row plain behind it.
        painter->fillRect(option.rect, option.palette.base());
        return;
    }
    QStyledItemDelegate::paint(painter, option, index);
}
