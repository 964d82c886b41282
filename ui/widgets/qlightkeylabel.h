#pragma once
// Key label of the lighting, advanced-key and key-pair pictures.

#include "ui/widgets/qselectkeylabel.h"

class QLightKeyLabel : public QSelectKeyLabel {
    Q_OBJECT
public:
    explicit QLightKeyLabel(quint8 keyItem, QWidget* parent = nullptr);
    ~QLightKeyLabel() override;
};
