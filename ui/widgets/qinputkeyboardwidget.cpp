#include "ui/widgets/qinputkeyboardwidget.h"

#include <QDebug>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>
#include <QSet>

#include "services/systemconfigutil.h"
#include "services/tooltiputil.h"
#include "ui/widgets/qcustomlabel.h"
#include "ui/widgets/qkeyboardwidget.h"

namespace {
// The three extra buttons; the padding leaves room for the longest caption.
const char* kExtraStyle =
    "QPushButton {    background-color: rgb(242,243,245);    border: 1.5px solid "
    "rgb(201,205,212);    color: rgb(255, 105, 0);    border-radius: 8px;    font-size: 12px;    "
    "padding: 5px 1px;}"
    "QPushButton:focus { border: 2px solid rgb(22,93,255); }";
const char* kExtraStyleDark =
    "QPushButton {    background-color: rgb(35,37,43);    border: 1.5px solid "
    "rgb(74,79,89);    color: rgb(255, 122, 26);    border-radius: 8px;    font-size: 12px;    "
    "padding: 5px 1px;}"
    "QPushButton:focus { border: 2px solid rgb(108,178,255); }";
constexpr int SearchPitch = 54;
constexpr int SearchButton = 44;

// The extra buttons take their width from their text, at least their places'
// widths, right-aligned at the picker's edge beside the top row's last key;
// a text too long for its share of the room takes two lines.
void fitExtraButtons(const QList<QPushButton*>& buttons, const QList<int>& minimum) {
    constexpr int Left = 888, Right = 1096, Gap = 4, Height = 44;
    constexpr int Chrome = 8;  // border and padding of kExtraStyle, both sides
    const int count = int(buttons.size());
    if (count == 0) return;
    const int share = (Right - Left - Gap * (count - 1)) / count;
    int x = Right;
    for (int i = count - 1; i >= 0; --i) {
        QPushButton* button = buttons.at(i);
        button->ensurePolished();
        const QFontMetrics metrics(button->font());
        const auto widthOf = [&metrics](const QString& text) {
            int width = 0;
            for (const QString& line : text.split(QLatin1Char('\n')))
                width = qMax(width, metrics.horizontalAdvance(line));
            return width + Chrome;
        };
        QString text = button->text().replace(QLatin1Char('\n'), QLatin1Char(' '));
        if (widthOf(text) > share) {
            // Break at the space nearest the middle.
            int best = -1;
            for (int at = text.indexOf(QLatin1Char(' ')); at >= 0;
                 at = text.indexOf(QLatin1Char(' '), at + 1))
                if (best < 0 || qAbs(at - text.size() / 2) < qAbs(best - text.size() / 2))
                    best = at;
            if (best >= 0) text[best] = QLatin1Char('\n');
        }
        button->setText(text);
        const int width = qMax(minimum.value(i), widthOf(text));
        x -= width;
        button->setGeometry(x, 0, width, Height);
        x -= Gap;
    }
}
}  // namespace

QInputKeyboardWidget::QInputKeyboardWidget(int tab, QWidget* parent)
    : QWidget(parent), mTab(tab < 0 || tab >= KeyCatalogue::TabCount ? 0 : tab), mHost(this) {
    setObjectName(QStringLiteral("QInputKeyboardWidget"));
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    qInfo().noquote() << QStringLiteral("=== QInputKeyboardWidget 初始化 ===");
    setGeometry(area());
    showButtons(KeyCatalogue::pickerTab(mTab).buttons);
    if (mTab == KeyCatalogue::TabKeyboard) {
        auto* reset = makeExtraButton(QStringLiteral("mResetButton"), QRect(912, 0, 60, 44));
        reset->setText(tr("恢复默认"));
        connect(reset, &QPushButton::clicked, this, &QInputKeyboardWidget::onResetButtonClicked);
        auto* none = makeExtraButton(QStringLiteral("mNullButton"), QRect(976, 0, 58, 44));
        none->setText(tr("无效键"));
        connect(none, &QPushButton::clicked, this, &QInputKeyboardWidget::onNullButtonClicked);
        auto* layer = makeExtraButton(QStringLiteral("mResetLayerButton"), QRect(1038, 0, 58, 44));
        layer->setText(tr("全恢复"));
        connect(layer, &QPushButton::clicked, this,
                &QInputKeyboardWidget::onResetLayerButtonClicked);
        fitExtraButtons({reset, none, layer}, {60, 58, 58});
    }
}

