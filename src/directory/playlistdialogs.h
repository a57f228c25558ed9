#pragma once

#include <QDialog>
#include <QString>

class QCheckBox;
class QFileDialog;
class QLineEdit;
class QWidget;

// The dialogs of the playlist commands. Each is made hidden, deletes itself
// once closed, and is opened with open() so that the window goes on
// working while it shows.

// The text of the check box that makes an import append.
inline constexpr const char *AppendCaption = "追加到当前列表";

// 导入播放列表…: one or more .m3u, .m3u8 or .pls files, with the check box
// 追加到当前列表 (object name "appendBox") under the file list.
QFileDialog *makeImportFileDialog(QWidget *parent, const QString &folder);
// Whether the import file dialog's check box is ticked.
bool appendChecked(const QWidget *dialog);

// 导出播放列表…: where to save the M3U8 file.
QFileDialog *makeExportFileDialog(QWidget *parent, const QString &folder, const QString &fileName);

// 从网址导入播放列表…: the playlist's address (box "urlBox"), the check box
// 追加到当前列表 ("appendBox") and 导入 / 取消. 导入 is enabled only for an
// http or https address with a host.
class UrlImportDialog : public QDialog
{
    Q_OBJECT
public:
    explicit UrlImportDialog(QWidget *parent = nullptr);

    QString url() const;
    bool append() const;

    // Whether the text is an address this dialog accepts.
    static bool acceptable(const QString &text);

private:
    QLineEdit *m_url;
    QCheckBox *m_append;
};
