#include "model/profile.h"

namespace {

const char* const kSectionNames[Profile::SectionCount] = {"keys",   "lighting",    "advancedKeys",
                                                          "macros", "performance", "parameters"};
const char* const kKindNames[6] = {"TGL", "MT", "DKS", "RS", "OKS", "SOCD"};

}  // namespace

QString Profile::sectionName(int section) {
    for (int i = 0; i < SectionCount; ++i)
        if (section == (1 << i)) return QLatin1String(kSectionNames[i]);
    return QString();
}

int Profile::sectionFromName(const QString& name) {
    for (int i = 0; i < SectionCount; ++i)
        if (name.compare(QLatin1String(kSectionNames[i]), Qt::CaseInsensitive) == 0) return 1 << i;
    return 0;
}

QList<int> Profile::allSections() {
    return {Keys, Lighting, AdvancedKeys, Macros, Performance, Parameters};
}

int Profile::advancedBytes(quint8 kind) {
    switch (kind) {
        case 0:
            return 4;  // TGL
        case 1:
            return 10;  // MT
        case 2:
            return 17;  // DKS
        case 3:
        case 4:
            return 2;  // RS, OKS
        case 5:
            return 3;  // SOCD
        default:
            return 0;
    }
}

bool Profile::advancedHasSecondKey(quint8 kind) {
    return kind >= 3 && kind <= 5;
}

QString Profile::advancedKindName(quint8 kind) {
    return kind < 6 ? QLatin1String(kKindNames[kind]) : QString();
}
