#include "playlistdialogs.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace {

QCheckBox *appendBox(QWidget *parent)
{
    auto *box = new QCheckBox(QString::fromUtf8(AppendCaption), parent);
    box->setObjectName(QStringLiteral("appendBox"));
    return box;
}

// The program's own file dialog (not the desktop's), which can take the
// check box and looks the same everywhere.
QFileDialog *fileDialog(QWidget *parent, const QString &title, const QString &folder, const char *name)
{
    auto *dialog = new QFileDialog(parent, title, folder);
    dialog->setObjectName(QLatin1String(name));
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    // The program carries no translations of the toolkit's own texts.
    dialog->setLabelText(QFileDialog::LookIn, QStringLiteral("查找范围："));
    dialog->setLabelText(QFileDialog::FileName, QStringLiteral("文件名："));
    dialog->setLabelText(QFileDialog::FileType, QStringLiteral("文件类型："));
    dialog->setLabelText(QFileDialog::Reject, QStringLiteral("取消"));
    return dialog;
}

} // namespace

QFileDialog *makeImportFileDialog(QWidget *parent, const QString &folder)
{
    QFileDialog *dialog = fileDialog(parent, QStringLiteral("导入播放列表"), folder, "importFileDialog");
    dialog->setFileMode(QFileDialog::ExistingFiles);
    dialog->setLabelText(QFileDialog::Accept, QStringLiteral("打开"));
    dialog->setNameFilters({QStringLiteral("播放列表 (*.m3u *.m3u8 *.pls *.M3U *.M3U8 *.PLS)"),
                            QStringLiteral("所有文件 (*)")});
    // The dialog lays itself out in a grid; the box goes in a row of its own.
    if (auto *grid = qobject_cast<QGridLayout *>(dialog->layout()))
        grid->addWidget(appendBox(dialog), grid->rowCount(), 0, 1, -1);
    else
        appendBox(dialog)->hide();
    return dialog;
}

bool appendChecked(const QWidget *dialog)
{
    const auto *box = dialog->findChild<QCheckBox *>(QStringLiteral("appendBox"));
    return box && box->isChecked();
}

QFileDialog *makeExportFileDialog(QWidget *parent, const QString &folder, const QString &fileName)
{
    QFileDialog *dialog = fileDialog(parent, QStringLiteral("导出播放列表"), folder, "exportFileDialog");
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setLabelText(QFileDialog::Accept, QStringLiteral("保存"));
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setNameFilter(QStringLiteral("M3U8 播放列表 (*.m3u8)"));
    dialog->setDefaultSuffix(QStringLiteral("m3u8"));
    dialog->selectFile(fileName);
    return dialog;
}

UrlImportDialog::UrlImportDialog(QWidget *parent)
    : QDialog(parent)
    , m_url(new QLineEdit(this))
    , m_append(appendBox(this))
{
    setObjectName(QStringLiteral("importUrlDialog"));
    setWindowTitle(QStringLiteral("从网址导入播放列表"));
    setAttribute(Qt::WA_DeleteOnClose);
    m_url->setObjectName(QStringLiteral("urlBox"));
    m_url->setPlaceholderText(QStringLiteral("http://…/playlist.m3u8"));
    m_url->setMinimumWidth(420);
    auto *buttons = new QDialogButtonBox(this);
    QPushButton *ok = buttons->addButton(QStringLiteral("导入"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole);
    ok->setEnabled(false);
    connect(m_url, &QLineEdit::textChanged, ok, [ok](const QString &text) { ok->setEnabled(acceptable(text)); });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("播放列表的网址："), this));
    layout->addWidget(m_url);
    layout->addWidget(m_append);
    layout->addWidget(buttons);
}

QString UrlImportDialog::url() const { return m_url->text().trimmed(); }

bool UrlImportDialog::append() const { return m_append->isChecked(); }

bool UrlImportDialog::acceptable(const QString &text)
{
    const QUrl url(text.trimmed(), QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    return url.isValid() && (scheme == u"http" || scheme == u"https") && !url.host().isEmpty();
}
