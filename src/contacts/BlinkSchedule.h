// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <QList>
#include <QObject>

namespace kivo {

class ContactTree;
struct ContactNode;

// A contact that sent a message flashes bold red for three seconds; all blinking contacts
// flash in one phase, driven by a 400 ms tick.
class BlinkSchedule : public QObject {
    Q_OBJECT
public:
    static constexpr int TickInterval = 400;
    static constexpr int LifeMs = 3000;

    struct Entry {
        ContactNode* node;
        QDateTime endTime;
    };

    explicit BlinkSchedule(ContactTree& tree, QObject* parent = nullptr);

    // Starts the blink, or makes a running one last three seconds from now.
    void StartBlinkContact(ContactNode* node);
    void tmrBlink_Timer();

    const QList<Entry>& BlinkList() const { return entries_; }
    bool BlinkState() const { return state_; }

private:
    void forget(ContactNode* node);

    ContactTree& tree_;
    QList<Entry> entries_;
    bool state_ = false;
};

} // namespace kivo
