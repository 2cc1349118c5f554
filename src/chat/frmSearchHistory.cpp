// SPDX-License-Identifier: GPL-3.0-or-later
#include "frmSearchHistory.h"

#include "HistoryStore.h"
#include "MessageBoxes.h"
#include "Text.h"
#include "TranscriptFormat.h"
#include "TranscriptView.h"
#include "Widgets.h"

#include <QCheckBox>
#include <QDateTime>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTextLayout>
#include <QVBoxLayout>

namespace kivo {
namespace {

enum Role { MatchesRole = Qt::UserRole, IdRole, ConversationRole, TitleRole };

// A result row: plain text, the matched words in bold, never markup.
class ResultDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem plain = option;
        initStyleOption(&plain, index);
        const QString text = plain.text;
        plain.text.clear();
        plain.widget->style()->drawControl(QStyle::CE_ItemViewItem, &plain, painter, plain.widget);
        QList<QTextLayout::FormatRange> bold;
        const QVariantList matches = index.data(MatchesRole).toList();
        for (qsizetype i = 0; i + 1 < matches.size(); i += 2) {
            QTextCharFormat format;
            format.setFontWeight(QFont::Bold);
            bold.append({matches[i].toInt(), matches[i + 1].toInt(), format});
        }
        QTextLayout layout(text, option.font);
        QTextOption direction;
        direction.setTextDirection(Qt::LeftToRight);
        layout.setTextOption(direction);
        layout.setFormats(bold);
        layout.beginLayout();
        QTextLine line = layout.createLine();
        line.setLineWidth(option.rect.width());
        layout.endLayout();
        painter->save();
        painter->setPen(option.palette.color(
            option.state & QStyle::State_Selected ? QPalette::HighlightedText : QPalette::Text));
        layout.draw(painter,
                    QPointF(option.rect.left() + 2,
                            option.rect.top() + (option.rect.height() - line.height()) / 2));
        painter->restore();
    }
};

} // namespace

