#pragma once
// Base of the keyboard pictures: one label per drawn key, placed by the
// product's key positions and filled by the label rule from the key's
// binding, over a keyboard plate. The picture paints its labels itself. The pictures differ only in
// the label class they create and in how keys are selected. With the focus,
// the arrow keys move a cursor over the keys, Space presses the key under it
// and Enter reports it (keyEntered).

#include <QColor>
#include <QList>
#include <QPixmap>
#include <QWidget>

#include "common/keyboardtypes.h"
#include "ui/widgets/keylabelhost.h"
#include "ui/widgets/keypictureaccess.h"

class QLabel;
class KeyboardConfigUtil;

class QKeyboardWidget : public QWidget, public KeyPictureAccess {
    Q_OBJECT
    Q_PROPERTY(QColor plateColor READ plateColor WRITE setPlateColor)
    Q_PROPERTY(QColor plateBorderColor READ plateBorderColor WRITE setPlateBorderColor)
public:
    // Size of a full picture; the compact products (259, 260) get 865 x 290.
    static constexpr int PictureWidth = 932;
    static constexpr int PictureHeight = 344;

    // `className` names the picture in its creation and destruction lines.
    QKeyboardWidget(const QString& className, int layer, QWidget* parent = nullptr);
    ~QKeyboardWidget() override;

    // Deletes the labels and builds them again from the model.
    void rebuild();
    int layer() const { return mLayer; }
    // Sets the layer the picture shows and rebuilds it.
    void rebuild(int layer);

    const QList<QLabel*>& labels() const { return mLabels; }
    QLabel* labelOf(quint8 keyItem) const;
    // Key number of one of the labels; 255 for a label not in the picture.
    quint8 keyItemOf(const QLabel* label) const;
    // The label under a point of this widget, or null.
    QLabel* labelAt(const QPoint& pos) const;

    // The placement of a page's picture: 865 x 290 at (30, 27) for the
    // products 259 and 260, (0, 0) for all others.
    static bool isCompactProduct(const KeyboardConfigUtil* model);
    static void placePicture(QWidget* picture);

    // The label rule: text, image (from the current theme's folder) and tool
    // tip of a binding. Advanced keys are shown by the kind of their record.
    static void applyLabelRule(QLabel* label, const KeyBindingPtr& binding);
    static void applyLabelRule(QLabel* label, quint8 type, quint8 hValue, quint8 lValue);
    // A key image by its path, read once.
    static QPixmap keyImage(const QString& path);
    // The image folder of the current theme.
    static QString imageFolder();
    // The model the pictures read (the process-wide one).
    static KeyboardConfigUtil* model();

    // A readable name of a binding in the current language ("W", "Mute",
    // "no function", "MT"); empty when the catalogue does not know it.
    static QString bindingName(quint8 type, quint8 hValue, quint8 lValue);
    // What the advanced key of slot `item` does, read from its record for the
    // key `keyItem` ("MT: tap A, hold Left Ctrl", "RS: with D"); empty when
    // the model holds no such slot.
    static QString advancedKeyText(quint8 item, quint8 keyItem);
    // TGL, MT, DKS, RS, OKS or SOCD; empty for an unknown kind.
    static QString advancedKindName(quint8 kind);

    // KeyPictureAccess
    const QList<QLabel*>& accessibleKeys() const override { return mLabels; }
    QString keyName(const QLabel* key) const override;
    QString keyDescription(const QLabel* key) const override;
    bool isKeySelected(const QLabel* key) const override;
    void pressKey(QLabel* key) override;
    QLabel* focusKey() const override { return mHost.focusLabel(); }
    // Puts the focus cursor on a key (it shows while the picture has the focus).
    void setFocusKey(quint8 keyItem);

    QColor plateColor() const { return mPlateColor; }
    void setPlateColor(const QColor& color);
    QColor plateBorderColor() const { return mPlateBorderColor; }
    void setPlateBorderColor(const QColor& color);

signals:
    // The labels were built again.
    void rebuilt();
    // Enter was pressed on the key under the focus cursor.
    void keyEntered(quint8 keyItem);

protected:
    // Creates the label of one drawn key (parented to this widget).
    virtual QLabel* createLabel(const KeyPositionPtr& position) = 0;
    // Fills a label from the key's binding in the picture's layer; by default
    // the label rule.
    virtual void fillLabel(QLabel* label, const KeyPositionPtr& position,
                           const KeyBindingPtr& binding);
    // Called before the old labels go (selection state that refers to them).
    virtual void beforeBuild() {}
    // Called after all labels exist (selection and enabling rules).
    virtual void afterBuild() {}
    // A picture whose fillLabel() sets every state of a label may keep its
    // labels when the key positions are the same records as before.
    virtual bool reuseLabels() const { return false; }

    // The binding a label shows in the picture's layer.
    KeyBindingPtr bindingOf(quint8 keyItem) const;
    // Keys bound to RS, OKS or SOCD cannot be remapped.
    static bool isPairAdvancedKey(const KeyBindingPtr& binding);
    // Layer-0 binding is an ordinary key equal to its factory default.
    static bool isFactoryOrdinaryKey(quint8 keyItem);

    // Plate and keys: the labels are painted here, never as widgets.
    void paintEvent(QPaintEvent* event) override;
    // Tool tips of the keys, hover and clicks of clickable keys.
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void clearLabels();
    // True when the drawn keys are mPositions (records equal in value).
    bool samePositions() const;
    // Takes the model's current records for the drawn keys.
    void adoptPositions();
    void applyThemeColours();
    QPixmap platePixmap() const;

    QString mClassName;
    int mLayer = 0;
    QList<QLabel*> mLabels;
    QList<quint8> mKeyItems;           // parallel to mLabels
    QList<KeyPositionPtr> mPositions;  // parallel to mLabels
    QRect mPlate;
    QColor mPlateColor;
    QColor mPlateBorderColor;
    bool mPlateColourSet = false;
    KeyLabelHost mHost;
};
