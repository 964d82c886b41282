#include "ui/widgets/qkeyboardwidget.h"

#include <QDebug>
#include <QKeyEvent>
#include <QLabel>
#include <QPaintEvent>
#include <QPainter>
#include <QPixmap>
#include <QPixmapCache>
#include <QStringList>

#include "catalogue/keycatalogue.h"
#include "model/keyboardconfigutil.h"
#include "services/systemconfigutil.h"
#include "services/tooltiputil.h"
#include "ui/widgets/keyface.h"
#include "ui/widgets/qcustomlabel.h"
#include "ui/widgets/qselectkeylabel.h"

namespace {
// Margin of the plate around the outermost keys.
constexpr int PlateMargin = 7;
constexpr int PlateRadius = 12;

bool sameRecord(const KeyPositionRecord& a, const KeyPositionRecord& b) {
    return a.keyItem == b.keyItem && a.posItem == b.posItem && a.flag == b.flag && a.row == b.row &&
           a.col == b.col && a.left == b.left && a.top == b.top && a.width == b.width &&
           a.height == b.height;
}
}  // namespace

QKeyboardWidget::QKeyboardWidget(const QString& className, int layer, QWidget* parent)
    : QWidget(parent), mClassName(className), mLayer(layer == 1 ? 1 : 0), mHost(this) {
    qInfo().noquote() << QStringLiteral("=== %1 初始化 ===").arg(mClassName);
    setMinimumSize(PictureWidth, PictureHeight);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    resize(PictureWidth, PictureHeight);
    applyThemeColours();
}

QKeyboardWidget::~QKeyboardWidget() {
    qInfo().noquote() << QStringLiteral("=== %1 销毁 ===").arg(mClassName);
}

KeyboardConfigUtil* QKeyboardWidget::model() {
    return KeyboardConfigUtil::instance();
}

void QKeyboardWidget::clearLabels() {
    mHost.forget();
    for (QLabel* label : std::as_const(mLabels)) delete label;
    mLabels.clear();
    mKeyItems.clear();
    mPositions.clear();
    mPlate = QRect();
}

void QKeyboardWidget::rebuild(int layer) {
    mLayer = layer == 1 ? 1 : 0;
    rebuild();
}

bool QKeyboardWidget::samePositions() const {
    const KeyboardConfigUtil* m = model();
    if (!m || mPositions.isEmpty()) return false;
    int index = 0;
    for (const KeyPositionPtr& position : m->keyboardPositionMap) {
        if (!position || !position->flag) continue;
        // Reading the keyboard again makes new records with the same values:
        // compared by value, so the labels survive a reconnect.
        if (index >= mPositions.size() || !sameRecord(*mPositions.at(index), *position))
            return false;
        const QRect geometry(position->left, position->top, position->width, position->height);
        if (mLabels.at(index)->geometry() != geometry) return false;
        ++index;
    }
    return index == mPositions.size();
}

void QKeyboardWidget::adoptPositions() {
    const KeyboardConfigUtil* m = model();
    if (!m) return;
    int index = 0;
    for (const KeyPositionPtr& position : m->keyboardPositionMap) {
        if (!position || !position->flag) continue;
        if (index < mPositions.size()) mPositions[index] = position;
        ++index;
    }
}

void QKeyboardWidget::rebuild() {
    beforeBuild();
    if (reuseLabels() && samePositions()) {
        // Same keys in the same places: only what they show changes.
        adoptPositions();
        for (int i = 0; i < mLabels.size(); ++i)
            fillLabel(mLabels.at(i), mPositions.at(i), bindingOf(mKeyItems.at(i)));
        afterBuild();
        update();
        emit rebuilt();
        return;
    }
    // The focus cursor stays on its key through a rebuild.
    const quint8 focused = keyItemOf(mHost.focusLabel());
    clearLabels();
    const KeyboardConfigUtil* m = model();
    if (m) {
        // Ordered by key number; keys without `flag` are not drawn.
        for (const KeyPositionPtr& position : m->keyboardPositionMap) {
            if (!position || !position->flag) continue;
            QLabel* label = createLabel(position);
            if (!label) continue;
            KeyLabelHost::adopt(label);
            label->setGeometry(position->left, position->top, position->width, position->height);
            fillLabel(label, position, bindingOf(position->keyItem));
            mLabels.append(label);
            mKeyItems.append(position->keyItem);
            mPositions.append(position);
            mPlate |= label->geometry();
        }
    }
    if (!mPlate.isNull())
        mPlate = mPlate.adjusted(-PlateMargin, -PlateMargin, PlateMargin, PlateMargin) & rect();
    if (focused != 255) mHost.setFocusLabel(labelOf(focused));
    afterBuild();
    update();
    emit rebuilt();
}

