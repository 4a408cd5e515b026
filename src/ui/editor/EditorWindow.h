#pragma once

#include <QWidget>

namespace velmora {

class EditorSession;
class EditorView;

// A normal, decorated top-level window around one editor. Tells its owner when it closes.
class EditorWindow : public QWidget
{
    Q_OBJECT

public:
    EditorWindow(EditorSession& session, EditorView* view, QWidget* parent = nullptr);

    EditorSession& session() const { return m_session; }
    EditorView* view() const { return m_view; }

Q_SIGNALS:
    void closing(velmora::EditorWindow* window);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    EditorSession& m_session;
    EditorView* m_view;
    bool m_closed = false;
};

} // namespace velmora
