#pragma once

#include <QObject>
#include <QRect>
#include <QString>

namespace velmora {

class CaptureJob;
class ScreenCapture;

// One rectangle of the desktop watched for as long as a scrolling capture lasts, so that it can be
// grabbed many times a second. Some displays need time (and the user's consent) before the first
// picture: until ready() the rectangle cannot be grabbed. Ending the stream (deleting it) lets go
// of everything the display shares with it.
class AreaStream : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // Whether grab() may be called: after ready() and before failed() or cancelled().
    virtual bool isReady() const = 0;
    // The rectangle as it is now, in native pixels (devicePixelRatio 1). Ends like any grab.
    virtual CaptureJob* grab() = 0;

Q_SIGNALS:
    // Pictures can be grabbed from now on. Emitted at most once, never from inside the call that
    // opened the stream.
    void ready();
    // The stream cannot give pictures (any more); one line for the user.
    void failed(const QString& message);
    // The user declined in the desktop's dialog.
    void cancelled();
};

// The stream of a display that grabs a rectangle quickly enough on demand: every grab() is a
// ScreenCapture::grabArea, and it is ready at once.
class GrabAreaStream final : public AreaStream
{
    Q_OBJECT

public:
    GrabAreaStream(ScreenCapture& capture, const QRect& native, QObject* parent = nullptr);

    bool isReady() const override { return true; }
    CaptureJob* grab() override;

private:
    ScreenCapture& m_capture;
    QRect m_native;
};

} // namespace velmora