QInputKeyboardWidget::~QInputKeyboardWidget() {
    qInfo().noquote() << QStringLiteral("=== QInputKeyboardWidget 销毁 ===");
}

QRect QInputKeyboardWidget::area() const {
    return KeyCatalogue::pickerTab(mTab).area;
}

QPushButton* QInputKeyboardWidget::makeExtraButton(const QString& name, const QRect& geometry) {
    auto* button = new QPushButton(this);
    button->setObjectName(name);
    button->setGeometry(geometry);
    button->setFocusPolicy(Qt::TabFocus);
    const SystemConfigUtil* config = SystemConfigUtil::instance();
    const bool dark = config && config->theme() == 1;
    button->setStyleSheet(QString::fromLatin1(dark ? kExtraStyleDark : kExtraStyle));
    if (const ToolTipUtil* tips = ToolTipUtil::instance())
        button->setToolTip(tips->text(QStringLiteral("QInputKeyboardWidget/") + name));
    button->hide();
    mExtraButtons << button;
    return button;
}

void QInputKeyboardWidget::setExtraButtonsVisible(bool visible) {
    mExtraVisible = visible;
    for (QPushButton* button : std::as_const(mExtraButtons))
        button->setVisible(visible && mSearch.isEmpty());
}

void QInputKeyboardWidget::showButtons(const QList<PickerButton>& layout) {
    mHost.forget();
    qDeleteAll(mButtons);
    mButtons.clear();
    mLabels.clear();
    mLayout = layout;
    for (int i = 0; i < layout.size(); ++i) {
        const PickerButton& b = layout[i];
        auto position = KeyPositionPtr::create();
        position->keyItem = quint8(i);
        position->flag = true;
        position->left = b.geometry.x();
        position->top = b.geometry.y();
        position->width = b.geometry.width();
        position->height = b.geometry.height();
        auto* button = new QCustomLabel(position, this);
        button->setGeometry(b.geometry);
        QKeyboardWidget::applyLabelRule(button, b.type, b.hValue, b.lValue);
        connect(button, &QCustomLabel::clicked, this, &QInputKeyboardWidget::custom_label_clicked);
        KeyLabelHost::adopt(button);
        mButtons << button;
        mLabels << button;
    }
}

void QInputKeyboardWidget::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    mHost.paint(painter, event->rect(), mLabels);
}

bool QInputKeyboardWidget::event(QEvent* event) {
    if (mHost.handleEvent(event, mLabels)) return true;
    return QWidget::event(event);
}

