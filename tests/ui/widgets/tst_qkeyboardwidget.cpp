// The keyboard pictures: building from the key positions, the label rule on
// a picture, and the selection behaviour of each picture, on the sample
// full-size product.

#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include "catalogue/productdatautil.h"
#include "catalogue/samplecatalogue.h"
#include "model/keyboardconfigutil.h"
#include "ui/widgets/qcustomlabel.h"
#include "ui/widgets/qhighkeyboardwidget.h"
#include "ui/widgets/qkeykeyboardwidget.h"
#include "ui/widgets/qlightkeyboardwidget.h"
#include "ui/widgets/qlightkeylabel.h"
#include "ui/widgets/qnaturekeyboardwidget.h"
#include "ui/widgets/qnaturelabel.h"
#include "ui/widgets/qrsokeyboardwidget.h"

class TestQKeyboardWidget : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void building();
    void keyPicture();
    void lightPicture();
    void advancedKeyPicture();
    void pairPicture();
    void naturePicture();
    void compactPlacement();

private:
    // Key number whose factory layer-0 binding is the keyboard usage.
    quint8 keyOf(quint8 usage) const;
    void bind(int layer, quint8 key, quint8 type, quint8 h, quint8 l);
    // Makes slot `slot` an advanced key of `kind` on `key` (layer 0).
    void makeAdvanced(quint8 key, int slot, quint8 kind);
    static QPoint centre(QLabel* label) { return label->geometry().center(); }

    QTemporaryDir mDir;
    QScopedPointer<ProductDataUtil> mCatalogue;
    QScopedPointer<KeyboardConfigUtil> mModel;
};

void TestQKeyboardWidget::initTestCase() {
    QVERIFY(samplecatalogue::copyTo(mDir.path()));
    mCatalogue.reset(new ProductDataUtil(mDir.path()));
    mModel.reset(new KeyboardConfigUtil(mCatalogue.data()));
}

void TestQKeyboardWidget::init() {
    QVERIFY(mModel->loadProduct(samplecatalogue::FullSize));
    mModel->keyboardFnMap.clear();
    mModel->keyboardFn1Map.clear();
    mModel->keyboardHighKeyList.clear();
    mModel->keyboardCustomLightMap.clear();
    mModel->keyboardTriggerMap.clear();
    for (int layer = 0; layer < 2; ++layer)
        for (const DefaultKeyPtr& d :
             layer == 0 ? mModel->keyboardDefaultList : mModel->keyboardDefaultFn1List)
            bind(layer, d->keyItem, d->type, d->hValue, d->lValue);
    for (int slot = 0; slot < 4; ++slot) mModel->keyboardHighKeyList << HighKeyPtr::create();
}

quint8 TestQKeyboardWidget::keyOf(quint8 usage) const {
    for (const DefaultKeyPtr& d : mModel->keyboardDefaultList)
        if (d->type == 1 && d->lValue == usage) return d->keyItem;
    return 255;
}

void TestQKeyboardWidget::bind(int layer, quint8 key, quint8 type, quint8 h, quint8 l) {
    KeyBindingMap& map = layer == 0 ? mModel->keyboardFnMap : mModel->keyboardFn1Map;
    auto b = KeyBindingPtr::create();
    *b = KeyBinding{key, type, h, l};
    map.insert(key, b);
}

void TestQKeyboardWidget::makeAdvanced(quint8 key, int slot, quint8 kind) {
    HIGH_KEY_INFO& info = *mModel->keyboardHighKeyList[slot];
    info.item = quint8(slot);
    info.attribute = kind;
    info.data[0] = key;
    bind(0, key, 4, 0, quint8(slot));
}

