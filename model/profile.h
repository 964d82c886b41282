#pragma once
// One on-keyboard profile as a readable profile file holds it: keys are named
// by their number and factory label on the keyboard the file came from, so
// that another keyboard can find the same keys. Sections the file leaves out
// are not part of it and leave the keyboard's own values alone.

#include <QList>
#include <QString>
#include <array>

#include "common/keyboardtypes.h"

struct Profile {
    enum Section : int {
        Keys = 0x01,
        Lighting = 0x02,
        AdvancedKeys = 0x04,
        Macros = 0x08,
        Performance = 0x10,
        Parameters = 0x20,
        AllSections = 0x3F,
    };
    static constexpr int SectionCount = 6;
    static constexpr int MacroCount = 10;

    // A key as the file names it: its number and factory label on the
    // keyboard the profile was taken from.
    struct Key {
        int number = -1;
        QString label;
        bool operator==(const Key& o) const { return number == o.number && label == o.label; }
    };
    struct Binding {
        Key key;
        quint8 type = 0, hValue = 0, lValue = 0;
    };
    struct Light {
        Key key;
        quint8 light = 0, r = 0, g = 0, b = 0;
    };
    struct Effect {
        quint8 item = 0;
        QString name;  // as the keyboard called it; not written back
        quint8 light = 0, speed = 0, fullColor = 0, r = 0, g = 0, b = 0;
    };
    struct Advanced {
        quint8 slot = 0;
        quint8 kind = 0;
        Key key;
        Key second;  // RS, OKS and SOCD only
        quint8 data[18] = {};
    };
    struct Trigger {
        Key key;
        quint16 trigger = 0;
        bool rapid = false, continuous = false;
        quint16 press = 0, release = 0;
    };

    QString name;
    int product = 0;
    QString productName;
    int sections = 0;  // the sections the file holds

    std::array<QList<Binding>, 2> layers;
    QList<Effect> effects;
    QList<Light> lights;
    QList<Advanced> advanced;  // used slots; every other slot is free
    std::array<bool, MacroCount> macroGiven = {};
    std::array<QList<MacroEvent>, MacroCount> macros;
    QList<Trigger> triggers;
    WholeParam params;

    // Section names as the file and the command line spell them.
    static QString sectionName(int section);
    static int sectionFromName(const QString& name);
    static QList<int> allSections();
    // Data bytes an advanced key of `kind` uses, its key in data[0] included.
    static int advancedBytes(quint8 kind);
    static bool advancedHasSecondKey(quint8 kind);
    static QString advancedKindName(quint8 kind);
};
