#include "shell/SaveAsDialog.h"

#include "output/OutputFiles.h"

#include <QDir>
#include <QFileDialog>

namespace velmora {

QString chooseSaveAsPath(QWidget* parent, const QString& folder, const QString& suggestedFileName)
{
    QFileDialog dialog(parent, QObject::tr("Save As"), folder, QObject::tr("PNG Image (*.png)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // Qt's dialog adds the suffix before it asks about replacing a file, so the question is about
    // the file that will really be written.
    dialog.setDefaultSuffix(QStringLiteral("png"));
    // Qt's own dialog, so that it can be kept above a pinned window it belongs to.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setWindowFlag(Qt::WindowStaysOnTopHint);
    dialog.selectFile(QDir(folder).filePath(suggestedFileName));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return OutputFiles::withPngExtension(dialog.selectedFiles().constFirst());
}

} // namespace velmora
