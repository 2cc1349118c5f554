// SPDX-License-Identifier: GPL-3.0-or-later
// The transcript: its model without any widget, and its view under the offscreen platform.
#include "TestSupport.h"
#include "TranscriptCaret.h"
#include "TranscriptFormat.h"
#include "TranscriptModel.h"
#include "TranscriptView.h"

#include <QAccessible>
#include <QClipboard>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QLabel>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <QToolTip>
#include <QWheelEvent>
#include <private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>

using namespace kivo;

namespace {

// A view of its own model, shown at a given size.
struct Shown {
    test::Sandbox sandbox;
    TranscriptView view;
    TranscriptModel& model = view.model();

    explicit Shown(QSize size = {400, 200}) {
        view.resize(size);
        view.show();
        if (!QTest::qWaitForWindowExposed(&view))
            qFatal("the view never showed");
    }
    void add(int lines, const QString& text = "line %1") {
        for (int i = 0; i < lines; ++i)
            model.appendPlainLine(text.arg(model.dropped() + model.count()));
        QCoreApplication::processEvents(); // the view catches up once per turn
    }
    // The centre of a row of the view, by its top-to-bottom number on screen.
    QPoint row(int number) const {
        const int height = view.fontMetrics().height();
        return {30, 4 + height * number + height / 2};
    }
};

// Stands for the desktop: what a click would have opened.
class Opener : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public Q_SLOTS:
    void open(const QUrl& url) { opened.append(url); }
};

} // namespace

class TestTranscript : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void linesKeepTheirFormsAndText();
    void theOldestAreDroppedAChunkAtATime();
    void aSelectionIsCopiedLineByLine();
    void longLinesWrapAndRewrap();
    void theViewFollowsOnlyFromTheBottom();
    void mouseSelectionAndCopy();
    void aClickOpensALinkAndADragSelects();
    void aLinkSaysWhatItOpensAndThatNothingCouldOpenIt();
    void screenReadersGetTheVisibleLines();
    void timesFarApartReadBack();
    void theTextHeldIsBounded();
    void nothingOutlivesADrop();
    void everyRowOfATallMessageCanBeBroughtOnScreen();
    void aRightToLeftSenderLeavesTheLineInOrder();
    void screenReadersGetTheWholeTranscript();
    void theReadingCaretStopsAtTheEnds();
};

void TestTranscript::linesKeepTheirFormsAndText() {
    test::Sandbox sandbox;
    TranscriptModel model;
    const QString arabic = QString::fromUtf8("مرحبا 👋 e\u0301");
    model.appendUserLine("ann", arabic, "ann");
    model.appendUserLine("Ann", "x", "ann");
    model.appendSystemLine("*** bob has left");
    model.appendConferenceLine("a sentence: with a colon", "ann");
    const TranscriptModel::Line own = model.line(0);
    QCOMPARE(own.form, TranscriptModel::Form::User);
    QVERIFY(own.own && !own.history);
    QCOMPARE(own.sender, QString("ann"));
    QCOMPARE(own.text, arabic);
    QCOMPARE(own.time, sandbox.clock.now().toSecsSinceEpoch());
    QVERIFY(!model.line(1).own); // letter case counts
    QCOMPARE(model.line(2).form, TranscriptModel::Form::System);
    QCOMPARE(model.line(3).form, TranscriptModel::Form::Plain);
    const TranscriptFormat::Shown shown = TranscriptFormat::shown(model.line(0));
    QCOMPARE(shown.text, "[09:05:07] <ann> " + arabic);
    QCOMPARE(shown.text.mid(shown.senderStart, shown.textStart - shown.senderStart),
             QString("<ann> "));
    QCOMPARE(TranscriptFormat::shown(model.line(2)).senderStart,
             TranscriptFormat::shown(model.line(2)).textStart);
}