void TestQKeyboardWidget::building() {
    const quint8 a = keyOf(0x04);
    const quint8 b = keyOf(0x05);
    mModel->keyboardPositionMap.value(b)->flag = false;  // not drawn
    bind(0, a, 2, 0x02, 0x23);                           // media "home"
    makeAdvanced(keyOf(0x06), 0, 2);                     // DKS

    QKeyKeyboardWidget picture(0);
    picture.rebuild();
    int drawn = 0;
    for (const KeyPositionPtr& p : mModel->keyboardPositionMap) drawn += p->flag ? 1 : 0;
    QCOMPARE(picture.labels().size(), drawn);
    QVERIFY(!picture.labelOf(b));
    const KeyPositionPtr pa = mModel->keyboardPositionMap.value(a);
    QCOMPARE(picture.labelOf(a)->geometry(), QRect(pa->left, pa->top, pa->width, pa->height));
    QVERIFY(picture.labelOf(a)->text().isEmpty());
    QVERIFY(!picture.labelOf(a)->pixmap().isNull());
    QVERIFY(!picture.labelOf(keyOf(0x06))->pixmap().isNull());
    QCOMPARE(picture.labelOf(keyOf(0x07))->text(), QStringLiteral("D"));

    // A keyboard usage with a high byte is no key: the label stays empty.
    bind(0, a, 1, 0x02, 0x23);
    picture.rebuild();
    QVERIFY(picture.labelOf(a)->text().isEmpty());
    QVERIFY(picture.labelOf(a)->pixmap().isNull());

    // The Fn layer shows its own bindings.
    bind(1, a, 3, 0, 4);
    picture.rebuild(1);
    QCOMPARE(picture.labelOf(a)->text(), QStringLiteral("M5"));
    mModel->keyboardPositionMap.value(b)->flag = true;
}

void TestQKeyboardWidget::keyPicture() {
    const quint8 a = keyOf(0x04), s = keyOf(0x16), rs = keyOf(0x07);
    makeAdvanced(rs, 1, 3);  // RS: cannot be remapped
    QKeyKeyboardWidget picture(0);
    picture.show();
    picture.rebuild();
    QSignalSpy changed(&picture, &QKeyKeyboardWidget::selectionChanged);
    QVERIFY(!picture.labelOf(rs)->isEnabled());
    // The picture paints its keys: no key is a widget on the screen.
    for (QLabel* label : picture.labels()) QVERIFY(!label->isVisible());
    QTest::mouseClick(&picture, Qt::LeftButton, {}, centre(picture.labelOf(rs)));
    QVERIFY(!picture.isKeySelected());
    // The key under the mouse shows it.
    QTest::mouseMove(&picture, centre(picture.labelOf(s)));
    QTRY_VERIFY(static_cast<QCustomLabel*>(picture.labelOf(s))->isHovered());
    QTest::mouseMove(&picture, centre(picture.labelOf(a)));
    QTRY_VERIFY(!static_cast<QCustomLabel*>(picture.labelOf(s))->isHovered());

    QTest::mouseClick(&picture, Qt::LeftButton, {}, centre(picture.labelOf(a)));
    QVERIFY(picture.isKeySelected());
    QCOMPARE(picture.selectedKeyItem(), a);
    QVERIFY(picture.labelOf(a)->text().isEmpty());
    QVERIFY(picture.labelOf(a)->isEnabled());
    QVERIFY(!picture.labelOf(s)->isEnabled());
    QVERIFY(!picture.selectKey(s));  // one key at a time

    QTest::mouseClick(&picture, Qt::LeftButton, {}, centre(picture.labelOf(a)));
    QVERIFY(!picture.isKeySelected());
    QCOMPARE(picture.selectedKeyItem(), quint8(255));
    QCOMPARE(picture.labelOf(a)->text(), QStringLiteral("A"));
    QVERIFY(picture.labelOf(s)->isEnabled());
    QVERIFY(!picture.labelOf(rs)->isEnabled());  // still disabled
    QVERIFY(!picture.selectKey(rs));
    QCOMPARE(changed.size(), 2);

    // A rebuild forgets the selection.
    QVERIFY(picture.selectKey(s));
    picture.rebuild();
    QVERIFY(!picture.isKeySelected());
    QVERIFY(picture.labelOf(a)->isEnabled());

    // Reading the same keyboard again makes new, equal records: the labels
    // stay and still select their keys; a key that moved is placed anew.
    QLabel* kept = picture.labelOf(a);
    const KeyPositionPtr old = mModel->keyboardPositionMap.value(a);
    QVERIFY(mModel->loadProduct(samplecatalogue::FullSize));
    const KeyPositionPtr fresh = mModel->keyboardPositionMap.value(a);
    QVERIFY(fresh != old);
    picture.rebuild();
    QCOMPARE(picture.labelOf(a), kept);
    QTest::mouseClick(&picture, Qt::LeftButton, {}, centre(picture.labelOf(a)));
    QCOMPARE(picture.selectedKeyItem(), a);
    fresh->left += 3;
    picture.rebuild();
    QCOMPARE(picture.labelOf(a)->geometry(),
             QRect(fresh->left, fresh->top, fresh->width, fresh->height));
}

