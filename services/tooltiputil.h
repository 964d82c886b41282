#pragma once
// Tool-tip texts in the current language, read from tip_file_*.ini in the
// data folders (AppPaths). The file is chosen once; after a language change
// the main window replaces the process-wide object by a new one.

#include <QObject>
#include <QString>
#include <memory>

class QSettings;
class QWidget;

class ToolTipUtil : public QObject {
    Q_OBJECT
public:
    // Opens the tip file of SystemConfigUtil's effective language.
    explicit ToolTipUtil(QObject* parent = nullptr);
    // Opens the given file (tests).
    explicit ToolTipUtil(const QString& tipFile, QObject* parent = nullptr);
    ~ToolTipUtil() override;

    static ToolTipUtil* instance();

    // Tip file for an effective language (1 Chinese, 3 Vietnamese, else English).
    static QString tipFile(int effectiveLanguage);
    QString fileName() const;

    // Empty when the key is missing.
    QString text(const QString& key) const;
    void setToolTip(QWidget* widget, const QString& key) const;

private:
    std::unique_ptr<QSettings> mReader;
};
