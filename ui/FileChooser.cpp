#include "ui/FileChooser.h"

#include <QComboBox>
#include <QFileDialog>

namespace dosarium {

namespace {

ChooserHook &chooserHook()
{
    static ChooserHook hook;
    return hook;
}

QString choose(QWidget *parent, const QString &title, ChooserKind kind)
{
    if (const ChooserHook &hook = chooserHook())
        return hook(kind, title);
    QFileDialog dialog(parent, title);
    // The platform's own dialogs cannot be given Romanian texts.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setLabelText(QFileDialog::LookIn, QStringLiteral("Cauta in:"));
    dialog.setLabelText(QFileDialog::Reject, QStringLiteral("Renunt"));
    dialog.setLabelText(QFileDialog::FileType, QStringLiteral("Tip fisier:"));
    if (kind == ChooserKind::File) {
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setLabelText(QFileDialog::FileName, QStringLiteral("Nume fisier:"));
        dialog.setLabelText(QFileDialog::Accept, QStringLiteral("Deschide"));
        dialog.setNameFilter(QStringLiteral("Toate fisierele (*)"));
    } else {
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly);
        dialog.setLabelText(QFileDialog::FileName, QStringLiteral("Director:"));
        dialog.setLabelText(QFileDialog::FileType, QStringLiteral("Tip:"));
        dialog.setLabelText(QFileDialog::Accept, QStringLiteral("Alege"));
        // The only type a folder picker offers.
        if (auto *types = dialog.findChild<QComboBox *>(QStringLiteral("fileTypeCombo")))
            for (int i = 0; i < types->count(); ++i)
                types->setItemText(i, QStringLiteral("Directoare"));
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

} // namespace

QString chooseFile(QWidget *parent, const QString &title)
{
    return choose(parent, title, ChooserKind::File);
}

QString chooseFolder(QWidget *parent, const QString &title)
{
    return choose(parent, title, ChooserKind::Folder);
}

ChooserHook setChooserHook(ChooserHook hook)
{
    return std::exchange(chooserHook(), std::move(hook));
}

} // namespace dosarium