void QKeyboardWidget::fillLabel(QLabel* label, const KeyPositionPtr&,
                                const KeyBindingPtr& binding) {
    applyLabelRule(label, binding);
}

KeyBindingPtr QKeyboardWidget::bindingOf(quint8 keyItem) const {
    const KeyboardConfigUtil* m = model();
    return m ? m->keyConfig(mLayer, keyItem) : KeyBindingPtr();
}

QLabel* QKeyboardWidget::labelOf(quint8 keyItem) const {
    const int index = mKeyItems.indexOf(keyItem);
    return index < 0 ? nullptr : mLabels.at(index);
}

quint8 QKeyboardWidget::keyItemOf(const QLabel* label) const {
    const int index = mLabels.indexOf(const_cast<QLabel*>(label));
    return index < 0 ? 255 : mKeyItems.at(index);
}

QLabel* QKeyboardWidget::labelAt(const QPoint& pos) const {
    return KeyLabelHost::labelAt(mLabels, pos);
}

bool QKeyboardWidget::isCompactProduct(const KeyboardConfigUtil* m) {
    if (!m || !m->keyboardProduct) return false;
    const qint16 serial = m->keyboardProduct->serialNumber;
    return serial == 259 || serial == 260;
}

void QKeyboardWidget::placePicture(QWidget* picture) {
    if (!picture) return;
    if (isCompactProduct(model())) {
        picture->setMinimumSize(865, 290);
        picture->resize(865, 290);
        picture->move(30, 27);
    } else {
        picture->move(0, 0);
    }
}

QString QKeyboardWidget::imageFolder() {
    const SystemConfigUtil* config = SystemConfigUtil::instance();
    return config ? config->imageFolder() : SystemConfigUtil::imageFolder(0);
}

QPixmap QKeyboardWidget::keyImage(const QString& path) {
    // One pixmap per file: read once, and the same pixmap keeps the painted
    // caps that show it valid when a picture is filled again.
    QPixmap image;
    if (!QPixmapCache::find(path, &image)) {
        image.load(path);
        QPixmapCache::insert(path, image);
    }
    return image;
}

void QKeyboardWidget::applyLabelRule(QLabel* label, const KeyBindingPtr& binding) {
    if (!binding) {
        applyLabelRule(label, KeyCatalogue::TypeNone, 0xFF, 0xFF);
        return;
    }
    applyLabelRule(label, binding->type, binding->hValue, binding->lValue);
}

void QKeyboardWidget::applyLabelRule(QLabel* label, quint8 type, quint8 hValue, quint8 lValue) {
    if (!label) return;
    quint8 kind = KeyCatalogue::NoKind;
    if (type == KeyCatalogue::TypeAdvanced) {
        const KeyboardConfigUtil* m = model();
        kind = m ? m->highKeyAttribute(lValue) : KeyCatalogue::NoKind;
    }
    const KeyLabel rule = KeyCatalogue::label(type, hValue, lValue, kind);
    auto* face = dynamic_cast<KeyFace*>(label);
    if (face) face->clearCombinedFace();
    label->clear();
    label->setToolTip(QString());
    KeyLabelHost::refresh(label);
    if (!rule.found) return;
    const QString image = rule.image.isEmpty() ? QString() : imageFolder() + rule.image;
    switch (rule.kind) {
        case KeyCatalogue::LabelText:
            label->setTextFormat(Qt::PlainText);
            label->setText(rule.text);
            break;
        case KeyCatalogue::LabelImage:
            label->setPixmap(keyImage(image));
            break;
        default:
            label->setTextFormat(Qt::RichText);
            label->setText(
                QStringLiteral("<img src=\"%1\"><br>%2").arg(image, rule.text.toHtmlEscaped()));
            if (face) face->setCombinedFace(keyImage(image), rule.text);
            break;
    }
    if (const ToolTipUtil* tips = ToolTipUtil::instance())
        label->setToolTip(tips->text(rule.tipKey));
}

bool QKeyboardWidget::isPairAdvancedKey(const KeyBindingPtr& binding) {
    if (!binding || binding->type != KeyCatalogue::TypeAdvanced) return false;
    const KeyboardConfigUtil* m = model();
    const quint8 kind = m ? m->highKeyAttribute(binding->lValue) : KeyCatalogue::NoKind;
    return kind >= 3 && kind <= 5;
}