void TestTranscript::theOldestAreDroppedAChunkAtATime() {
    test::Sandbox sandbox;
    TranscriptModel model;
    model.setCapacity(3 * TranscriptModel::ChunkLines);
    QSignalSpy dropped(&model, &TranscriptModel::droppedOldest);
    const qsizetype total = 4 * TranscriptModel::ChunkLines + 10;
    for (qsizetype i = 0; i < total; ++i)
        model.appendPlainLine(QString::number(i));
    QCOMPARE(dropped.count(), 1);
    QCOMPARE(dropped[0][0].value<qsizetype>(), TranscriptModel::ChunkLines);
    QCOMPARE(model.dropped(), TranscriptModel::ChunkLines);
    QCOMPARE(model.count(), total - TranscriptModel::ChunkLines);
    QCOMPARE(model.line(0).text, QString::number(TranscriptModel::ChunkLines));
    QCOMPARE(model.line(model.count() - 1).text, QString::number(total - 1));
}

void TestTranscript::aSelectionIsCopiedLineByLine() {
    test::Sandbox sandbox;
    TranscriptModel model;
    model.appendUserLine("bob", "first", "ann");
    model.appendSystemLine("*** second");
    model.appendPlainLine("third line");
    // From inside the first line's sender to the middle of the third line.
    QCOMPARE(TranscriptFormat::text(model, 0, 12, 2, 16),
             QString("bob> first\n[09:05:07] *** second\n[09:05:07] third"));
    QCOMPARE(TranscriptFormat::text(model, 1, 0, 1, 5), QString("[09:0"));
}

void TestTranscript::longLinesWrapAndRewrap() {
    Shown s({300, 200});
    const QString words = QString("word ").repeated(30);
    s.add(40, "line %1 " + words);
    QTRY_VERIFY(s.view.visibleText().endsWith("line 39 " + words));
    // Narrow, a line takes several rows: fewer lines fit, and the newest screenful starts late.
    const int narrow = s.view.verticalScrollBar()->maximum() / TranscriptView::StepsPerLine;
    QVERIFY(narrow > 30);
    s.view.resize(900, 200);
    QTRY_VERIFY(s.view.verticalScrollBar()->maximum() / TranscriptView::StepsPerLine < narrow);
    QVERIFY(s.view.followsNewest());
    QTRY_VERIFY(s.view.visibleText().endsWith("line 39 " + words));
    QVERIFY(s.view.visibleText().count('\n') > 40 - narrow);
}

void TestTranscript::theViewFollowsOnlyFromTheBottom() {
    Shown s;
    s.add(200);
    QTRY_VERIFY(s.view.visibleText().endsWith("line 199"));
    QToolButton* marker = s.view.findChild<QToolButton*>("newLinesBelow");
    QVERIFY(!marker->isVisible());
    // Scrolled up to read: new lines leave the view where it is.
    s.view.verticalScrollBar()->setValue(50 * TranscriptView::StepsPerLine);
    QVERIFY(!s.view.followsNewest());
    QTRY_VERIFY(s.view.visibleText().startsWith("[09:05:07] line 50\n"));
    s.add(10);
    QTRY_VERIFY(marker->isVisible());
    QTest::qWait(20);
    QVERIFY(s.view.visibleText().startsWith("[09:05:07] line 50\n"));
    QCOMPARE(s.view.topLine(), 50);
    // Its words fit at any text size.
    QFont larger = s.view.font();
    larger.setPointSizeF(larger.pointSizeF() * 2);
    s.view.setFont(larger);
    QCOMPARE(marker->size(), marker->sizeHint());
    // The marker takes the view back down, where it follows again.
    QTest::mouseClick(marker, Qt::LeftButton);
    QVERIFY(s.view.followsNewest());
    QVERIFY(!marker->isVisible());
    s.add(1);
    QTRY_VERIFY(s.view.visibleText().endsWith("line 210"));
}

void TestTranscript::mouseSelectionAndCopy() {
    Shown s;
    s.add(3);
    QTRY_VERIFY(!s.view.visibleText().isEmpty());
    QWidget* viewport = s.view.viewport();
    QTest::mousePress(viewport, Qt::LeftButton, {}, QPoint(2, s.row(0).y()));
    QTest::mouseMove(viewport, s.row(2) + QPoint(400, 0));
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, s.row(2) + QPoint(400, 0));
    QVERIFY(s.view.hasSelection());
    QGuiApplication::clipboard()->clear();
    QTest::keyClick(&s.view, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(),
             QString("[09:05:07] line 0\n[09:05:07] line 1\n[09:05:07] line 2"));
    s.view.selectAll();
    QCOMPARE(s.view.selectedText().count('\n'), 2);
}

