#pragma once
// The configuration model as one JSON object, keyed by container name; maps
// become arrays ordered by key, records keep their field names.

#include <QJsonObject>
#include <QString>

class KeyboardConfigUtil;

class ModelJson {
public:
    static QJsonObject toJson(const KeyboardConfigUtil& model);
    // A short readable summary for people.
    static QString summary(const KeyboardConfigUtil& model);
};