bool QKeyboardWidget::isFactoryOrdinaryKey(quint8 keyItem) {
    const KeyboardConfigUtil* m = model();
    if (!m) return false;
    const KeyBindingPtr binding = m->keyConfig(0, keyItem);
    const DefaultKeyPtr factory = m->defaultKey(keyItem, 0);
    return binding && factory && binding->type == KeyCatalogue::TypeKey &&
           binding->type == factory->type && binding->hValue == factory->hValue &&
           binding->lValue == factory->lValue;
}

void QKeyboardWidget::applyThemeColours() {
    if (mPlateColourSet) return;
    const SystemConfigUtil* config = SystemConfigUtil::instance();
    const bool dark = config && config->theme() == 1;
    mPlateColor = dark ? QColor(0x16, 0x18, 0x1c) : QColor(0xe6, 0xe8, 0xec);
    mPlateBorderColor = dark ? QColor(0x2e, 0x31, 0x38) : QColor(0xd2, 0xd5, 0xdb);
}

void QKeyboardWidget::setPlateColor(const QColor& color) {
    mPlateColor = color;
    mPlateColourSet = true;
    update();
}

void QKeyboardWidget::setPlateBorderColor(const QColor& color) {
    mPlateBorderColor = color;
    mPlateColourSet = true;
    update();
}

QPixmap QKeyboardWidget::platePixmap() const {
    // Every picture of a product has the same plate: drawn once, kept in the
    // pixmap cache (an antialiased rounded plate of this size is most of a
    // picture's repaint otherwise).
    const qreal ratio = devicePixelRatioF();
    const QString key =
        QStringLiteral("keyboardplate:%1x%2@%3:%4:%5")
            .arg(mPlate.width())
            .arg(mPlate.height())
            .arg(ratio)
            .arg(mPlateColor.name(QColor::HexArgb), mPlateBorderColor.name(QColor::HexArgb));
    QPixmap plate;
    if (QPixmapCache::find(key, &plate)) return plate;
    plate = QPixmap(mPlate.size() * ratio);
    plate.setDevicePixelRatio(ratio);
    plate.fill(Qt::transparent);
    QPainter painter(&plate);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF area = QRectF(QPointF(0, 0), QSizeF(mPlate.size())).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setPen(QPen(mPlateBorderColor, 1));
    painter.setBrush(mPlateColor);
    painter.drawRoundedRect(area, PlateRadius, PlateRadius);
    // A soft lip along the top edge gives the plate some depth.
    painter.setPen(QPen(mPlateColor.lighter(mPlateColor.lightness() < 128 ? 160 : 104), 1));
    painter.drawLine(area.topLeft() + QPointF(PlateRadius, 1.5),
                     area.topRight() + QPointF(-PlateRadius, 1.5));
    painter.end();
    QPixmapCache::insert(key, plate);
    return plate;
}

void QKeyboardWidget::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QRect dirty = event->rect() & mPlate;
    if (!dirty.isEmpty()) {
        const qreal ratio = devicePixelRatioF();
        const QRect source(QPointF((dirty.topLeft() - mPlate.topLeft()) * ratio).toPoint(),
                           dirty.size() * ratio);
        painter.drawPixmap(dirty, platePixmap(), source);
    }
    mHost.paint(painter, event->rect(), mLabels);
}

QString QKeyboardWidget::bindingName(quint8 type, quint8 hValue, quint8 lValue) {
    if (type == KeyCatalogue::TypeNone) return tr("无功能");
    quint8 kind = KeyCatalogue::NoKind;
    if (type == KeyCatalogue::TypeAdvanced) {
        const KeyboardConfigUtil* m = model();
        kind = m ? m->highKeyAttribute(lValue) : KeyCatalogue::NoKind;
    }
    const KeyCatalogueEntry* e = KeyCatalogue::find(type, hValue, lValue, kind);
    if (!e) return QString();
    // Keys shown by an image are read by their tool tip, which follows the
    // language; letters and names read as they are printed.
    if (e->text.isEmpty() || e->labelKind == KeyCatalogue::LabelImage) {
        const ToolTipUtil* tips = ToolTipUtil::instance();
        const QString tip = tips ? tips->text(e->tipKey) : QString();
        if (!tip.isEmpty() && type != KeyCatalogue::TypeAdvanced) return tip;
    }
    return KeyCatalogue::displayName(type, hValue, lValue, kind);
}

QString QKeyboardWidget::advancedKindName(quint8 kind) {
    static const char* const names[] = {"TGL", "MT", "DKS", "RS", "OKS", "SOCD"};
    return kind < 6 ? QString::fromLatin1(names[kind]) : QString();
}