void TestTranscript::aClickOpensALinkAndADragSelects() {
    Shown s;
    Opener opener;
    QDesktopServices::setUrlHandler("https", &opener, "open");
    QDesktopServices::setUrlHandler("http", &opener, "open");
    const auto unset = qScopeGuard([] {
        QDesktopServices::unsetUrlHandler("https");
        QDesktopServices::unsetUrlHandler("http");
    });
    s.model.appendPlainLine("see https://a.org/x now");
    QTRY_VERIFY(!s.view.visibleText().isEmpty());
    QWidget* viewport = s.view.viewport();
    const QFontMetrics metrics = s.view.fontMetrics();
    const int y = s.row(0).y();
    const QPoint link(4 + metrics.horizontalAdvance("[09:05:07] see https://a"), y);
    const QPoint word(4 + metrics.horizontalAdvance("[09:05:07] s"), y);
    const QPoint past(4 + metrics.horizontalAdvance("[09:05:07] see https://a.org/x now") + 20, y);

    QTest::mouseMove(viewport, link);
    QCOMPARE(viewport->cursor().shape(), Qt::PointingHandCursor);
    QTest::mouseMove(viewport, word);
    QCOMPARE(viewport->cursor().shape(), Qt::IBeamCursor);
    QTest::mouseClick(viewport, Qt::LeftButton, {}, word);
    QTest::mouseClick(viewport, Qt::LeftButton, {}, past);
    QVERIFY(opener.opened.isEmpty());

    QTest::mouseClick(viewport, Qt::LeftButton, {}, link);
    QCOMPARE(opener.opened, QList<QUrl>{QUrl("https://a.org/x")});

    // A drag that starts on the link selects and opens nothing.
    QTest::mousePress(viewport, Qt::LeftButton, {}, link);
    QTest::mouseMove(viewport, past);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, past);
    QCOMPARE(opener.opened.size(), 1);
    QVERIFY(s.view.selectedText().endsWith(".org/x now"));

    QCOMPARE(test::chooseFromContextMenu(viewport, link, 0),
             (QStringList{"Copy &Link Address", "", "&Copy", "&Select All"}));
    QCOMPARE(QGuiApplication::clipboard()->text(), QString("https://a.org/x"));
}

void TestTranscript::aLinkSaysWhatItOpensAndThatNothingCouldOpenIt() {
    Shown s;
    s.model.appendPlainLine(u"see http://\u0430pple.com/x now"_qs);
    QTRY_VERIFY(!s.view.visibleText().isEmpty());
    QWidget* viewport = s.view.viewport();
    const int y = s.row(0).y();
    const QPoint link(4 + s.view.fontMetrics().horizontalAdvance("[09:05:07] see http://xn"), y);
    // Drawn as it opens, and said before a click, beside the pointer and at the foot.
    QVERIFY(s.view.visibleText().endsWith("see http://xn--pple-43d.com/x now"));
    auto* status = viewport->findChild<QLabel*>("linkStatus");
    QTest::mouseMove(viewport, link);
    QVERIFY(status->isVisible());
    QCOMPARE(status->text(), QString("http://xn--pple-43d.com/x"));
    QVERIFY(QToolTip::text().contains("http://xn--pple-43d.com/x"));
    QTest::mouseMove(viewport, QPoint(2, y));
    QVERIFY(!status->isVisible());
    // No program to open it with: said, not silently nothing.
    QTest::mouseClick(viewport, Qt::LeftButton, {}, link);
    QCOMPARE(s.sandbox.boxes.texts(),
             QStringList{"Could not start a web browser for http://xn--pple-43d.com/x."});
}

void TestTranscript::screenReadersGetTheVisibleLines() {
    Shown s;
    s.add(3);
    QTRY_VERIFY(!s.view.visibleText().isEmpty());
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(&s.view);
    QVERIFY(accessible && accessible->textInterface());
    QAccessibleTextInterface* text = accessible->textInterface();
    QCOMPARE(text->text(0, text->characterCount()),
             QString("[09:05:07] line 0\n[09:05:07] line 1\n[09:05:07] line 2"));
    QVERIFY(accessible->state().readOnly);
}

