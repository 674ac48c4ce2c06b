#include "shell/AppDialogs.h"

#include "shell/Globals.h"

#include <QFileDialog>
#include <QFileInfo>

namespace {

class RealDialogs : public DialogService
{
public:
    QMessageBox::StandardButton message(const QString &text,
                                        QMessageBox::Icon icon,
                                        QMessageBox::StandardButtons buttons) override
    {
        QMessageBox box(icon, QString::fromLatin1(AppTitle), text, buttons, AppWindow());
        return QMessageBox::StandardButton(box.exec());
    }

    FileDialogResult openFile(const FileDialogOptions &options) override
    {
        return run(options, QFileDialog::AcceptOpen);
    }

    FileDialogResult saveFile(const FileDialogOptions &options) override
    {
        return run(options, QFileDialog::AcceptSave);
    }

private:
    static FileDialogResult run(const FileDialogOptions &options, QFileDialog::AcceptMode mode)
    {
        QFileDialog dialog(AppWindow(), options.title);
        dialog.setAcceptMode(mode);
        dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                           : QFileDialog::AnyFile);
        dialog.setDefaultSuffix(options.defaultExtension);
        const QStringList filters = QtNameFilters(options.filter);
        dialog.setNameFilters(filters);
        if (options.filterIndex >= 1 && options.filterIndex <= filters.size())
            dialog.selectNameFilter(filters[options.filterIndex - 1]);
        if (!options.fileName.isEmpty()) {
            const QFileInfo info(options.fileName);
            if (info.isAbsolute())
                dialog.setDirectory(info.absolutePath());
            dialog.selectFile(info.fileName());
        }
        FileDialogResult result;
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return result;
        result.accepted = true;
        result.path = dialog.selectedFiles().constFirst();
        result.filterIndex = int(filters.indexOf(dialog.selectedNameFilter())) + 1;
        if (result.filterIndex < 1)
            result.filterIndex = options.filterIndex;
        return result;
    }
};

RealDialogs g_real;
DialogService *g_service = nullptr;

} // namespace

DialogService &Dialogs()
{
    return g_service ? *g_service : g_real;
}

void SetDialogService(DialogService *service)
{
    g_service = service;
}

QMessageBox::StandardButton ShowAppMessage(const QString &text,
                                           QMessageBox::Icon icon,
                                           QMessageBox::StandardButtons buttons)
{
    return Dialogs().message(text, icon, buttons);
}

QStringList QtNameFilters(const QString &filter)
{
    QStringList out;
    const QStringList parts = filter.split('|');
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts[i].trimmed();
        const QString patterns = QString(parts[i + 1]).replace(';', ' ').simplified();
        // Descriptions often show their own pattern already: "Programs (*.hpprg)".
        if (description.endsWith('(' + patterns + ')'))
            out << description;
        else
            out << description + " (" + patterns + ')';
    }
    return out;
}
