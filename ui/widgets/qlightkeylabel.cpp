#include "ui/widgets/qlightkeylabel.h"

QLightKeyLabel::QLightKeyLabel(quint8 keyItem, QWidget* parent)
    : QSelectKeyLabel(QStringLiteral("QLightKeyLabel"), keyItem, parent) {}

QLightKeyLabel::~QLightKeyLabel() = default;