void TestTranscript::timesFarApartReadBack() {
    test::Sandbox sandbox;
    TranscriptModel model;
    const QList<qint64> times{0, 5'000'000'000, -86'400, 1'700'000'000, 0, LLONG_MIN, LLONG_MAX, 0};
    for (const qint64 time : times)
        model.append({.time = time, .text = "x"});
    for (int i = 0; i < times.size(); ++i)
        QCOMPARE(model.line(i).time, times[i]);
}

void TestTranscript::theTextHeldIsBounded() {
    test::Sandbox sandbox;
    TranscriptModel model;
    QSignalSpy dropped(&model, &TranscriptModel::droppedOldest);
    const QString long64k(64 * 1024 - 8, u'x');
    const int lines = static_cast<int>(TranscriptModel::ByteBudget / long64k.size()) * 3 / 2;
    for (int i = 0; i < lines; ++i)
        model.appendPlainLine(long64k + QString::number(i));
    QVERIFY(model.bytes() <= TranscriptModel::ByteBudget);
    QVERIFY(model.bytes() > TranscriptModel::ByteBudget / 2);
    QVERIFY(!dropped.isEmpty());
    QCOMPARE(model.dropped() + model.count(), lines);
    // The oldest went first; the newest are whole.
    QCOMPARE(model.line(model.count() - 1).text, long64k + QString::number(lines - 1));
    QCOMPARE(model.line(0).text, long64k + QString::number(model.dropped()));
}

void TestTranscript::nothingOutlivesADrop() {
    // Scrolled to the top and drawn, then the lines on screen are dropped before the view
    // catches up: every way in must use only what is still there.
    Shown s;
    s.model.setCapacity(TranscriptModel::ChunkLines);
    s.add(100);
    QTest::keyClick(&s.view, Qt::Key_Home);
    s.view.repaint();
    QCOMPARE(s.view.topLine(), 0);
    for (qsizetype i = 0; i < 2 * TranscriptModel::ChunkLines; ++i)
        s.model.appendPlainLine("more");
    QVERIFY(s.model.dropped() > 0);
    QWidget* viewport = s.view.viewport();
    QTest::mousePress(viewport, Qt::LeftButton, {}, s.row(0));
    QTest::mouseMove(viewport, s.row(3));
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, s.row(3));
    QGuiApplication::clipboard()->clear();
    QTest::keyClick(&s.view, Qt::Key_C, Qt::ControlModifier);
    QVERIFY(QGuiApplication::clipboard()->text().contains("more"));
    s.view.repaint();
    QAccessibleTextInterface* text =
        QAccessible::queryAccessibleInterface(&s.view)->textInterface();
    QVERIFY(text->offsetAtPoint(viewport->mapToGlobal(s.row(1))) >= 0);
    QVERIFY(!text->characterRect(text->offsetAtPoint(viewport->mapToGlobal(s.row(1)))).isEmpty());
    QCOMPARE(s.view.topLine(), 0);
}

