#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace velmora {

// The file a drag hands to the receiving program: "image.png" in the drag-export folder. It stays
// until the next launch, which clears the folder, so a receiver can read it after the drop.
namespace DragExportStore {

QString folder();
std::optional<QString> writeImage(const QByteArray& png);
void removeAll();

} // namespace DragExportStore

} // namespace velmora