void TestQKeyboardWidget::lightPicture() {
    const quint8 q = keyOf(0x14), w = keyOf(0x1A), e = keyOf(0x08), r = keyOf(0x15);
    auto light = [&](quint8 key, quint8 level) {
        auto entry = CustomLightPtr::create();
        *entry = CustomLightEntry{key, level, 0x12, 0x34, 0x56};
        mModel->keyboardCustomLightMap.insert(key, entry);
    };
    light(q, 100);
    light(w, 101);
    QLightKeyboardWidget picture;
    picture.show();
    picture.rebuild();
    auto label = [&](quint8 key) { return static_cast<QLightKeyLabel*>(picture.labelOf(key)); };
    QVERIFY(label(q)->hasColor());
    QVERIFY(label(q)->borderStyle().contains("#123456"));
    QVERIFY(!label(w)->hasColor());  // brightness above 100: selection owns the border

    // Press on Q toggles it, dragging over W and E selects them.
    QTest::mousePress(&picture, Qt::LeftButton, {}, centre(label(q)));
    QMouseEvent move(QEvent::MouseMove, QPointF(centre(label(w))), QPointF(), Qt::NoButton,
                     Qt::LeftButton, {});
    QApplication::sendEvent(&picture, &move);
    QMouseEvent move2(QEvent::MouseMove, QPointF(centre(label(e))), QPointF(), Qt::NoButton,
                      Qt::LeftButton, {});
    QApplication::sendEvent(&picture, &move2);
    QTest::mouseRelease(&picture, Qt::LeftButton, {}, centre(label(e)));
    QCOMPARE(picture.selectedKeys(), (QByteArray(1, char(q)) + char(w) + char(e)));
    QVERIFY(label(w)->borderStyle().contains("rgb(255,136,38)"));
    QVERIFY(label(q)->borderStyle().contains("#123456"));  // colour keeps the border

    // A drag over selected keys leaves them selected; a click deselects.
    QTest::mousePress(&picture, Qt::LeftButton, {}, centre(label(r)));
    QApplication::sendEvent(&picture, &move);
    QTest::mouseRelease(&picture, Qt::LeftButton, {}, centre(label(w)));
    QCOMPARE(picture.selectedKeys().size(), 4);
    QTest::mouseClick(&picture, Qt::LeftButton, {}, centre(label(w)));
    QVERIFY(!label(w)->isSelected());

    // Disabled labels are neither toggled nor dragged over.
    picture.deselectAll();
    label(q)->setEnabled(false);
    QTest::mouseClick(&picture, Qt::LeftButton, {}, centre(label(q)));
    QVERIFY(picture.selectedKeys().isEmpty());

    picture.selectAll();
    picture.invertSelection();
    QVERIFY(picture.selectedKeys().isEmpty());
    label(e)->setSelected(true);
    picture.setSelectedColor(QColor(1, 2, 3));
    QCOMPARE(label(e)->color(), QColor(1, 2, 3));
    QVERIFY(!label(r)->hasColor());
}

void TestQKeyboardWidget::advancedKeyPicture() {
    const quint8 a = keyOf(0x04), b = keyOf(0x05), adv = keyOf(0x06), moved = keyOf(0x07);
    makeAdvanced(adv, 0, 0);
    bind(0, moved, 1, 0, 0x04);  // no longer its factory key
    QHighKeyboardWidget picture(3);
    picture.rebuild();
    QSignalSpy reported(&picture, &QHighKeyboardWidget::keyboard_select);
    // RS: only factory keys and advanced keys, also right after building.
    QVERIFY(!picture.labelOf(moved)->isEnabled());
    QVERIFY(picture.labelOf(adv)->isEnabled());
    QVERIFY(picture.labelOf(a)->isEnabled());
    picture.setKind(1);
    QVERIFY(picture.labelOf(moved)->isEnabled());

    QTest::mouseClick(&picture, Qt::LeftButton, {}, centre(picture.labelOf(adv)));
    QCOMPARE(reported.size(), 1);
    QCOMPARE(reported.first().first().value<quint8>(), adv);
    QCOMPARE(picture.selectedKey(), quint8(255));
    QTest::mouseClick(&picture, Qt::LeftButton, {}, centre(picture.labelOf(a)));
    QCOMPARE(picture.selectedKey(), a);
    QTest::mouseClick(&picture, Qt::LeftButton, {}, centre(picture.labelOf(b)));
    QCOMPARE(picture.selectedKey(), b);
    QVERIFY(!static_cast<QLightKeyLabel*>(picture.labelOf(a))->isSelected());
    QTest::mouseClick(&picture, Qt::LeftButton, {}, centre(picture.labelOf(b)));
    QCOMPARE(picture.selectedKey(), quint8(255));
}

