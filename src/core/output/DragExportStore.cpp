#include "output/DragExportStore.h"

#include "imaging/AtomicFile.h"
#include "output/AppFolders.h"

#include <QDir>
#include <QFileInfo>

namespace velmora::DragExportStore {

QString folder()
{
    return AppFolders::dragExports();
}

std::optional<QString> writeImage(const QByteArray& png)
{
    const QString path = QDir(folder()).filePath(QStringLiteral("image.png"));
    if (!writeFileAtomically(path, png)) {
        return std::nullopt;
    }
    return path;
}

void removeAll()
{
    QDir dir(folder());
    for (const QString& name :
         dir.entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden)) {
        const QString path = dir.filePath(name);
        if (QFileInfo(path).isDir() && !QFileInfo(path).isSymLink()) {
            QDir(path).removeRecursively();
        } else {
            QFile::remove(path);
        }
    }
}

} // namespace velmora::DragExportStore
