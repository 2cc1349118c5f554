// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ClockTimer.h"

#include <QObject>

namespace kivo {

// Text cursors stop blinking after a while without input and start again at the next key or
// click, as GTK's do: a cursor that blinks forever wakes the program several times a second
// while nobody is there.
class CursorRest : public QObject {
    Q_OBJECT
public:
    static constexpr int RestAfterMs = 10'000;

    // Watches the application's input from now on.
    explicit CursorRest(QObject* parent = nullptr);
    ~CursorRest() override;

    bool resting() const { return resting_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void rest();

    int flashTime_; // the desktop's own
    bool resting_ = false;
    ClockTimer idle_;
};

} // namespace kivo
