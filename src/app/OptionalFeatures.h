// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ClockTimer.h"
#include "HistoryLosses.h"
#include "HistoryStore.h"
#include "MessageBoxes.h"
#include "Notices.h"
#include "Notifier.h"
#include "Preferences.h"
#include "Reconnector.h"
#include "UnsentText.h"
#include "WindowPlaces.h"

#include <QObject>
#include <QPointer>
#include <memory>

class QAction;
class QDBusServiceWatcher;

namespace kivo {

struct CertificateRefusal;
class Form1;
class FormChat;
class TrayIcon;
class frmSearchHistory;

// What Kivo does beyond its described behaviour, each switched in Preferences: desktop
// notifications, reconnecting, the history and its search. It owns them and wires them to
// the main window, the connection and the chat windows through their signals, so that the
// main window keeps only its described controls and handlers.
class OptionalFeatures : public QObject {
    Q_OBJECT
public:
    static constexpr int HistoryCleanupInterval = 24 * 60 * 60 * 1000; // once a day

    // Made once the main window has its menus and its connection's handlers.
    explicit OptionalFeatures(Form1& form);
    ~OptionalFeatures() override;

    Preferences& preferences() { return preferences_; }
    Notifier& notifier() { return notifier_; }
    Reconnector& reconnector() { return reconnector_; }
    HistoryStore* history() const { return history_.get(); }

    QAction* mnuStopReconnecting;
    QAction* mnuSearchHistory;
    QAction* mnuPreferences;

    // A message the main window has shown in its window, and whether a Kivo window was
    // active when it came. Called for every line, so a call, not a signal.
    void privateMessageShown(FormChat* chat, const QString& sender, const QString& text,
                             bool kivoWasActive);
    void conferenceLineShown(FormChat* room, const QString& message, bool kivoWasActive);

    // The main window is closing, and the chat windows with it: where they are is kept while
    // the preference asks for it.
    void keepWindowPlaces();
    // Kivo's icon in the notification area, while the preference shows it; none otherwise.
    TrayIcon* tray() const { return tray_.get(); }

    void mnuPreferences_Click();
    // Ctrl++ (+1), Ctrl+- (-1), Ctrl+0 (0: back to the default) from any window; kept for all.
    void zoom(int change);
    // The search window, limited to a conversation when it comes from a chat window.
    void searchHistory(FormChat* from);

protected:
    // Closing the main window hides it while Kivo keeps running in the notification area.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenus();
    void applyTrayPreferences();
    void onNotificationAreaGone();
    void onNotificationActivated(const QString& conversation, const QString& activationToken);
    void onConnectionDropped(const QString& host, quint16 port);
    void onReconnected();
    void showNextTry();
    void applyHistoryPreference();
    // The preferences that only set a switch elsewhere (the history and the keyring do more).
    void applySimplePreferences();
    void applyUnsentText(bool keep);
    void onCertificateRefused(const QString& host, quint16 port, const CertificateRefusal& refusal);
    void showEncryption();
    bool openHistory();
    void removeOldHistory();
    void showHistoryUpdate(int percent);

    Form1& form_;
    Preferences preferences_;
    Notifier notifier_;
    Notices notices_{preferences_, notifier_};
    Reconnector reconnector_;
    std::unique_ptr<HistoryStore> history_;
    std::unique_ptr<UnsentText> unsent_;
    HistoryLosses historyLosses_{[](const QString& text) { warn(text); }};
    ClockTimer historyCleanup_;
    int retentionDays_ = -1; // the days old lines were last removed after
    QPointer<frmSearchHistory> search_;
    std::unique_ptr<TrayIcon> tray_;
    // The panel that shows the notification area, coming and going.
    QDBusServiceWatcher* panel_ = nullptr;
    WindowPlaces places_{preferences_};
};

} // namespace kivo
