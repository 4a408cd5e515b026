#pragma once

#include "DesktopShortcuts.h"

namespace velmora::test {

// A desktop that assigns the keys itself, told by the test what to answer: records what it was
// asked to bind and how often the user asked to change the keys; the test presses the shortcuts
// through `activated` and changes the keys through `assigned` and `assignmentsChanged`.
class FakeDesktopShortcuts final : public DesktopShortcuts
{
public:
    void bind(const QList<Request>& list) override { requests = list; }
    std::optional<QMap<QString, QString>> assignments() const override { return assigned; }
    Change change() const override { return way; }
    void requestChange() override { ++changeRequests; }
    void refresh() override { ++refreshes; }

    QList<Request> requests;
    std::optional<QMap<QString, QString>> assigned;
    Change way = Change::desktopSettings;
    int changeRequests = 0;
    int refreshes = 0;
};

} // namespace velmora::test
