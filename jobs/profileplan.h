#pragma once
// What a profile (or a configuration file) means for the open keyboard: the
// values it should hold afterwards, in this keyboard's key numbers, for the
// chosen sections; what differs from the model now; the commands that write
// those differences one at a time; and what the file names that this
// keyboard does not have. Keys of another product are matched by factory
// label and number; a key that cannot be matched is left alone, so a value
// is never written under another key.

#include <QList>
#include <QString>
#include <functional>

#include "model/configfileformat.h"
#include "model/profile.h"
#include "model/profilejson.h"

class KeyboardConfigUtil;
class UsbCommunicateUtil;

class ProfilePlan {
public:
    struct Difference {
        enum What { Binding, CustomLight, Effect, AdvancedSlot, Macro, Trigger, Parameter };
        int section = 0;
        What what = Binding;
        int layer = 0;   // Binding
        int key = -1;    // Binding, CustomLight, Trigger: the key on this keyboard
        QString label;   // its factory label
        int index = -1;  // Effect: number; AdvancedSlot: slot; Macro: 0-based
        QString field;   // Parameter: its name in the file
        QString meant;   // readable values
        QString actual;
        QString englishText() const;
    };
    // Something the file names that this keyboard lacks; left as it is.
    struct Unmatched {
        enum What { Key, Effect, AdvancedSlot };
        int section = 0;
        What what = Key;
        int key = -1;  // the number in the file
        QString label;
        int index = -1;  // Effect: number; AdvancedSlot: slot
        QString englishText() const;
    };
    // One write: a command with the queue's source, its answer code, and what
    // the model takes once the keyboard has confirmed it.
    struct Change {
        int section = 0;
        uchar answer = 0;
        std::function<void(UsbCommunicateUtil& engine, uchar source)> send;
        std::function<void(KeyboardConfigUtil& model)> commit;
    };

    // The profile's chosen sections (those it holds) over the model. False
    // with `error` when a value is outside what this keyboard accepts.
    static bool build(const Profile& profile, const KeyboardConfigUtil& model, int sections,
                      ProfilePlan* plan, ProfileJson::Error* error);
    // A configuration file written into the same keyboard: every section, the
    // advanced-key slots it lacks written free, as the import does.
    static ProfilePlan fromContent(const ConfigFileFormat::Content& content,
                                   const KeyboardConfigUtil& model);

    int sections() const { return mSections; }
    const ConfigFileFormat::Content& intended() const { return mIntended; }
    const QList<Unmatched>& unmatched() const { return mUnmatched; }

    // Values of the chosen sections that the model holds otherwise.
    QList<Difference> differences(const KeyboardConfigUtil& model) const;
    static int count(const QList<Difference>& differences, int section);
    // The writes that make the model's values the intended ones.
    QList<Change> changes(const KeyboardConfigUtil& model) const;
    // The preview as text: per section the number of values that differ,
    // then each of them, then what cannot be matched.
    QString englishPreview(const KeyboardConfigUtil& model) const;

private:
    int mSections = 0;
    ConfigFileFormat::Content mIntended;
    QList<Unmatched> mUnmatched;
};
