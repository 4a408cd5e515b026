#pragma once

#include <QByteArray>
#include <QGuiApplication>
#include <QtGlobal>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

// A broken invariant is a finding like a crash: abort() makes libFuzzer keep the input.
#define FUZZ_CHECK(condition)                                                                                \
    do {                                                                                                     \
        if (!(condition)) {                                                                                  \
            std::fprintf(stderr, "invariant broken: %s (%s:%d)\n", #condition, __FILE__, __LINE__);          \
            std::abort();                                                                                    \
        }                                                                                                    \
    } while (false)

namespace velmora::fuzz {

// The fuzz input without a copy; valid for the one call.
inline QByteArray bytes(const uint8_t* data, size_t size)
{
    return QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
}

// Text layout and image plugins need a QGuiApplication; the offscreen platform needs no display.
// Qt's warnings about malformed input are expected by the million and would only slow the run down,
// so they are dropped; a fatal message still aborts.
inline void startGuiApplication()
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (type == QtFatalMsg) {
            std::fprintf(stderr, "%s\n", qPrintable(message));
            std::abort();
        }
    });
    static int argc = 1;
    static char name[] = "velmora-fuzz";
    static char* argv[] = {name, nullptr};
    // Lives for the whole process; destroying it during exit() would race libFuzzer's own shutdown.
    static QGuiApplication* application = new QGuiApplication(argc, argv);
    Q_UNUSED(application);
}

} // namespace velmora::fuzz
