// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "TranscriptModel.h"

#include <QTimer>
#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace kivo {

class HistoryStore;
class TranscriptView;

// Searches the stored history as the user types (after a short pause), newest first, with
// the matched words in bold; the lines around a chosen result are shown below. From a chat
// window the search keeps to that conversation until widened.
class frmSearchHistory : public QWidget {
    Q_OBJECT
public:
    frmSearchHistory(HistoryStore& history, QWidget* owner);

    // Limits the search to one conversation; an empty one searches them all.
    void setScope(const QString& conversation, const QString& title);

    static constexpr int TypingPause = 250; // ms

    // Searches at once for what is typed (as the pause after typing does).
    void runSearch();

private:
    void showAround(QListWidgetItem* item);
    void deleteConversation();
    void deleteAll();
    QString chosenConversation() const;
    QString chosenTitle() const;

    QLineEdit* txtQuery;
    QCheckBox* chkAllConversations;
    QListWidget* lstResults;
    QLabel* lblContext;
    QLabel* lblSearchError;
    TranscriptView* txtContext;
    QPushButton* cmdDeleteConversation;
    QPushButton* cmdDeleteAll;
    HistoryStore& history_;
    QString scope_;
    QString scopeTitle_;
    QTimer pause_;
};

} // namespace kivo
