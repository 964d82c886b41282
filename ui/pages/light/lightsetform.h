#pragma once
// LightSetForm: page PageLight of the main window. The lighting picture on
// top; below it the effect buttons the keyboard reported (custom mode first)
// and the parameters of the current effect: brightness, speed, full colour
// and the colour picker, each shown by the effect's functionFlag. In custom
// mode brightness and colour go to the selected keys. Every change is sent
// to the keyboard and shown once the keyboard confirms it; changes made
// while one is on its way wait for it, so that each confirmation meets the
// change it was sent for.

#include <QByteArray>
#include <QColor>
#include <QList>
#include <QMap>
#include <QPointer>
#include <memory>

#include "ui/pages/settingpage.h"
#include "ui/widgets/qlightkeyboardwidget.h"

namespace Ui {
class LightSetForm;
}
class QLineEdit;
class QToolButton;
class RequestQueue;

class LightSetForm : public SettingPage {
    Q_OBJECT
public:
    // Effect numbers of the page state besides the keyboard's effects.
    static constexpr int EffectNone = 254;
    static constexpr int EffectCustom = 255;
    static constexpr int DefaultLight = 50;
    static constexpr int DefaultSpeed = 50;

    explicit LightSetForm(QWidget* parent = nullptr);
    ~LightSetForm() override;

    void enter() override;

    int currentEffect() const { return mCurrent; }
    int pageLight() const { return mLight; }
    int pageSpeed() const { return mSpeed; }
    bool pageFullColor() const { return mFullColor; }
    QColor pageColor() const { return mColor; }
    QLightKeyboardWidget* keyboardWidget() const { return mPicture; }
    // A change is on its way to the keyboard or waits to go.
    bool isBusy() const;
    // The button of an effect (EffectCustom for the custom one), or null.
    QToolButton* effectButton(int item) const { return mEffectButtons.value(item); }
    // The selected keys and every key that shares a position with one of them.
    QByteArray keysWithSharedPositions(const QByteArray& selected) const;

public slots:
    void refreshLanguageUi() override;
    void usb_communicate_error(uchar source, uchar order, int error);
    void usb_receive_set_custom_light(uchar source, int current, int total);
    void usb_receive_set_effect_light(uchar source, int current, int total);
    void usb_receive_set_effect_light_language(uchar source, int current, int total);
    void usb_receive_select_effect_light(uchar source, int current, int total, int index);
    void on_selectAllBtn_clicked();
    void on_invertBtn_clicked();
    void on_deselectAllBtn_clicked();
    void lightSliderClicked(int type, int value);
    void speedSliderClicked(int type, int value);
    void on_colorCheckBox_stateChanged(int state);
    void on_purpleColorBtn_clicked();
    void on_pinkColorBtn_clicked();
    void on_colourColorBtn_clicked();
    void on_orangeColorBtn_clicked();
    void on_lyellowColorBtn_clicked();
    void on_yellowColorBtn_clicked();
    void on_lgreenColorBtn_clicked();
    void on_greenColorBtn_clicked();
    void on_blueColorBtn_clicked();
    void on_hblueColorBtn_clicked();
    // A colour chosen on the wheel.
    void colorChanged(const QColor& color);

private:
    enum class Field { Light, Speed, FullColor, Color };
    enum class Kind { Select, CustomLight, EffectLight, Names };
    // One command of this page, sent when the one before it ended.
    struct Change {
        Kind kind = Kind::Select;
        int effect = EffectNone;  // Select and EffectLight
        Field field = Field::Light;
        int value = 0;    // Light, Speed, FullColor
        QColor color;     // Color; CustomLight's colour
        int light = 0;    // CustomLight's brightness
        QByteArray keys;  // CustomLight's keys
    };
    // Where a colour came from: that control keeps its own state.
    enum class ColorSource { Other, Palette, Slider, Hex, Fields };

    void connectControls();
    // Names of the controls that show no text of their own, for screen readers.
    void nameControls();
    // Page tabs, picture, selection buttons, effects, then the parameters.
    void placeInTabChain();
    void rebuildPicture();
    // What the picture shows: positions, bindings, per-key lights, theme.
    QByteArray pictureFingerprint() const;
    // The effect buttons' items: custom first, then the keyboard's effects.
    QList<int> effectItems() const;
    void rebuildEffectButtons();
    void relabelEffectButtons();
    void markCurrentEffect();
    void effectButtonClicked(int item);
    // Shows the rows of the current effect and loads them.
    void showParameters();
    void showLight(int value);
    void showSpeed(int value);
    void showFullColor(bool on);
    // Puts the colour into every colour control except the one it came from.
    void showColor(const QColor& color, ColorSource from);
    void chooseColor(const QColor& color, ColorSource from);
    void hexEdited();
    void channelEdited();
    void previewColor(const QColor& color);
    // A parameter changed by the user: sent as the current effect needs it.
    void applyChange(Field field, int value, const QColor& color = QColor());
    bool isKnownEffect(int item) const;
    void enqueue(const Change& change);
    // False when there is nothing to send for it.
    bool startChange(const Change& change);
    void changeConfirmed(const Change& done);
    void changeFailed(const Change& change, int error);
    void abandonChanges();

    std::unique_ptr<Ui::LightSetForm> ui;
    QPointer<QLightKeyboardWidget> mPicture;
    QMap<int, QToolButton*> mEffectButtons;
    QByteArray mPictureInputs;  // pictureFingerprint() of the built picture
    QList<int> mEffectItems;    // effectItems() of the built buttons
    QList<QLineEdit*> mChannelEdits;
    RequestQueue* mRequests = nullptr;

    int mCurrent = EffectNone;
    int mLight = DefaultLight;
    int mSpeed = DefaultSpeed;
    bool mFullColor = false;
    QColor mColor = QColor(255, 255, 255);
    // Custom mode's brightness and colour as the keyboard last confirmed them.
    int mConfirmedLight = DefaultLight;
    QColor mConfirmedColor = QColor(255, 255, 255);

    bool mShowing = false;  // controls are being loaded, not changed by the user
};
