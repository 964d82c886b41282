#pragma once
// Keyboard use of the window: buttons, lists and sliders that the forms kept
// out of the Tab chain (Qt::NoFocus) get a place in it, and Ctrl+1 to Ctrl+7
// open the seven setting pages.

#include <functional>

class QKeyEvent;
class QWidget;

class KeyboardAccess {
public:
    // Buttons are reached by Tab only (a click does not take the focus from
    // a picture); lists, sliders and fields by Tab and click.
    static void makeReachable(QWidget* root);
    // Ctrl+1 .. Ctrl+7 call `open` with the PageIndex of a setting page.
    static void addPageShortcuts(QWidget* window, const std::function<void(int)>& open);
    // Space or Enter without modifiers: what presses a focused tile or slot.
    static bool activates(const QKeyEvent* event);
};
