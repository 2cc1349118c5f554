// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

namespace kivo {

// Where the lines a user has not seen begin in a window: the first line that came while the
// window was not active. It stays there until the user has looked at the window and lines
// come again while it is not active; then it moves to the first of those.
class UnreadMarker {
public:
    // A line (absolute, as the transcript counts them) came in.
    void arrived(qint64 line, bool windowActive) {
        if (windowActive || (line_ >= 0 && !looked_))
            return;
        line_ = line;
        looked_ = false;
    }
    // The window became the active window.
    void looked() { looked_ = true; }
    // Lines came that the user has not looked at yet.
    bool waiting() const { return line_ >= 0 && !looked_; }
    // The line the marker is drawn above; -1 for none.
    qint64 line() const { return line_; }

private:
    qint64 line_ = -1;
    bool looked_ = false;
};

} // namespace kivo
