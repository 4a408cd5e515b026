#include "editor/EditorWindow.h"

#include "editor/EditorView.h"

#include <QCloseEvent>
#include <QVBoxLayout>

namespace velmora {

EditorWindow::EditorWindow(EditorSession& session, EditorView* view, QWidget* parent)
    : QWidget(parent, Qt::Window), m_session(session), m_view(view)
{
    setWindowTitle(QStringLiteral("Velmora"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    view->setParent(this);
    layout->addWidget(view);
}

void EditorWindow::closeEvent(QCloseEvent* event)
{
    event->accept();
    if (!m_closed) {
        m_closed = true;
        Q_EMIT closing(this);
    }
}

} // namespace velmora