void TestTranscript::everyRowOfATallMessageCanBeBroughtOnScreen() {
    Shown s;
    s.model.appendPlainLine("before");
    QString tall;
    for (int i = 0; tall.size() < 3000; ++i)
        tall += QString("w%1 ").arg(i, 4, 10, QChar('0'));
    s.model.appendPlainLine(tall);
    s.model.appendPlainLine("after");
    QAccessibleTextInterface* text =
        QAccessible::queryAccessibleInterface(&s.view)->textInterface();
    QWidget* viewport = s.view.viewport();
    const int tallStart = s.view.text().offsetOf(1, 0);
    const int tallEnd = s.view.text().offsetOf(2, 0) - 1;
    // Page by page from the top: what ends one page begins the next or is on it, so no row
    // is skipped, and the last page shows the last line.
    QTest::keyClick(&s.view, Qt::Key_Home);
    const auto offsetAt = [&](int y) {
        return text->offsetAtPoint(viewport->mapToGlobal(QPoint(6, y)));
    };
    int pages = 0;
    int lastBottom = -1;
    while (!s.view.followsNewest() && pages < 100) {
        const int top = offsetAt(6);
        if (lastBottom >= 0)
            QVERIFY2(top <= lastBottom + 1, qPrintable(QString("a gap after %1").arg(lastBottom)));
        lastBottom = offsetAt(viewport->height() - 6);
        QTest::keyClick(&s.view, Qt::Key_PageDown);
        ++pages;
    }
    QVERIFY(pages > 3); // the message is several screens tall
    QVERIFY(lastBottom > tallStart + tall.size() / 2);
    QVERIFY(s.view.visibleText().endsWith("after"));
    // The scroll bar reaches the middle of the message too, and the wheel moves by rows.
    s.view.verticalScrollBar()->setValue(TranscriptView::StepsPerLine * 3 / 2);
    const int middle = offsetAt(6);
    QVERIFY(middle > tallStart + 1000 && middle < tallEnd - 1000);
    QWheelEvent down(QPointF(20, 20), viewport->mapToGlobal(QPointF(20, 20)), {}, {0, -120},
                     Qt::NoButton, {}, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(viewport, &down);
    QVERIFY(offsetAt(6) > middle);
    QVERIFY(offsetAt(6) < middle + 500);
}

void TestTranscript::aRightToLeftSenderLeavesTheLineInOrder() {
    Shown s({600, 100});
    s.model.appendUserLine(QString::fromUtf8("\u05d3\u05df"), "2 apples", "ann");
    QTRY_VERIFY(!s.view.visibleText().isEmpty());
    const QString shown = TranscriptFormat::shown(s.model.line(0)).text;
    QCOMPARE(shown, QString::fromUtf8("[09:05:07] <\u05d3\u05df> 2 apples"));
    const auto x = [&](const QString& part) {
        return s.view.layoutNow().characterRect(0, static_cast<int>(shown.indexOf(part))).x();
    };
    // Left to right: the time stamp, the sender, "2", "apples".
    QVERIFY(x("[") < x("<"));
    QVERIFY(x("<") < x(">"));
    QVERIFY(x(">") < x("2"));
    QVERIFY(x("2") < x("apples"));
    // A sentence that only begins with a right-to-left name still reads left to right.
    s.model.appendSystemLine(QString::fromUtf8("*** \u05d3\u05df has left general"));
    QTRY_VERIFY(s.view.visibleText().contains("has left"));
    const QString system = TranscriptFormat::shown(s.model.line(1)).text;
    const auto at = [&](const QString& part) {
        return s.view.layoutNow().characterRect(1, static_cast<int>(system.indexOf(part))).x();
    };
    QVERIFY(at("[") < at("***"));
    QVERIFY(at("***") < at("has"));
    QVERIFY(at("has") < at("general"));
}

void TestTranscript::screenReadersGetTheWholeTranscript() {
    static QList<std::pair<int, QString>> inserts;
    inserts.clear();
    const auto previous = QAccessible::installUpdateHandler([](QAccessibleEvent* event) {
        if (event->type() == QAccessible::TextInserted) {
            auto* insert = static_cast<QAccessibleTextInsertEvent*>(event);
            inserts.append({insert->changePosition(), insert->textInserted()});
        }
    });
    {
        Shown s;
        // As a screen reader starting does.
        QGuiApplicationPrivate::platformIntegration()->accessibility()->setActive(true);
        s.add(1000);
        s.model.appendUserLine("bob", "hi", "ann");
        QAccessibleTextInterface* text =
            QAccessible::queryAccessibleInterface(&s.view)->textInterface();
        const QString whole = TranscriptFormat::text(s.model, 0, 0, s.model.count() - 1, 100);
        QCOMPARE(text->characterCount(), whole.size());
        QCOMPARE(text->text(0, text->characterCount()), whole);
        QCOMPARE(inserts.size(), 1001);
        QCOMPARE(inserts.last(), std::pair(static_cast<int>(whole.lastIndexOf(u'\n')),
                                           QString("\n[09:05:07] <bob> hi")));
        // The sender's run, as Qt names its attributes.
        int start = 0;
        int end = 0;
        const int sender = static_cast<int>(whole.lastIndexOf("<bob>"));
        QCOMPARE(text->attributes(sender + 1, &start, &end),
                 QString("color:rgb(255,0,0);font-weight:normal;"));
        QCOMPARE(whole.mid(start, end - start), QString("<bob> "));
        // A reader walking the runs reaches the end: each run starts where the last ended.
        for (int offset = 0; offset < whole.size(); offset = end) {
            QVERIFY(!text->attributes(offset, &start, &end).isEmpty());
            QCOMPARE(start, offset);
            QVERIFY2(end > offset, qPrintable(QString::number(offset)));
        }
        QCOMPARE(end, whole.size());
        text->setSelection(0, sender, sender + 5);
        QCOMPARE(s.view.selectedText(), QString("<bob>"));
        QCOMPARE(text->cursorPosition(), sender + 5);
        // What is on screen has its place; what is not has none.
        QVERIFY(!text->characterRect(sender).isEmpty());
        QVERIFY(text->characterRect(0).isEmpty());
        const QRect rect = text->characterRect(sender + 1);
        QCOMPARE(text->offsetAtPoint(rect.center()), sender + 1);
    }
    QAccessible::installUpdateHandler(previous);
    QGuiApplicationPrivate::platformIntegration()->accessibility()->setActive(false);
}

void TestTranscript::theReadingCaretStopsAtTheEnds() {
    TranscriptModel model;
    using P = TranscriptLayout::Position;
    const auto move = [&](P at, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        const std::optional<P> to = caretMoved(model, at, key, modifiers, 5);
        return to ? std::pair(to->line, to->column) : std::pair(qint64(-1), -1);
    };
    QCOMPARE(move({0, 0}, Qt::Key_Down), std::pair(qint64(-1), -1)); // nothing to move in
    model.setCapacity(TranscriptModel::ChunkLines);
    for (int i = 0; model.dropped() == 0 && i < 4 * TranscriptModel::ChunkLines; ++i)
        model.appendPlainLine("l");
    model.appendPlainLine("a long last line");
    // The oldest chunk is gone; lines count on absolutely.
    const qint64 first = model.dropped();
    const qint64 last = first + model.count() - 1;
    QVERIFY(first > 0);
    const int shortLine = static_cast<int>(TranscriptFormat::shown(model.line(0)).text.size());
    const int lastLine =
        static_cast<int>(TranscriptFormat::shown(model.line(model.count() - 1)).text.size());
    QCOMPARE(move({first, 0}, Qt::Key_Up), std::pair(first, 0));
    QCOMPARE(move({first, 0}, Qt::Key_Left), std::pair(first, 0));
    QCOMPARE(move({first, 0}, Qt::Key_PageUp), std::pair(first, 0));
    QCOMPARE(move({first + 1, 0}, Qt::Key_Left), std::pair(first, shortLine));
    QCOMPARE(move({last, lastLine}, Qt::Key_Right), std::pair(last, lastLine));
    QCOMPARE(move({last, lastLine}, Qt::Key_Right, Qt::ControlModifier), std::pair(last, lastLine));
    QCOMPARE(move({last - 1, lastLine}, Qt::Key_Up), std::pair(last - 2, shortLine));
    QCOMPARE(move({last - 3, 0}, Qt::Key_PageDown), std::pair(last, 0));
    QCOMPARE(move({first - 10, 3}, Qt::Key_End), std::pair(first, shortLine)); // a dropped line
    QCOMPARE(move({first + 3, 2}, Qt::Key_End, Qt::ControlModifier), std::pair(last, lastLine));
    // Ctrl+Left from a line's start ends the line before; from within, the word's start.
    QCOMPARE(move({first + 1, 0}, Qt::Key_Left, Qt::ControlModifier), std::pair(first, shortLine));
    const int longStart = lastLine - 4;
    QCOMPARE(move({last, lastLine}, Qt::Key_Left, Qt::ControlModifier), std::pair(last, longStart));
    QCOMPARE(move({last, 1}, Qt::Key_Tab), std::pair(qint64(-1), -1));
}

QTEST_MAIN(TestTranscript)
#include "tst_transcript.moc"
