#include "editor/EditHistory.h"

#include <QSet>

namespace velmora {

void EditHistory::push(EditorSnapshot before)
{
    m_undo.append(std::move(before));
    m_redo.clear();
    if (m_undo.size() > maxDepth) {
        m_undo.remove(0, m_undo.size() - maxDepth);
    }
    trimImageGenerations();
}

// Keeps at most four distinct images alive through the history: when a fifth appears, the whole
// leading run of the oldest image goes.
void EditHistory::trimImageGenerations()
{
    while (m_undo.size() >= 2) {
        QSet<qint64> seen;
        for (const EditorSnapshot& snapshot : std::as_const(m_undo)) {
            seen.insert(snapshot.image.cacheKey());
            if (seen.size() > maxImageGenerations) {
                break;
            }
        }
        if (seen.size() <= maxImageGenerations) {
            return;
        }
        const qint64 oldest = m_undo.front().image.cacheKey();
        while (!m_undo.isEmpty() && m_undo.front().image.cacheKey() == oldest) {
            m_undo.removeFirst();
        }
    }
}

std::optional<EditorSnapshot> EditHistory::undo(EditorSnapshot current)
{
    if (m_undo.isEmpty()) {
        return std::nullopt;
    }
    EditorSnapshot previous = m_undo.takeLast();
    m_redo.append(std::move(current));
    return previous;
}

std::optional<EditorSnapshot> EditHistory::redo(EditorSnapshot current)
{
    if (m_redo.isEmpty()) {
        return std::nullopt;
    }
    EditorSnapshot next = m_redo.takeLast();
    m_undo.append(std::move(current));
    return next;
}

void EditHistory::clear()
{
    m_undo.clear();
    m_redo.clear();
}

} // namespace velmora