QString QKeyboardWidget::advancedKeyText(quint8 item, quint8 keyItem) {
    const KeyboardConfigUtil* m = model();
    if (!m) return QString();
    HighKeyPtr record;
    for (const HighKeyPtr& slot : m->keyboardHighKeyList)
        if (slot && slot->item == item) record = slot;
    if (!record) return QString();
    const quint8* d = record->data;
    // A function kept as type and its two values, in the order the record
    // keeps them; empty when none is set.
    auto function = [](const quint8* bytes, bool lowFirst) {
        const quint8 type = bytes[0];
        const quint8 lValue = lowFirst ? bytes[1] : bytes[2];
        const quint8 hValue = lowFirst ? bytes[2] : bytes[1];
        if (type == 0xFF && lValue == 0xFF && hValue == 0xFF) return tr("无");
        const QString name = bindingName(type, hValue, lValue);
        return name.isEmpty() ? QStringLiteral("?") : name;
    };
    const QString kind = advancedKindName(record->attribute);
    switch (record->attribute) {
        case 0:
            return tr("TGL：切换 %1").arg(function(&d[1], true));
        case 1:
            return tr("MT：点按 %1，按住 %2").arg(function(&d[4], false), function(&d[7], true));
        case 2: {
            QStringList stages;
            for (int row = 0; row < 4; ++row)
                if (d[2 + 4 * row] != 0xFF || d[3 + 4 * row] != 0xFF || d[4 + 4 * row] != 0xFF)
                    stages << function(&d[2 + 4 * row], true);
            return stages.isEmpty() ? kind : tr("DKS：%1").arg(stages.join(QStringLiteral(", ")));
        }
        case 3:
        case 4:
        case 5: {
            // The pair is kept once; each of its keys names the other.
            const quint8 other = d[0] == keyItem ? d[1] : d[0];
            const DefaultKeyPtr factory = m->defaultKey(other, 0);
            QString name =
                factory ? bindingName(factory->type, factory->hValue, factory->lValue) : QString();
            if (name.isEmpty() && factory) name = factory->label;
            return name.isEmpty() ? kind : tr("%1：与 %2").arg(kind, name);
        }
        default:
            return QString();
    }
}

QString QKeyboardWidget::keyName(const QLabel* key) const {
    const quint8 keyItem = keyItemOf(key);
    const KeyboardConfigUtil* m = model();
    const DefaultKeyPtr factory = m && keyItem != 255 ? m->defaultKey(keyItem, 0) : DefaultKeyPtr();
    QString name;
    if (factory) name = bindingName(factory->type, factory->hValue, factory->lValue);
    if (name.isEmpty() && key) name = key->text();
    return name;
}

QString QKeyboardWidget::keyDescription(const QLabel* key) const {
    const quint8 keyItem = keyItemOf(key);
    if (keyItem == 255) return QString();
    const KeyBindingPtr binding = bindingOf(keyItem);
    if (!binding) return tr("无功能");
    const QString name = bindingName(binding->type, binding->hValue, binding->lValue);
    if (binding->type == KeyCatalogue::TypeAdvanced) {
        // The picture shows only the kind's badge; readers get its bindings.
        const QString what = advancedKeyText(binding->lValue, keyItem);
        return tr("高级键 %1").arg(what.isEmpty() ? name : what);
    }
    return tr("功能：%1").arg(name);
}

bool QKeyboardWidget::isKeySelected(const QLabel* key) const {
    if (auto* custom = qobject_cast<const QCustomLabel*>(key)) return custom->isSelected();
    if (auto* select = qobject_cast<const QSelectKeyLabel*>(key)) return select->isSelected();
    return false;
}

void QKeyboardWidget::pressKey(QLabel* key) {
    auto* custom = qobject_cast<QCustomLabel*>(key);
    if (custom && custom->isEnabled()) custom->click();
}

void QKeyboardWidget::setFocusKey(quint8 keyItem) {
    if (QLabel* label = labelOf(keyItem)) mHost.setFocusLabel(label);
}

void QKeyboardWidget::keyPressEvent(QKeyEvent* event) {
    QLabel* key = mHost.focusLabel();
    if (key && !(event->modifiers() & ~Qt::KeypadModifier)) {
        if (event->key() == Qt::Key_Space) {
            pressKey(key);
            event->accept();
            return;
        }
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
            emit keyEntered(keyItemOf(key));
            event->accept();
            return;
        }
    }
    QWidget::keyPressEvent(event);
}

bool QKeyboardWidget::event(QEvent* event) {
    if (mHost.handleEvent(event, mLabels)) return true;
    return QWidget::event(event);
}
