#include "services/tooltiputil.h"

#include <QDebug>
#include <QPointer>
#include <QSettings>
#include <QWidget>

#include "services/systemconfigutil.h"
#include "common/apppaths.h"

namespace {
QPointer<ToolTipUtil> gInstance;

int currentLanguage() {
    const SystemConfigUtil* config = SystemConfigUtil::instance();
    return config ? config->effectiveLanguage() : 1;
}
}  // namespace

ToolTipUtil::ToolTipUtil(QObject* parent) : ToolTipUtil(tipFile(currentLanguage()), parent) {}

ToolTipUtil::ToolTipUtil(const QString& tipFile, QObject* parent)
    : QObject(parent), mReader(std::make_unique<QSettings>(tipFile, QSettings::IniFormat)) {
    qInfo().noquote() << QStringLiteral("=== ToolTipUtil 初始化 ===");
    qInfo().noquote() << QStringLiteral("=== ToolTipUtil 提示文件:{ ") + tipFile +
                             QStringLiteral(" } ===");
    gInstance = this;
}

ToolTipUtil::~ToolTipUtil() {
    mReader.reset();
    qInfo().noquote() << QStringLiteral("=== ToolTipUtil 销毁 ===");
}

ToolTipUtil* ToolTipUtil::instance() {
    return gInstance.data();
}

QString ToolTipUtil::tipFile(int effectiveLanguage) {
    switch (effectiveLanguage) {
        case 1:
            return AppPaths::readableDataFile(QStringLiteral("tip_file_cn.ini"));
        case 3:
            return AppPaths::readableDataFile(QStringLiteral("tip_file_vn.ini"));
        default:
            return AppPaths::readableDataFile(QStringLiteral("tip_file_en.ini"));
    }
}

QString ToolTipUtil::fileName() const {
    return mReader ? mReader->fileName() : QString();
}

QString ToolTipUtil::text(const QString& key) const {
    if (!mReader) return QString();
    const QVariant value = mReader->value(key);
    // An unquoted INI value with commas reads back as a list; a tip text is
    // one sentence, so put the commas back.
    if (value.typeId() == QMetaType::QStringList) {
        return value.toStringList().join(QStringLiteral(", "));
    }
    return value.toString();
}

void ToolTipUtil::setToolTip(QWidget* widget, const QString& key) const {
    if (widget) widget->setToolTip(text(key));
}