void QInputKeyboardWidget::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    QLabel* focused = mHost.focusLabel();
    if (focused && !(event->modifiers() & ~Qt::KeypadModifier) &&
        (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter)) {
        pressKey(focused);
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

QString QInputKeyboardWidget::keyName(const QLabel* key) const {
    const int index = mLabels.indexOf(const_cast<QLabel*>(key));
    if (index < 0) return QString();
    const PickerButton& b = mLayout.at(index);
    const QString name = QKeyboardWidget::bindingName(b.type, b.hValue, b.lValue);
    return name.isEmpty() ? key->text() : name;
}

QString QInputKeyboardWidget::keyDescription(const QLabel* key) const {
    return key ? key->toolTip() : QString();
}

void QInputKeyboardWidget::pressKey(QLabel* key) {
    auto* button = qobject_cast<QCustomLabel*>(key);
    if (button && button->isEnabled()) button->click();
}

QCustomLabel* QInputKeyboardWidget::buttonOf(quint8 type, quint8 hValue, quint8 lValue) const {
    for (int i = 0; i < mLayout.size(); ++i)
        if (mLayout[i].type == type && mLayout[i].hValue == hValue && mLayout[i].lValue == lValue)
            return mButtons.value(i);
    return nullptr;
}

void QInputKeyboardWidget::custom_label_clicked(const KeyPositionPtr& item) {
    if (!item || item->keyItem >= mLayout.size()) return;
    const PickerButton b = mLayout.at(item->keyItem);
    emit input_keyboard_select(b.type, b.hValue, b.lValue);
}

void QInputKeyboardWidget::onResetButtonClicked() {
    emit input_keyboard_button(0);
}
void QInputKeyboardWidget::onNullButtonClicked() {
    emit input_keyboard_button(1);
}
void QInputKeyboardWidget::onResetLayerButtonClicked() {
    emit input_keyboard_button(2);
}

QList<PickerButton> QInputKeyboardWidget::matches(const QString& text) {
    QList<PickerButton> found;
    const QString wanted = text.trimmed();
    if (wanted.isEmpty()) return found;
    const ToolTipUtil* tips = ToolTipUtil::instance();
    // The tabs' buttons first, then the functions no tab offers (F13 to F24,
    // Fn2, Fn3, ...). Advanced keys are made on their own page.
    QList<PickerButton> candidates;
    for (int tab = 0; tab < KeyCatalogue::TabCount; ++tab)
        candidates << KeyCatalogue::pickerTab(tab).buttons;
    for (const KeyCatalogueEntry& e : KeyCatalogue::entries()) {
        if (e.type == KeyCatalogue::TypeAdvanced) continue;
        PickerButton b;
        b.type = e.type;
        b.hValue = quint8(e.code >> 8);
        b.lValue = quint8(e.code & 0xFF);
        b.shortName = e.shortName;
        candidates << b;
    }
    QSet<quint32> seen;
    for (const PickerButton& b : std::as_const(candidates)) {
        const quint32 key = quint32(b.type) << 16 | quint32(b.hValue) << 8 | b.lValue;
        if (seen.contains(key)) continue;
        const KeyCatalogueEntry* e = KeyCatalogue::find(b.type, b.hValue, b.lValue);
        QStringList haystack{b.shortName};
        if (e) {
            haystack << e->text << e->tipKey.section(QLatin1Char('/'), -1);
            if (tips) haystack << tips->text(e->tipKey);
        }
        for (const QString& hay : std::as_const(haystack)) {
            if (hay.contains(wanted, Qt::CaseInsensitive)) {
                seen.insert(key);
                found << b;
                break;
            }
        }
    }
    return found;
}

int QInputKeyboardWidget::setSearchText(const QString& text) {
    mSearch = text.trimmed();
    if (mSearch.isEmpty()) {
        mHost.setLinear(false);
        setGeometry(area());
        showButtons(KeyCatalogue::pickerTab(mTab).buttons);
        setExtraButtonsVisible(mExtraVisible);
        return mButtons.size();
    }
    // The matches side by side, in as many rows as the picker's height allows.
    const QRect full = KeyCatalogue::pickerTab(KeyCatalogue::TabKeyboard).area;
    const int perRow = qMax(1, (full.width() + SearchPitch - SearchButton) / SearchPitch);
    const int rows = qMax(1, (full.height() + SearchPitch - SearchButton) / SearchPitch);
    QList<PickerButton> layout = matches(mSearch).mid(0, perRow * rows);
    for (int i = 0; i < layout.size(); ++i)
        layout[i].geometry = QRect((i % perRow) * SearchPitch, (i / perRow) * SearchPitch,
                                   SearchButton, SearchButton);
    setGeometry(full);
    for (QPushButton* button : std::as_const(mExtraButtons)) button->hide();
    showButtons(layout);
    mHost.setLinear(true);
    return mButtons.size();
}

bool QInputKeyboardWidget::takeOnlyMatch() {
    if (mSearch.isEmpty() || mLayout.size() != 1) return false;
    const PickerButton b = mLayout.first();
    emit input_keyboard_select(b.type, b.hValue, b.lValue);
    return true;
}