frmSearchHistory::frmSearchHistory(HistoryStore& history, QWidget* owner)
    : QWidget(owner, Qt::Window)
    , txtQuery(new QLineEdit(this))
    , chkAllConversations(new QCheckBox(tr("&All conversations"), this))
    , lstResults(new QListWidget(this))
    , lblContext(new QLabel(this))
    , lblSearchError(new QLabel(this))
    , cmdDeleteConversation(new QPushButton(tr("Delete &conversation..."), this))
    , cmdDeleteAll(new QPushButton(tr("Delete all &history..."), this))
    , history_(history) {
    setObjectName(QStringLiteral("frmSearchHistory"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(tr("Search History"));
    resize(640, 480);
    closeOnKeys(this, [] { return true; });
    txtContext = new TranscriptView(this);
    txtQuery->setObjectName(QStringLiteral("txtQuery"));
    txtQuery->setPlaceholderText(tr("Words, prefix*, \"a phrase\""));
    txtQuery->setClearButtonEnabled(true);
    chkAllConversations->setObjectName(QStringLiteral("chkAllConversations"));
    lstResults->setObjectName(QStringLiteral("lstResults"));
    lstResults->setItemDelegate(new ResultDelegate(lstResults));
    lstResults->setUniformItemSizes(true);
    txtContext->setObjectName(QStringLiteral("txtContext"));
    cmdDeleteConversation->setObjectName(QStringLiteral("cmdDeleteConversation"));
    cmdDeleteAll->setObjectName(QStringLiteral("cmdDeleteAll"));
    lblContext->setTextFormat(Qt::PlainText);
    lblSearchError->setObjectName(QStringLiteral("lblSearchError"));
    lblSearchError->setTextFormat(Qt::PlainText);
    lblSearchError->setWordWrap(true);
    lblSearchError->hide();

    auto* find = new QLabel(tr("&Find:"), this);
    find->setBuddy(txtQuery);
    auto* results = new QLabel(tr("&Results:"), this);
    results->setBuddy(lstResults);
    lblContext->setBuddy(txtContext);
    txtContext->setAccessibleName(tr("Lines around the result"));

    auto* top = new QHBoxLayout;
    top->addWidget(find);
    top->addWidget(txtQuery, 1);
    top->addWidget(chkAllConversations);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdDeleteConversation);
    buttons->addWidget(cmdDeleteAll);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(results);
    layout->addWidget(lblSearchError);
    layout->addWidget(lstResults, 3);
    layout->addWidget(lblContext);
    layout->addWidget(txtContext, 2);
    layout->addLayout(buttons);

    pause_.setSingleShot(true);
    pause_.setInterval(TypingPause);
    connect(&pause_, &QTimer::timeout, this, &frmSearchHistory::runSearch);
    connect(txtQuery, &QLineEdit::textChanged, &pause_, qOverload<>(&QTimer::start));
    connect(chkAllConversations, &QCheckBox::toggled, this, &frmSearchHistory::runSearch);
    connect(lstResults, &QListWidget::itemActivated, this, &frmSearchHistory::showAround);
    connect(lstResults, &QListWidget::currentItemChanged, this,
            [this] { cmdDeleteConversation->setEnabled(!chosenConversation().isEmpty()); });
    connect(cmdDeleteConversation, &QPushButton::clicked, this,
            &frmSearchHistory::deleteConversation);
    connect(cmdDeleteAll, &QPushButton::clicked, this, &frmSearchHistory::deleteAll);
    connect(&history_, &HistoryStore::finished, this, &frmSearchHistory::runSearch);
    setScope({}, {});
}

void frmSearchHistory::setScope(const QString& conversation, const QString& title) {
    scope_ = conversation;
    scopeTitle_ = title;
    chkAllConversations->setVisible(!scope_.isEmpty());
    chkAllConversations->setChecked(scope_.isEmpty());
    setWindowTitle(scope_.isEmpty() ? tr("Search History")
                                    : tr("Search History - %1").arg(shownInLine(title)));
    cmdDeleteConversation->setEnabled(!chosenConversation().isEmpty());
    runSearch();
}

void frmSearchHistory::runSearch() {
    pause_.stop();
    lstResults->clear();
    const QString conversation = chkAllConversations->isChecked() ? QString() : scope_;
    const HistoryStore::Found found = history_.search(txtQuery->text(), conversation);
    lblSearchError->setText(tr("The search could not be run: %1").arg(found.error));
    lblSearchError->setVisible(!found.error.isEmpty());
    for (const HistoryStore::Hit& hit : found.hits) {
        const TranscriptModel::Line& line = hit.line.line;
        QString row = QDateTime::fromSecsSinceEpoch(line.time).toLocalTime().toString(
                          QStringLiteral("yyyy-MM-dd HH:mm")) +
                      QStringLiteral("  ") + TranscriptFormat::isolated(hit.line.title) +
                      QStringLiteral("  ");
        if (line.form == TranscriptModel::Form::User)
            row += u'<' + TranscriptFormat::isolated(line.sender) + QStringLiteral("> ");
        // The matches are where the text's characters went in the row.
        QList<qsizetype> positions;
        const qsizetype textStart = row.size();
        row += TranscriptFormat::isolated(line.text, &positions);
        QVariantList matches;
        for (const auto& [start, length] : hit.matches) {
            const qsizetype from = positions.value(start);
            const qsizetype to = positions.value(start + length, positions.last());
            matches << static_cast<int>(textStart + from) << static_cast<int>(to - from);
        }
        auto* item = new QListWidgetItem(row, lstResults);
        item->setData(MatchesRole, matches);
        item->setData(IdRole, hit.line.id);
        item->setData(ConversationRole, hit.line.conversation);
        item->setData(TitleRole, hit.line.title);
    }
}

void frmSearchHistory::showAround(QListWidgetItem* item) {
    if (!item)
        return;
    TranscriptModel& context = txtContext->model();
    context.clear();
    const qint64 chosen = item->data(IdRole).toLongLong();
    qsizetype chosenIndex = -1;
    for (HistoryStore::Line line : history_.around(chosen, 10, 10)) {
        line.line.history = false; // shown as they were, not greyed
        if (line.id == chosen)
            chosenIndex = context.count();
        context.append(line.line);
    }
    if (chosenIndex >= 0)
        txtContext->showLine(chosenIndex);
    lblContext->setText(
        tr("Around the result in %1:").arg(shownInLine(item->data(TitleRole).toString())));
}

QString frmSearchHistory::chosenConversation() const {
    if (QListWidgetItem* item = lstResults->currentItem())
        return item->data(ConversationRole).toString();
    return scope_;
}

QString frmSearchHistory::chosenTitle() const {
    if (QListWidgetItem* item = lstResults->currentItem())
        return item->data(TitleRole).toString();
    return scopeTitle_;
}

void frmSearchHistory::deleteConversation() {
    const QString conversation = chosenConversation();
    if (conversation.isEmpty() || !ask(tr("Delete the stored history of %1? This cannot be undone.")
                                           .arg(shownInLine(chosenTitle()))))
        return;
    history_.deleteConversation(conversation);
}

void frmSearchHistory::deleteAll() {
    if (!ask(tr("Delete the stored history of all conversations? This cannot be undone.")))
        return;
    history_.deleteAll();
}

} // namespace kivo