void TestQKeyboardWidget::pairPicture() {
    const quint8 first = keyOf(0x04), d = keyOf(0x07), f = keyOf(0x09), adv = keyOf(0x16);
    makeAdvanced(adv, 0, 1);
    QRsoKeyboardWidget picture(first);
    picture.rebuild();
    QSignalSpy chosen(&picture, &QRsoKeyboardWidget::keyboard_select);
    auto* firstLabel = static_cast<QLightKeyLabel*>(picture.labelOf(first));
    QVERIFY(firstLabel->isSelected() && !firstLabel->isEnabled());
    QVERIFY(!picture.labelOf(adv)->isEnabled());

    QTest::mouseClick(&picture, Qt::LeftButton, {}, centre(picture.labelOf(d)));
    QTest::mouseClick(&picture, Qt::LeftButton, {}, centre(picture.labelOf(f)));
    QTest::mouseClick(&picture, Qt::LeftButton, {}, centre(picture.labelOf(f)));
    QTest::mouseClick(&picture, Qt::LeftButton, {}, centre(firstLabel));  // disabled
    QCOMPARE(chosen.size(), 3);
    QCOMPARE(chosen.at(0).first().value<quint8>(), d);
    QCOMPARE(chosen.at(1).first().value<quint8>(), f);
    QCOMPARE(chosen.at(2).first().value<quint8>(), quint8(255));
    QVERIFY(!static_cast<QLightKeyLabel*>(picture.labelOf(d))->isSelected());
    QVERIFY(firstLabel->isSelected());
}

void TestQKeyboardWidget::naturePicture() {
    const quint8 a = keyOf(0x04), b = keyOf(0x05);
    auto t = TriggerSettingPtr::create();
    *t = TriggerSetting{a, 60, true, false, 5, 100};
    mModel->keyboardTriggerMap.insert(a, t);
    QNatureKeyboardWidget picture;
    picture.rebuild();
    auto* label = static_cast<QNatureLabel*>(picture.labelOf(a));
    QCOMPARE(label->triggerText(), QStringLiteral("0.60"));
    QCOMPARE(label->pressText(), QStringLiteral("0.05"));
    QCOMPARE(label->releaseText(), QStringLiteral("1.00"));
    QCOMPARE(label->toolTip(), QStringLiteral("快速触发模式:已开启\r\n连续快速触发:已关闭"));

    QSignalSpy released(&picture, &QNatureKeyboardWidget::keyboard_select);
    QTest::mouseClick(&picture, Qt::LeftButton, {}, centre(picture.labelOf(b)));
    QCOMPARE(released.size(), 1);
    QCOMPARE(picture.lastKey(), b);
    QCOMPARE(picture.selectedKeys(), QByteArray(1, char(b)));
    picture.setQuickVisible(false);
    picture.rebuild();
    QVERIFY(!static_cast<QNatureLabel*>(picture.labelOf(a))->isQuickVisible());
    picture.setSelectedKeys(QByteArray(1, char(a)));
    QCOMPARE(picture.selectedKeys(), QByteArray(1, char(a)));
}

void TestQKeyboardWidget::compactPlacement() {
    QWidget area;
    auto* picture = new QKeyKeyboardWidget(0, &area);
    QKeyboardWidget::placePicture(picture);
    QCOMPARE(picture->pos(), QPoint(0, 0));
    QCOMPARE(picture->size(), QSize(932, 344));
    QVERIFY(mModel->loadProduct(samplecatalogue::Compact));
    QKeyboardWidget::placePicture(picture);
    QCOMPARE(picture->pos(), QPoint(30, 27));
    QCOMPARE(picture->size(), QSize(865, 290));
}

QTEST_MAIN(TestQKeyboardWidget)
#include "tst_qkeyboardwidget.moc"
