#pragma once

#include <QRect>
#include <QString>
#include <QStringList>

#include <optional>

namespace velmora {

// `velmora full|region|window|color|text` and its options, read before any window system is touched.
struct CaptureArguments
{
    QString command;               // "full", "region", "window", "color" or "text"
    QString output;                // -o FILE; empty: open the editor
    double delay = 0;              // --delay S, seconds
    std::optional<QRect> geometry; // region --geometry, native pixels
    QString helpText;              // set when --help was asked for
    QString error;                 // set when the arguments cannot be used

    static constexpr double maxDelay = 60;

    // Whether the command shows anything (a picker, the countdown or an editor), so that it needs
    // a QApplication rather than the lighter QGuiApplication.
    bool needsWidgets() const;
};

bool isCaptureCommand(const QString& command);

// `arguments` as the program got them: the program's name, the command, then its options.
CaptureArguments parseCaptureArguments(const QStringList& arguments);

} // namespace velmora
